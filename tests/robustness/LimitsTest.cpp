// A hostile or broken server cannot exhaust the client's memory or keep it waiting for ever, and
// the user always has a way out of a wait.
#include "ClientFixture.h"
#include "MemoryUse.h"
#include "PlaylistController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using Fault = SonaricTestServer::Fault;

const QString unreadable =
    "The server's reply could not be read: it is not a reply this client understands.";

class Limits;

struct LimitCase {
    const char* name;
    std::function<void(Limits&)> arrange;
    bool refresh; // else a search
    QString message;
    int withinSeconds;
    double underMiB; // growth of the peak resident memory
};

// Test names and failures print the case's name, not its bytes.
void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.name;
}

class Limits : public ClientFixture, public ::testing::WithParamInterface<LimitCase> {
public:
    using ClientFixture::server;
    using ClientFixture::window;
    TestServer other;

protected:
    void SetUp() override {
        openLibrary();
        library().search("dawn");
        ASSERT_TRUE(dialogs.shown.empty());
    }
};

// Each case ends within its time and memory bound, with the message the user is owed, and the
// window answers the next command as if nothing had happened.
TEST_P(Limits, EndsInBoundedTimeAndMemory) {
    const LimitCase& c = GetParam();
    const QString token = window->authToken();
    c.arrange(*this);
    MemoryUse::resetPeak();
    const double before = MemoryUse::currentMiB();
    QElapsedTimer clock;
    clock.start();
    if (c.refresh)
        window->RefreshLibrary();
    else
        library().search("o");
    const double seconds = clock.elapsed() / 1000.0;
    const double grown = MemoryUse::peakMiB() - before;
    std::printf("[ measure  ] %s: %.1f s, peak memory +%.0f MiB\n", c.name, seconds, grown);

    EXPECT_EQ(dialogs.texts("critical"), QStringList{c.message});
    EXPECT_LT(seconds, c.withinSeconds);
    EXPECT_LT(grown, c.underMiB);
    EXPECT_FALSE(library().isBusy());
    EXPECT_FALSE(window->httpClient().isBusy());
    // Either the old token or a new one the server handed out: never what a hostile reply held.
    EXPECT_TRUE(window->authToken() == token ||
                window->authToken() == QString::fromStdString(server->currentToken()));

    server->clearOverrides();
    dialogs.shown.clear();
    library().search("dusk");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(library().songs(1)->count(), 1);
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), "Search Complete");
}

LimitCase bombCase(const char* name, const char* encoding,
                   const QString& reason = "The reply could not be expanded within the client's "
                                           "limits.") {
    return {name,
            [encoding](Limits& t) {
                t.server->setBombEncoding(encoding);
                t.server->setFault(Fault::CompressionBomb, "search_songs");
            },
            false,
            failedBecause(reason),
            30,
            64};
}

const LimitCase limitCases[] = {
    // The body is held until the limit; growth and the copy that reading takes stay under it
    // twice over even in a sanitizer build.
    {"EndlessReply",
     [](Limits& t) {
         t.window->httpClient().setStallTimeout(HttpClient::DefaultStallTimeout);
         t.server->setFault(Fault::Endless, "artists");
     },
     true, failedBecause("The reply is larger than 256 MB."), 120, 700},
    {"OversizeContentLength",
     [](Limits& t) { t.server->setFault(Fault::OversizeLength, "search_songs"); }, false,
     failedBecause("The reply is larger than 256 MB."), 5, 64},
    {"TricklingReply",
     [](Limits& t) {
         t.window->httpClient().setLowSpeedLimit({1024, std::chrono::milliseconds(1000)});
         t.server->setFault(Fault::Trickle, "search_songs", 100);
     },
     false, failedBecause("Less than 1024 bytes arrived from the server in 1 s."), 10, 64},
    bombCase("GzipBomb", "gzip"),
    bombCase("DeflateBomb", "deflate"),
    bombCase("UnaskedEncoding", "br",
             "The server sent the reply in an encoding the client did not ask for."),
    {"DamagedGzip", [](Limits& t) { t.server->setFault(Fault::DamagedEncoding, "search_songs"); },
     false, failedBecause("The server's compressed reply is damaged."), 10, 64},
    {"RedirectLoop",
     [](Limits& t) {
         t.server->setRedirectTarget(t.server.url().toStdString());
         t.server->setFault(Fault::Redirect, "search_songs");
     },
     false, failedBecause("The server redirected the request more than 5 times."), 10, 64},
    {"RedirectToAnotherServer",
     [](Limits& t) {
         t.server->setRedirectTarget(t.other.url().toStdString());
         t.server->setFault(Fault::Redirect, "search_songs");
     },
     false, failedBecause("The server redirected the request to another address."), 10, 64},
    {"OverlongToken",
     [](Limits& t) {
         t.server->setReply("handshake",
                            "<root><auth>" + std::string(1 << 20, 'x') + "</auth></root>");
     },
     true, unreadable, 10, 64},
    {"OverlongId",
     [](Limits& t) {
         t.server->setReply("artists", "<root><artist id=\"" + std::string(2000, '7') +
                                           "\"><name>n</name></artist></root>");
     },
     true, unreadable, 10, 64},
};

INSTANTIATE_TEST_SUITE_P(HostileServer, Limits, ::testing::ValuesIn(limitCases),
                         [](const auto& info) { return std::string(info.param.name); });

using WaysOut = ClientFixture;

