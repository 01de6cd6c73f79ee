#include "AppFixture.h"
#include "TestCertificates.h"

namespace {

class Tls : public AppFixture {
protected:
    TestCertificates certificates;
    std::unique_ptr<TestServer> secure;

    void serveHttps(const QString& certificate) {
        SonaricTestServer::Options options;
        options.certificateFile = certificates.file(certificate + ".pem");
        options.keyFile = certificates.file(certificate + ".key");
        secure = std::make_unique<TestServer>(Catalogue::demo(), options);
    }

    void refreshFrom(const QString& url, bool playerTrusts = true) {
        tlsCaFile = playerTrusts ? certificates.path("ca.pem").toUtf8() : QByteArray();
        makeApp();
        pointAt(url);
        reports.clear();
        refresh();
    }
};

// libmpv checks the stream's certificate itself, against the authorities it is given.
TEST_F(Tls, ATrustedServerSignsInAndPlaysWhereThePlayerTrustsItToo) {
    const auto trust = certificates.trust();
    serveHttps("server");
    ASSERT_TRUE(secure->url().startsWith("https://"));
    for (bool playerTrusts : {true, false}) {
        refreshFrom(secure->url(), playerTrusts);
        ASSERT_TRUE(reports.isEmpty()) << reports[0].toStdString();
        EXPECT_EQ(library().catalogue()->artistCount(), 8);
        secure->server().clearRequests();
        app->setAutoPlay(true);
        QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
        QSignalSpy ended(&engine(), &MpvPlayer::entryEnded);
        addSong(1);
        if (playerTrusts) {
            ASSERT_TRUE(started.wait(5000));
            EXPECT_TRUE(
                app->player().currentItem()->track().address.url().toString().startsWith("https:"));
        } else {
            ASSERT_TRUE(ended.wait(10000));
            EXPECT_EQ(ended.first().at(1).value<MpvPlayer::EndReason>(),
                      MpvPlayer::EndReason::Failed);
            EXPECT_TRUE(secure->requestsOf("stream").empty());
        }
    }
}

// A refusal names what was wrong after the fixed prompt. The one redirect to another port that is
// followed is from http to https on the same host.
TEST_F(Tls, CertificatesAndRedirectsAreCheckedBeforeTheSignIn) {
    enum class Redirect { None, ToHttp, ToHttps };
    const struct {
        const char* name;
        bool trusted;
        const char* certificate;
        Redirect redirect;
        QStringList said; // parts of the one message; none when the refresh succeeds
    } cases[] = {
        {"untrusted",
         false,
         "server",
         Redirect::None,
         {"Unable to refresh library.", "\nThe server's certificate was refused:"}},
        {"another host",
         true,
         "wronghost",
         Redirect::None,
         {"\nThe server's certificate was refused:", "host name"}},
        {"https to http",
         true,
         "server",
         Redirect::ToHttp,
         {"\nThe server redirected the request to another address."}},
        {"http to https", true, "server", Redirect::ToHttps, {}},
    };
    for (const auto& c : cases) {
        const auto trust = c.trusted ? certificates.trust() : nullptr;
        serveHttps(c.certificate);
        TestServer plain;
        if (c.redirect == Redirect::ToHttp) {
            secure->server().setRedirectTarget(plain.url().toStdString());
            secure->server().setFault(SonaricTestServer::Fault::Redirect, "handshake");
        } else if (c.redirect == Redirect::ToHttps) {
            plain->setRedirectTarget(secure->url().toStdString());
            plain->setFault(SonaricTestServer::Fault::Redirect);
        }
        refreshFrom(c.redirect == Redirect::ToHttps ? plain.url() : secure->url());
        const QStringList messages = reports;
        ASSERT_EQ(messages.size(), c.said.isEmpty() ? 0 : 1) << c.name;
        for (const QString& part : c.said)
            EXPECT_TRUE(messages[0].contains(part, Qt::CaseInsensitive))
                << c.name << ": " << messages[0].toStdString();
        EXPECT_EQ(library().catalogue()->artistCount(), c.said.isEmpty() ? 8 : 0) << c.name;
        EXPECT_EQ(app->session().authToken.isEmpty(), !c.said.isEmpty()) << c.name;
        EXPECT_EQ(secure->requestsOf("handshake").size(), c.redirect == Redirect::None ? 0u : 1u)
            << c.name;
        EXPECT_TRUE(c.redirect == Redirect::ToHttps || plain.requestsOf("handshake").empty());
        app.reset();
    }
}

} // namespace
