#include "SingleInstance.h"

#include <QDir>
#include <QLocalSocket>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
constexpr int WaitMs = 2000;
constexpr char Raise[] = "raise\n";
} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)) {
    // No access options: with them Qt replaces a socket already there, the running instance's.
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
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
    const QString user = QString::number(::getuid());
#else
    const QString user = qEnvironmentVariable("USERNAME");
#endif
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString name = QStringLiteral("sonaric-client-") + user;
    return runtime.isEmpty() ? name : QDir(runtime).filePath(name);
}

// Asked first, as Windows lets a second server open a pipe of the same name beside the first.
bool SingleInstance::claim() {
    if (handOver())
        return false;
    if (m_server.listen(m_name))
        return true;
    // A socket nobody listens on, left by a client that ended without closing it. Should that
    // still fail, the client runs rather than not at all.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name) || !handOver();
}

// Whether an instance listens; it is asked to come to the front. One that takes the connection
// but is slow to answer still counts: a second player must not start beside it.
bool SingleInstance::handOver() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write(Raise);
    // The running instance closes the connection once it has read the request.
    if (socket.waitForBytesWritten(WaitMs) && socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(WaitMs);
    return true;
}
