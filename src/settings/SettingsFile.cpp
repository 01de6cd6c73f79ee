#include "SettingsFile.h"

#include "SonaricVersion.h"
#include "XmlDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

QByteArray escaped(const QString& value) {
    QByteArray out;
    const QByteArray utf8 = value.toUtf8();
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            // A reader turns a bare CR, or CR LF, into LF: only a reference keeps it.
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
    return out;
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

// Only a regular file of at most MaximumBytes is a settings file. Whatever else stands at its
// path (a device, a FIFO, a folder, a file grown huge) is none: it is neither waited on nor read
// without end. The kind and size are those of the file opened, not of a name looked up before.
std::optional<QByteArray> SettingsFile::readBytes(const QString& path, QString* problem) {
    auto none = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const QString notAFile = tr("It is not a regular file.");
    const QString tooLarge = tr("It is larger than %1 MB.").arg(MaximumBytes / (1024 * 1024));
    QFile file;
#ifdef Q_OS_UNIX
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return none(errno == ENOENT ? QString() : QString::fromLocal8Bit(std::strerror(errno)));
    auto closeDescriptor = qScopeGuard([descriptor] { ::close(descriptor); });
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        return none(notAFile);
    if (info.st_size > MaximumBytes)
        return none(tooLarge);
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return none(file.errorString());
    closeDescriptor.dismiss();
#else
    file.setFileName(path);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return none(QString());
    if (!info.isFile())
        return none(notAFile);
    if (!file.open(QIODevice::ReadOnly))
        return none(file.errorString());
    if (file.isSequential())
        return none(notAFile);
    if (file.size() > MaximumBytes)
        return none(tooLarge);
#endif
    QByteArray bytes = file.read(MaximumBytes + 1);
    if (bytes.size() > MaximumBytes)
        return none(tooLarge);
    return bytes;
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
    return QByteArray("<settings>\r\n") + line("servername", escaped(settings.servername)) +
           line("username", escaped(settings.username)) +
           line("password", escaped(settings.passwordDigest)) +
           line("autorefresh", settings.autoRefresh ? "1" : "0") +
           line("autoplay", settings.autoPlay ? "1" : "0") + "</settings>\r\n";
}

std::optional<QString> SettingsFile::write(const StoredSettings& settings, const QString& path) {
#ifdef Q_OS_UNIX
    // Past a file size limit (ulimit -f) the system would end the whole program, session and
    // playlist with it. Ignored, the write fails and is reported like a full disk. A handler
    // someone else set is left in place.
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);
#endif
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return tr("The folder %1 could not be created.").arg(QDir::toNativeSeparators(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The digest signs in as well as the password would: keep it from other users.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return tr("The permissions of %1 could not be restricted.")
            .arg(QDir::toNativeSeparators(path));
    const QByteArray bytes = serialize(settings);
    if (file.write(bytes) != bytes.size())
        return file.errorString();
    // Qt counts a short write (file size limit, full disk) as a success, and would then commit
    // a truncated file over the good one: check what really reached the file first.
    const qint64 written = file.size();
    if (written != bytes.size()) {
        file.cancelWriting();
        return tr("Only %1 of %2 bytes of %3 could be written.")
            .arg(written)
            .arg(bytes.size())
            .arg(QDir::toNativeSeparators(path));
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