// Redirects within the server's own origin are followed.
TEST_F(WaysOut, ARedirectOnTheSameServerIsFollowed) {
    openLibrary();
    server->setRedirectTarget(server.url().toStdString() + "/moved");
    server->setFault(Fault::Redirect, "search_songs", 0, 1);
    library().search("dawn");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(library().songs(1)->count(), 1);
    EXPECT_EQ(server.requestsOf("search_songs").back().path, "/moved/server/xml.server.php");
}

TEST_F(WaysOut, EscapeEndsATricklingSearchAndPutsTheListBack) {
    openLibrary(true);
    library().search("dawn");
    window->playlist().addSong(1);
    server->setFault(Fault::Trickle, "search_songs", 1000);
    window->httpClient().setStallTimeout(HttpClient::DefaultStallTimeout);
    bool playlistKept = false;
    // From half a second on, the status bar shows that bytes arrive and how to stop them,
    // beside the status text.
    QStringList progressShown;
    QTimer::singleShot(1300, window.get(), [&] {
        for (const char* name : {"lblTransfer", "prgTransfer", "lblCancelHint"})
            if (control<QWidget>(name)->isVisible())
                progressShown << name;
        const QString transfer = control<QLabel>("lblTransfer")->text();
        progressShown
            << (QRegularExpression("^\\d+ bytes? at \\d+ bytes?/s$").match(transfer).hasMatch()
                    ? "bytes at a rate"
                    : transfer)
            << control<QLabel>("StatusBarPanel1")->text();
        // Other input is held back during the wait: this click does nothing.
        QTest::mouseClick(control<QPushButton>("cmdClearPlaylist"), Qt::LeftButton);
        playlistKept = window->playlist().count() == 1;
        QTest::keyClick(window.get(), Qt::Key_Escape);
    });
    QElapsedTimer clock;
    clock.start();
    library().search("o");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(progressShown, (QStringList{"lblTransfer", "prgTransfer", "lblCancelHint",
                                          "bytes at a rate", "Searching..."}));
    EXPECT_FALSE(control<QWidget>("prgTransfer")->isVisible());
    EXPECT_TRUE(playlistKept);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), "Cancelled");
    EXPECT_EQ(library().songs(1)->count(), 1);
    EXPECT_EQ(library().songs(1)->entry(0).text, "Dawn - The Quiet Ones");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    server->clearOverrides();
    server->clearRequests();
    library().search("dusk");
    EXPECT_EQ(server.requestsOf("search_songs").size(), 1u);
    EXPECT_EQ(library().songs(1)->entry(0).text, "Dusk - The Quiet Ones");
}

// The tree and the lists come back; the token is the one the refresh's own sign-in obtained,
// which the server may already have put in place of the old one.
TEST_F(WaysOut, ACancelledRefreshPutsTreeAndListsBackAndKeepsItsNewToken) {
    openLibrary(true);
    library().showTracks("album10");
    library().search("dawn");
    const QString token = window->authToken();
    const int artists = library().catalogue()->artistCount();
    const QString artistCount = control<QLabel>("StatusBarPanel2")->text();
    server->setFault(Fault::Trickle, "albums", 1000);
    QTimer::singleShot(300, window.get(), [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    window->RefreshLibrary();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), "Cancelled");
    EXPECT_NE(window->authToken(), token);
    EXPECT_EQ(window->authToken(), QString::fromStdString(server->currentToken()));
    EXPECT_EQ(library().catalogue()->artistCount(), artists);
    EXPECT_EQ(library().songs(0)->count(), 3);
    EXPECT_EQ(library().songs(1)->count(), 1);
    EXPECT_EQ(control<QLabel>("StatusBarPanel2")->text(), artistCount);

    // A sign-in cancelled before it got its answer leaves the token as it was.
    const QString newToken = window->authToken();
    server->setFault(Fault::Trickle, "handshake", 1000);
    QTimer::singleShot(300, window.get(), [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    window->RefreshLibrary();
    EXPECT_EQ(window->authToken(), newToken);
}

TEST_F(WaysOut, EscapeEndsAnAddAndNothingIsAdded) {
    openLibrary(true);
    server->setFault(Fault::Trickle, "song", 1000);
    QTimer::singleShot(300, window.get(), [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    window->playlist().addSong(1);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(window->playlist().count(), 0);
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), "Cancelled");
    // The next add that succeeds says nothing of the one before.
    server->clearOverrides();
    window->playlist().addSong(1);
    EXPECT_EQ(window->playlist().count(), 1);
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), "");
}

TEST_F(WaysOut, ClosingTheWindowEndsTheWaitAndCloses) {
    openLibrary(true);
    server->setFault(Fault::Trickle, "search_songs", 1000);
    window->httpClient().setStallTimeout(HttpClient::DefaultStallTimeout);
    QTimer::singleShot(300, window.get(), [&] { window->close(); });
    QElapsedTimer clock;
    clock.start();
    library().search("o");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WaysOut, TheWindowAppearsWhileASlowSignInRuns) {
    appData.writeSettings(settingsText("1"));
    server->setFault(Fault::Delay, "handshake", 1500);
    makeWindow();
    bool visibleDuringSignIn = false;
    QString statusDuringSignIn;
    QTimer::singleShot(500, window.get(), [&] {
        visibleDuringSignIn = window->isVisible() && window->windowHandle()->isExposed();
        statusDuringSignIn = control<QLabel>("StatusBarPanel1")->text();
    });
    startUp();
    EXPECT_TRUE(visibleDuringSignIn);
    EXPECT_EQ(statusDuringSignIn, "Contacting server (" + server.url() + ")...");
    EXPECT_EQ(library().catalogue()->artistCount(), 8);
}

} // namespace
