#include "ClientFixture.h"
#include "MediaPlayer.h"
#include "PlaylistController.h"
#include "TestCertificates.h"

#include <QSignalSpy>

namespace {

class Tls : public ::testing::Test {
protected:
    TestCertificates certificates;
    TempAppData appData;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmPlayer> window;

    void TearDown() override { window.reset(); }

    std::unique_ptr<TestServer> httpsServer(const QString& name) {
        SonaricTestServer::Options options;
        options.certificateFile = certificates.file(name + ".pem");
        options.keyFile = certificates.file(name + ".key");
        return std::make_unique<TestServer>(Catalogue::demo(), options);
    }

    frmPlayer& openWindow(const QString& url, bool playerTrusts = true) {
        frmPlayer::Options options;
        options.nullAudio = true;
        if (playerTrusts)
            options.tlsCaFile = certificates.path("ca.pem").toUtf8();
        window = std::make_unique<frmPlayer>(dialogs, options);
        window->setServername(url);
        window->setUsername("demo");
        window->setHashKey(CSHA256().SHA256(QStringLiteral("demo")));
        return *window;
    }
};

TEST_F(Tls, ATrustedServerSignsInAndPlays) {
    const auto trust = certificates.trust();
    auto server = httpsServer("server");
    ASSERT_TRUE(server->url().startsWith("https://"));
    openWindow(server->url()).setAutoPlay(true);
    window->RefreshLibrary();
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(window->library().catalogue()->artistCount(), 8);
    QSignalSpy started(&window->mediaPlayer().engine(), &MpvPlayer::playbackStarted);
    window->playlist().addSong(1);
    ASSERT_TRUE(started.wait(5000));
    EXPECT_TRUE(window->mediaPlayer().currentMedia()->sourceURL().toString().startsWith("https:"));
    window.reset();
}

TEST_F(Tls, ThePlayerRefusesAnUntrustedStream) {
    const auto trust = certificates.trust();
    auto server = httpsServer("server");
    openWindow(server->url(), false).setAutoPlay(true);
    window->RefreshLibrary();
    QSignalSpy ended(&window->mediaPlayer().engine(), &MpvPlayer::entryEnded);
    window->playlist().addSong(1);
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(ended.first().at(1).value<MpvPlayer::EndReason>(), MpvPlayer::EndReason::Failed);
    EXPECT_TRUE(server->requestsOf("stream").empty());
    window.reset();
}

TEST_F(Tls, AnUntrustedCertificateIsRefusedAndNamed) {
    auto server = httpsServer("server");
    openWindow(server->url());
    window->RefreshLibrary();
    ASSERT_EQ(dialogs.texts("critical").size(), 1);
    const QString message = dialogs.texts("critical")[0];
    // The fixed prompt first, then what was wrong.
    EXPECT_TRUE(message.startsWith("Unable to refresh library."));
    EXPECT_TRUE(message.contains("\nThe server's certificate was refused:"))
        << message.toStdString();
    EXPECT_TRUE(server->requestsOf("handshake").empty());
    EXPECT_TRUE(window->authToken().isEmpty());
}

TEST_F(Tls, ACertificateForAnotherHostIsRefusedAndNamed) {
    const auto trust = certificates.trust();
    auto server = httpsServer("wronghost");
    openWindow(server->url());
    window->RefreshLibrary();
    ASSERT_EQ(dialogs.texts("critical").size(), 1);
    const QString message = dialogs.texts("critical")[0];
    EXPECT_TRUE(message.contains("certificate was refused")) << message.toStdString();
    EXPECT_TRUE(message.contains("host name", Qt::CaseInsensitive)) << message.toStdString();
}

TEST_F(Tls, ARedirectFromHttpsToHttpIsNotFollowed) {
    const auto trust = certificates.trust();
    auto secure = httpsServer("server");
    TestServer plain;
    secure->server().setRedirectTarget(plain.url().toStdString());
    secure->server().setFault(SonaricTestServer::Fault::Redirect, "handshake");
    openWindow(secure->url());
    window->RefreshLibrary();
    EXPECT_TRUE(plain.requestsOf("handshake").empty());
    ASSERT_EQ(dialogs.texts("critical").size(), 1);
    EXPECT_TRUE(dialogs.texts("critical")[0].endsWith(
        "\nThe server redirected the request to another address."));
    EXPECT_TRUE(window->authToken().isEmpty());
}

// The one redirect to another port that is taken: from http to https on the same host.
TEST_F(Tls, ARedirectFromHttpToHttpsOnTheSameHostIsFollowed) {
    const auto trust = certificates.trust();
    auto secure = httpsServer("server");
    TestServer plain;
    plain->setRedirectTarget(secure->url().toStdString());
    plain->setFault(SonaricTestServer::Fault::Redirect);
    openWindow(plain.url());
    window->RefreshLibrary();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(window->library().catalogue()->artistCount(), 8);
    EXPECT_EQ(secure->requestsOf("handshake").size(), 1u);
}

} // namespace
