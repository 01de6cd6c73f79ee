// The commands against the application object and the test server: what a failed or cancelled
// command leaves behind, and the renewal of a lapsed session.
#include "AppFixture.h"

namespace {

using Fault = SonaricTestServer::Fault;
using LibraryCommands = AppFixture;

// A refresh that fails says why and empties the tree and both lists, apart from artists that were
// read before the failure; a sign-in that failed keeps the old token. Only a refused token (401)
// signs in again. The search button stays as the last good refresh left it.
TEST_F(LibraryCommands, AFailedRefreshSaysWhyAndKeepsWhatItMay) {
    const struct {
        const char* name;
        std::function<void()> arrange;
        QString message;
        int nodesLeft;
        bool signedIn;
    } cases[] = {
        {"wrong password", [this] { app->setHashKey(Sha256().hex(QStringLiteral("wrong"))); },
         "Error Authenticating[Sonaric Error: 401]", 0, false},
        {"handshake of another kind",
         [this] { server->setReply("handshake", "<html><body><p>Welcome</p></body></html>"); },
         "The server's reply could not be read: it is not a reply this client understands.", 0,
         false},
        {"artists truncated", [this] { server->setFault(Fault::TruncatedBody, "artists"); },
         failedBecause("The reply is not XML."), 0, true},
        {"albums truncated", [this] { server->setFault(Fault::TruncatedBody, "albums"); },
         failedBecause("The reply is not XML."), 8, true},
        // The lists are asked for side by side; whichever ends first, the outcome is the same.
        {"albums refused while the artists are read",
         [this] {
             server->setFault(Fault::Delay, "artists", 300);
             server->setErrorReply("albums", "500", "Albums unavailable");
         },
         "Albums unavailable[Sonaric Error: 500]", 8, true},
        {"artists truncated after the albums came",
         [this] {
             server->setFault(Fault::TruncatedBody, "artists");
             server->setFault(Fault::Delay, "albums", 300);
         },
         failedBecause("The reply is not XML."), 0, true},
    };
    for (const auto& c : cases) {
        server->clearOverrides();
        openLibrary();
        showTracks("album10");
        search("dawn");
        const QString token = app->session().authToken;
        reports.clear();
        server->clearRequests();
        c.arrange();
        QStringList statuses;
        const QMetaObject::Connection said =
            QObject::connect(&app->status(), &StatusText::textChanged, app.get(),
                             [&](const QString& text) { statuses << text; });
        refresh();
        QObject::disconnect(said);
        EXPECT_EQ(reports, QStringList{c.message}) << c.name;
        EXPECT_EQ(status(), "Library refresh failed") << c.name;
        // Said in the order the lists are, whatever order they came in.
        const QStringList order = {"Fetching artist list...", "Cataloguing artists...",
                                   "Fetching albums...", "Cataloguing albums..."};
        QStringList listed;
        for (const QString& text : statuses)
            if (order.contains(text))
                listed << text;
        EXPECT_EQ(listed, order.mid(0, listed.size())) << c.name;
        EXPECT_EQ(treeTexts().size(), c.nodesLeft) << c.name;
        EXPECT_EQ(library().artistCountText(), "7 artists") << c.name;
        EXPECT_TRUE(songLines(0).isEmpty()) << c.name;
        EXPECT_TRUE(songLines(1).isEmpty()) << c.name;
        EXPECT_EQ(app->session().authToken == token, !c.signedIn) << c.name;
        EXPECT_EQ(server.requestsOf("handshake").size(), 1u) << c.name;
        EXPECT_TRUE(library().isSearchEnabled()) << c.name;
        expectIdle();
    }
    openApp();
    EXPECT_FALSE(library().isSearchEnabled());
}

// A lapsed session renewed is the fault matrix's, a renewal that fails the server call's; the
// refresh signs in itself, so its own requests are not renewed.
TEST_F(LibraryCommands, ARefreshDoesNotRenewItsOwnSignIn) {
    openLibrary();
    server->clearRequests();
    server->setReply("artists", "<root><error code=\"401\">Session Expired</error></root>");
    refresh();
    EXPECT_EQ(reports, QStringList{"Session Expired[Sonaric Error: 401]"});
    EXPECT_EQ(server.requestsOf("handshake").size(), 1u);
}

// Escape while a reply is being read (the transfer is over), or as the request ends with the
// reply read, throws away what was read, then and later; the token stays the one the server
// handed out last.
TEST_F(LibraryCommands, ACancelDuringReadingPutsEverythingBack) {
    const struct {
        const char* name;
        int replyToCancel; // counted from the command's first reply
        std::function<void()> run;
        bool asItEnds = false; // at the request's end rather than its last byte
    } cases[] = {
        {"refresh, the first list", 2, [this] { refresh(); }},
        {"refresh, the second list", 3, [this] { refresh(); }},
        {"track list", 1, [this] { showTracks("album11"); }},
        {"search", 1, [this] { search("o"); }},
        {"refresh, as its lists end", 2, [this] { refresh(); }, true},
        {"search, as it ends", 1, [this] { search("o"); }, true},
    };
    openLibrary();
    showTracks("album10");
    search("dawn");
    const QStringList tree = treeTexts(), tracks = songLines(0), found = songLines(1);
    for (const auto& c : cases) {
        int replies = 0;
        const auto count = [&] {
            if (++replies == c.replyToCancel)
                app->cancel();
        };
        const QMetaObject::Connection cancelling =
            c.asItEnds
                ? QObject::connect(&app->http(), &HttpClient::busyChanged, app.get(),
                                   [&](bool busy) { busy ? void() : count(); })
                : QObject::connect(&app->http(), &HttpClient::replyReceived, app.get(), count);
        c.run();
        QObject::disconnect(cancelling);
        ASSERT_TRUE(readersStopped()) << c.name;
        EXPECT_EQ(replies, c.replyToCancel) << c.name;
        EXPECT_TRUE(reports.isEmpty()) << c.name;
        EXPECT_EQ(status(), "Cancelled") << c.name;
        EXPECT_EQ(treeTexts(), tree) << c.name;
        EXPECT_EQ(songLines(0), tracks) << c.name;
        EXPECT_EQ(songLines(1), found) << c.name;
        EXPECT_EQ(app->session().authToken, QString::fromStdString(server->currentToken()))
            << c.name;
        expectIdle();
    }
}

} // namespace
