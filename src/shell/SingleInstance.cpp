#include "SingleInstance.h"

#include "LocalPeer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {
constexpr int WaitMs = 2000;
constexpr int RetryMs = 50;
constexpr char Raise[] = "raise\n";

#ifdef Q_OS_UNIX
// A folder of this user's that no one else may write to: no one else can put a socket there.
bool isPrivateFolder(const QString& path, bool followLink) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    const int status =
        followLink ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    return status == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A socket's name has a fixed room; a longer path would be cut, or refused.
bool usableSocketPath(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    return name.size() < static_cast<qsizetype>(sizeof(sockaddr_un::sun_path)) &&
           !(::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode));
}
#endif

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {
#ifdef Q_OS_WIN
    // A pipe's name is the same for every user of the machine: only ours may connect to ours.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
#endif
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!LocalPeer::isSameUser(socket->socketDescriptor(), LocalPeer::End::Client)) {
                socket->disconnectFromServer();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine(64) == Raise)
                    emit raiseRequested();
                socket->disconnectFromServer();
            });
        }
    });
}

QString SingleInstance::defaultName() {
#ifdef Q_OS_UNIX
    const QString own = QStringLiteral("sonaric-client-") + QString::number(::getuid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime, true)) {
        const QString path = QDir(runtime).filePath(own);
        if (usableSocketPath(path))
            return path;
    }
    // Under /tmp when the temporary folder's path is too long for a socket's name.
    QString folder = QDir::tempPath() + QLatin1Char('/') + own + QLatin1String(".d");
    if (!usableSocketPath(folder + QLatin1String("/instance")))
        folder = QLatin1String("/tmp/") + own + QLatin1String(".d");
    const QString path = folder + QLatin1String("/instance");
    if (usableSocketPath(path)) {
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
        if (isPrivateFolder(folder, false))
            return path;
    }
    qWarning("no folder of this user's own for the instance socket: starting without the "
             "one-client rule");
    return {};
#else
    return QStringLiteral("sonaric-client-") + qEnvironmentVariable("USERNAME");
#endif
}

QString SingleInstance::lockPath() const {
    // A pipe's name is no path; its lock is in the user's own temporary folder.
    if (QDir::isAbsolutePath(m_name))
        return m_name + QLatin1String(".lock");
    return QDir::temp().filePath(m_name + QLatin1String(".lock"));
}

bool SingleInstance::claim() {
    if (m_name.isEmpty())
        return true;
    switch (m_lock.take(lockPath())) {
    case InstanceLock::Result::Taken:
        // No instance holds the lock, so a socket still there is one left by a client that
        // ended without closing it.
        QLocalServer::removeServer(m_name);
        if (!m_server.listen(m_name))
            qWarning("a later start cannot reach this client: %s",
                     qPrintable(m_server.errorString()));
        return true;
    case InstanceLock::Result::HeldByAnother:
        return handOver() == HandOver::AnotherUser;
    case InstanceLock::Result::Failed:
        break;
    }
    qWarning("the instance lock %s could not be taken: starting without the one-client rule",
             qPrintable(lockPath()));
    return true;
}

// The holder of the lock may still be on its way to listening, so it is given a moment. One that
// never takes the connection, or takes it but is slow to answer, is running all the same: a second
// player must not start beside it. Only one that answers as another user is no instance of ours.
SingleInstance::HandOver SingleInstance::handOver() {
    const QDeadlineTimer deadline(WaitMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_name);
        if (socket.waitForConnected(std::max<qint64>(0, deadline.remainingTime())))
            break;
        if (deadline.hasExpired()) {
            qWarning("the running client does not answer at %s", qPrintable(m_name));
            return HandOver::NoAnswer;
        }
        socket.abort();
        QThread::msleep(RetryMs);
    }
    if (!LocalPeer::isSameUser(socket.socketDescriptor(), LocalPeer::End::Server)) {
        qWarning("the instance socket %s is another user's: not handed over", qPrintable(m_name));
        return HandOver::AnotherUser;
    }
    socket.write(Raise);
    // The running instance closes the connection once it has read the request.
    if (socket.waitForBytesWritten(WaitMs) && socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(WaitMs);
    return HandOver::Done;
}
