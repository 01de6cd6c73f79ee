#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QProcess>

#include <gtest/gtest.h>

// A D-Bus session bus of the test's own, so that no desktop's bus is touched.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        EXPECT_TRUE(m_daemon.waitForStarted(10000));
        EXPECT_TRUE(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : m_names)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    // A new connection to the bus, under a name of the test's choosing.
    QDBusConnection connect(const QString& name) {
        m_names << name;
        QDBusConnection connection = QDBusConnection::connectToBus(m_address, name);
        EXPECT_TRUE(connection.isConnected()) << connection.lastError().message().toStdString();
        return connection;
    }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};
