// However long a server keeps the client waiting, the user has a way out: Escape or the close box
// ends the wait at once and puts back what the command would have replaced.
#include "ClientFixture.h"

#include <QRegularExpression>

namespace {

using Fault = SonaricTestServer::Fault;

class WaysOut : public ClientFixture {
protected:
    void escapeAfter(int ms) {
        QTimer::singleShot(ms, window.get(),
                           [this] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    }
};

TEST_F(WaysOut, EscapeEndsATricklingSearchAndPutsTheListBack) {
    openLibrary(true);
    search("dawn");
    addSong(1);
    server->setFault(Fault::Trickle, "search_songs", 1000);
    app->http().setStallTimeout(HttpClient::DefaultStallTimeout);
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
            << status();
        // Other input is held back during the wait: this click does nothing.
        QTest::mouseClick(control<QPushButton>("cmdClearPlaylist"), Qt::LeftButton);
        playlistKept = app->player().count() == 1;
        QTest::keyClick(window.get(), Qt::Key_Escape);
    });
    QElapsedTimer clock;
    clock.start();
    search("o");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(progressShown, (QStringList{"lblTransfer", "prgTransfer", "lblCancelHint",
                                          "bytes at a rate", "Searching..."}));
    EXPECT_FALSE(control<QWidget>("prgTransfer")->isVisible());
    EXPECT_TRUE(playlistKept);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(status(), "Cancelled");
    EXPECT_EQ(library().songs(1)->count(), 1);
    EXPECT_EQ(library().songs(1)->entry(0).text, "Dawn - The Quiet Ones");
    expectIdle();
}

// A sign-in cancelled before its answer leaves the token, the tree and the lists as they were. (A
// refresh cancelled after its sign-in keeps the new token, as the reading tests show.)
TEST_F(WaysOut, ACancelledSignInPutsEverythingBack) {
    openLibrary(true);
    showTracks("album10");
    const QString token = app->session().authToken;
    const QString artistCount = control<QLabel>("StatusBarPanel2")->text();
    server->setFault(Fault::Trickle, "handshake", 1000);
    escapeAfter(300);
    refresh();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(status(), "Cancelled");
    EXPECT_EQ(app->session().authToken, token);
    EXPECT_EQ(library().catalogue()->artistCount(), 8);
    EXPECT_EQ(library().songs(0)->count(), 3);
    EXPECT_EQ(control<QLabel>("StatusBarPanel2")->text(), artistCount);
}

// An add ended by Escape adds nothing, and the next add that succeeds gives back what stood
// before; so does one that had to sign in again. The close box closes the window during a wait.
TEST_F(WaysOut, EscapeEndsAnAddAndTheCloseBoxASearch) {
    openLibrary(true);
    search("dawn");
    server->setFault(Fault::Trickle, "song", 1000);
    escapeAfter(300);
    addSong(1);
    EXPECT_EQ(app->player().count(), 0);
    EXPECT_EQ(status(), "Cancelled");
    server->clearOverrides();
    addSong(1);
    EXPECT_EQ(app->player().count(), 1);
    EXPECT_EQ(status(), "Search Complete");
    QStringList statuses;
    QObject::connect(&app->status(), &StatusText::textChanged, window.get(),
                     [&](const QString& text) { statuses << text; });
    server->expireSessions();
    addSong(2);
    EXPECT_EQ(app->player().count(), 2);
    EXPECT_EQ(statuses, (QStringList{"Signing in again...", "Search Complete"}));

    server->setFault(Fault::Trickle, "search_songs", 1000);
    app->http().setStallTimeout(HttpClient::DefaultStallTimeout);
    QTimer::singleShot(300, window.get(), [&] { window->close(); });
    QElapsedTimer clock;
    clock.start();
    search("o");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
}

// The status names the server, less a password in its name.
TEST_F(WaysOut, TheWindowAppearsWhileASlowSignInRuns) {
    QUrl withPassword(server.url());
    withPassword.setUserInfo("demo:secret");
    appData.writeSettings(
        settingsText("1").replace(server.url().toUtf8(), withPassword.toEncoded()));
    server->setFault(Fault::Delay, "handshake", 1500);
    makeWindow();
    bool visibleDuringSignIn = false;
    QString statusDuringSignIn;
    QTimer::singleShot(500, window.get(), [&] {
        visibleDuringSignIn = window->isVisible() && window->windowHandle()->isExposed();
        statusDuringSignIn = status();
    });
    startUp();
    EXPECT_TRUE(visibleDuringSignIn);
    withPassword.setPassword({});
    EXPECT_EQ(statusDuringSignIn, "Contacting server (" + withPassword.toString() + ")...");
    EXPECT_EQ(library().catalogue()->artistCount(), 8);
}

} // namespace
