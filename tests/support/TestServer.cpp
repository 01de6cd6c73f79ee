#include "TestServer.h"

#include <QTcpServer>

QString refusingUrl() {
    // Bind a port, then let it go: nothing listens there afterwards.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}
