// Replies are parsed and read on a worker thread while the GUI thread goes on: the window keeps
// painting, the user's way out still works, and the models change only on
// the GUI thread, once, at the end (the models abort when filled from another thread).
#include "ClientFixture.h"

namespace {

using ReplyReading = ClientFixture;

// Escape while a reply is being read (the transfer is over) throws away what was read; the token
// stays the one the server handed out last.
TEST_F(ReplyReading, ACancelDuringReadingPutsEverythingBack) {
    const struct {
        const char* name;
        int replyToCancel; // counted from the command's first reply
        std::function<void()> run;
    } cases[] = {
        {"refresh, artists", 2, [this] { refresh(); }},
        {"refresh, albums", 3, [this] { refresh(); }},
        {"track list", 1, [this] { showTracks("album11"); }},
        {"search", 1, [this] { search("o"); }},
    };
    openLibrary();
    showTracks("album10");
    search("dawn");
    const QStringList tree = treeTexts(), tracks = songLines(0), found = songLines(1);
    for (const auto& c : cases) {
        int replies = 0;
        const QMetaObject::Connection cancelling =
            QObject::connect(&app->http(), &HttpClient::replyReceived, window.get(), [&] {
                if (++replies == c.replyToCancel)
                    app->cancel();
            });
        c.run();
        QObject::disconnect(cancelling);
        EXPECT_EQ(replies, c.replyToCancel) << c.name;
        EXPECT_TRUE(dialogs.shown.empty()) << c.name;
        EXPECT_EQ(status(), "Cancelled") << c.name;
        EXPECT_EQ(treeTexts(), tree) << c.name;
        EXPECT_EQ(songLines(0), tracks) << c.name;
        EXPECT_EQ(songLines(1), found) << c.name;
        EXPECT_EQ(app->session().authToken, QString::fromStdString(server->currentToken()))
            << c.name;
        expectIdle();
    }
}

// A long list is read while the GUI thread goes on: timers fire and the list view paints.
TEST_F(ReplyReading, TheWindowPaintsWhileAReplyIsRead) {
    TestServer big(Catalogue::generated(10, 10, 200000));
    openWindow();
    app->setServername(big.url());
    app->http().setStallTimeout(HttpClient::DefaultStallTimeout);
    window->show();
    refresh();
    QListView* list = control<QListView>("lstSongs0");
    int paints = 0, ticks = 0;
    bool reading = false;
    struct PaintCounter : QObject {
        int& count;
        bool& reading;
        PaintCounter(int& c, bool& r) : count(c), reading(r) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint && reading)
                ++count;
            return false;
        }
    } counter(paints, reading);
    list->viewport()->installEventFilter(&counter);
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, window.get(), [&] {
        if (!reading)
            return;
        ++ticks;
        list->viewport()->update();
    });
    QObject::connect(&app->http(), &HttpClient::replyReceived, window.get(),
                     [&] { reading = true; });
    tick.start();
    search("Song");
    reading = false;
    EXPECT_EQ(library().songs(1)->count(), 200000);
    EXPECT_GT(ticks, 0);
    EXPECT_GT(paints, 0);
    std::printf("[ measure  ] while 200,000 songs were read: %d timer ticks, %d paints\n", ticks,
                paints);
}

} // namespace
