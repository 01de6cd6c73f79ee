#pragma once

#include "Registry.h"

#include <QString>

#include <cstdint>
#include <functional>

// Finds and starts the operating system's system information tool, as the About dialog's
// "System Info..." button does: first the tool's own path, then its folder.
class SystemInfo {
public:
    using FileExists = std::function<bool(const QString& path)>;
    using StartProgram = std::function<bool(const QString& path)>;

    SystemInfo(const Registry& registry, FileExists fileExists, StartProgram startProgram);

    // Starts the tool; false when it is unavailable (the caller then says so).
    bool startTool() const;

    // Reads one value as text; on failure keyValue becomes empty and false is returned.
    bool readString(std::uint32_t keyRoot, const QString& keyName, const QString& subKeyRef,
                    QString& keyValue) const;

    static QString unavailableMessage();

private:
    const Registry& m_registry;
    FileExists m_fileExists;
    StartProgram m_startProgram;
};
