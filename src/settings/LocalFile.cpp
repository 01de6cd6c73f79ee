#include "LocalFile.h"

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

QString tr(const char* text) {
    return QCoreApplication::translate("LocalFile", text);
}

} // namespace

// Only a regular file of at most the given size is read. Whatever else stands at its
// path (a device, a FIFO, a folder, a file grown huge) is none: it is neither waited on nor read
// without end. The kind and size are those of the file opened, not of a name looked up before.
std::optional<QByteArray> LocalFile::read(const QString& path, qint64 maximumBytes,
                                          QString* problem) {
    auto none = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const QString notAFile = tr("It is not a regular file.");
    const QString tooLarge =
        tr("It is larger than %1 MB.").arg(double(maximumBytes) / (1024 * 1024));
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
    if (info.st_size > maximumBytes)
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
    if (file.size() > maximumBytes)
        return none(tooLarge);
#endif
    QByteArray bytes = file.read(maximumBytes + 1);
    if (bytes.size() > maximumBytes)
        return none(tooLarge);
    return bytes;
}

std::optional<QString> LocalFile::write(const QByteArray& bytes, const QString& path,
                                        Access access) {
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
    if (access == Access::OwnerOnly &&
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return tr("The permissions of %1 could not be restricted.")
            .arg(QDir::toNativeSeparators(path));
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
