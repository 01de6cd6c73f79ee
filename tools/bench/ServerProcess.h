#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

// The test server in a process of its own, so that the client's memory is measured alone.
class ServerProcess {
public:
    explicit ServerProcess(const QStringList& arguments) {
        m_process.setProgram(QCoreApplication::applicationDirPath() + "/sonaric-test-server");
        m_process.setArguments(arguments);
        m_process.start();
        if (m_process.waitForStarted(10000) && m_process.waitForReadyRead(60000))
            m_url = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~ServerProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    // Empty when the server did not start.
    QString url() const { return m_url; }

private:
    QProcess m_process;
    QString m_url;
};
