#pragma once

#include "StoredSettings.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file: seven CRLF-terminated lines of XML in the per-user configuration folder.
class SettingsFile {
public:
    // $APPDATA when set, else the XDG configuration folder; then our own folder.
    static QString folderPath();
    static QString filePath();

    // The largest settings file read; the file itself is a few hundred bytes.
    static constexpr qint64 MaximumBytes = 1024 * 1024;

    // Nothing when the file is missing, unreadable, not a regular file of at most MaximumBytes,
    // or not a well-formed document; then the problem, if asked for, says why in a sentence
    // (empty for a file that is simply not there). Missing text elements read as empty, missing
    // or unrecognised options as off.
    static std::optional<StoredSettings> read(const QString& path = filePath(),
                                              QString* problem = nullptr);
    static std::optional<QByteArray> readBytes(const QString& path, QString* problem = nullptr);
    static std::optional<StoredSettings> parse(const QByteArray& bytes);

    // Replaces the file atomically and readable by its owner only. On failure the previous file
    // is left whole and the reason is returned.
    static std::optional<QString> write(const StoredSettings& settings,
                                        const QString& path = filePath());

    static QByteArray serialize(const StoredSettings& settings);

    // "True"/"False" in any case, or a number that is true when not zero; anything else is off.
    static bool toBool(const QString& text);
};
