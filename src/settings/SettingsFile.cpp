#include "SettingsFile.h"

#include "LocalFile.h"
#include "SonaricVersion.h"
#include "XmlDocument.h"
#include "XmlEscape.h"

#include <QCoreApplication>
#include <QDir>

namespace {

constexpr const char* FolderName = SonaricVersion::Title;
constexpr char FileName[] = "settings.xml";

constexpr char ServernamePath[] = "settings/servername";
constexpr char UsernamePath[] = "settings/username";
constexpr char PasswordPath[] = "settings/password";
constexpr char AutoRefreshPath[] = "settings/autorefresh";
constexpr char AutoPlayPath[] = "settings/autoplay";

QString tr(const char* text) {
    return QCoreApplication::translate("SettingsFile", text);
}

QString configHome() {
    // Windows names it with backslashes; paths are kept with forward ones and shown natively.
    const QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    if (!appData.isEmpty())
        return appData;
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return xdg;
    return QDir::homePath() + QLatin1String("/.config");
}

} // namespace

QString SettingsFile::folderPath() {
    return configHome() + QLatin1Char('/') + QLatin1String(FolderName);
}

QString SettingsFile::filePath() {
    return folderPath() + QLatin1Char('/') + QLatin1String(FileName);
}

bool SettingsFile::toBool(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    return isNumber && number != 0.0;
}

std::optional<QByteArray> SettingsFile::readBytes(const QString& path, QString* problem) {
    return LocalFile::read(path, MaximumBytes, problem);
}

std::optional<StoredSettings> SettingsFile::read(const QString& path, QString* problem) {
    const std::optional<QByteArray> bytes = readBytes(path, problem);
    if (!bytes)
        return std::nullopt;
    std::optional<StoredSettings> settings = parse(*bytes);
    if (!settings && problem)
        *problem = tr("It is not a well-formed settings document.");
    return settings;
}

std::optional<StoredSettings> SettingsFile::parse(const QByteArray& bytes) {
    XmlDocument document;
    if (!document.loadBytes(bytes))
        return std::nullopt;
    auto text = [&document](const char* xpath) {
        return XmlDocument::text(document.selectSingleNode(xpath));
    };
    auto option = [&document](const char* xpath) {
        const pugi::xml_node node = document.selectSingleNode(xpath);
        return node && toBool(XmlDocument::text(node));
    };
    StoredSettings settings;
    settings.servername = text(ServernamePath);
    settings.username = text(UsernamePath);
    settings.passwordDigest = text(PasswordPath);
    settings.autoRefresh = option(AutoRefreshPath);
    settings.autoPlay = option(AutoPlayPath);
    return settings;
}

QByteArray SettingsFile::serialize(const StoredSettings& settings) {
    auto line = [](const char* name, const QByteArray& value) {
        return QByteArray("<") + name + '>' + value + "</" + name + ">\r\n";
    };
    return QByteArray("<settings>\r\n") + line("servername", XmlEscape::text(settings.servername)) +
           line("username", XmlEscape::text(settings.username)) +
           line("password", XmlEscape::text(settings.passwordDigest)) +
           line("autorefresh", settings.autoRefresh ? "1" : "0") +
           line("autoplay", settings.autoPlay ? "1" : "0") + "</settings>\r\n";
}

std::optional<QString> SettingsFile::write(const StoredSettings& settings, const QString& path) {
    // The digest signs in as well as the password would: keep it from other users.
    return LocalFile::write(serialize(settings), path, LocalFile::Access::OwnerOnly);
}
