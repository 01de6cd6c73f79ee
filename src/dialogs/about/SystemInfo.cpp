#include "SystemInfo.h"

namespace {

constexpr char ToolKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr char ToolValue[] = "PATH";
constexpr char FolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr char FolderValue[] = "MSINFO";
constexpr char ToolFile[] = "\\MSINFO32.EXE";

} // namespace

SystemInfo::SystemInfo(const Registry& registry, FileExists fileExists, StartProgram startProgram)
    : m_registry(registry), m_fileExists(std::move(fileExists)),
      m_startProgram(std::move(startProgram)) {
}

QString SystemInfo::unavailableMessage() {
    return QStringLiteral("System Information Is Unavailable At This Time");
}

// Only a string names the tool; any other kind of value counts as not found, so that the next
// location is tried.
bool SystemInfo::readString(std::uint32_t keyRoot, const QString& keyName, const QString& subKeyRef,
                            QString& keyValue) const {
    const std::optional<Registry::Value> value = m_registry.read(keyRoot, keyName, subKeyRef);
    if (!value || value->type != Registry::StringValue) {
        keyValue.clear();
        return false;
    }
    // A string's byte count includes its terminating NUL; a value without one stays whole.
    QByteArray text = value->data.left(static_cast<qsizetype>(value->byteCount));
    if (value->byteCount > 0 &&
        value->byteCount <= static_cast<std::uint32_t>(value->data.size()) &&
        value->data.at(static_cast<qsizetype>(value->byteCount) - 1) == '\0')
        text.chop(1);
    keyValue = QString::fromLocal8Bit(text);
    return true;
}

bool SystemInfo::startTool() const {
    QString path;
    if (readString(Registry::LocalMachine, QLatin1String(ToolKey), QLatin1String(ToolValue), path))
        return m_startProgram(path);
    if (readString(Registry::LocalMachine, QLatin1String(FolderKey), QLatin1String(FolderValue),
                   path)) {
        path += QLatin1String(ToolFile);
        if (m_fileExists(path))
            return m_startProgram(path);
    }
    return false;
}
