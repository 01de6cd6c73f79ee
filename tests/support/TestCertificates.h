#pragma once

#include <QDir>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A certificate authority and two server certificates it signed, made with openssl for one test:
// one for 127.0.0.1, one for another host name.
class TestCertificates {
public:
    TestCertificates() {
        run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
             "/CN=Sonaric Test CA", "-keyout", path("ca.key"), "-out", path("ca.pem")});
        issue("server", "IP:127.0.0.1,DNS:localhost");
        issue("wronghost", "DNS:wrong.example");
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    std::string file(const QString& name) const { return path(name).toStdString(); }

    // Makes QtNetwork trust the test authority until the returned guard goes.
    struct Trust {
        QSslConfiguration previous = QSslConfiguration::defaultConfiguration();
        ~Trust() { QSslConfiguration::setDefaultConfiguration(previous); }
    };
    std::unique_ptr<Trust> trust() const {
        auto guard = std::make_unique<Trust>();
        QSslConfiguration config = guard->previous;
        config.addCaCertificates(QSslCertificate::fromPath(path("ca.pem")));
        QSslConfiguration::setDefaultConfiguration(config);
        return guard;
    }

private:
    // Signed by the authority in one step; the folder's path has no blanks (the program's name
    // has).
    void issue(const QString& name, const QString& altNames) {
        run(QString("req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=%1 -CA %2 -CAkey %3 "
                    "-addext basicConstraints=critical,CA:FALSE -addext subjectAltName=%4 "
                    "-keyout %5 -out %6")
                .arg(name, path("ca.pem"), path("ca.key"), altNames, path(name + ".key"),
                     path(name + ".pem"))
                .split(' '));
    }

    void run(const QStringList& arguments) {
        QProcess openssl;
        openssl.start("openssl", arguments);
        ASSERT_TRUE(openssl.waitForFinished(30000));
        ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    }

    QTemporaryDir m_dir{QDir::tempPath() + "/certificates-XXXXXX"};
};
