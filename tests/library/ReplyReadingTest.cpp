// Replies are parsed and read on a worker thread while the GUI thread goes on: the window keeps
// painting, and the models change only on the GUI thread, once, at the end (the models abort when
// filled from another thread). A cancel during the reading is the commands' test.
#include "ClientFixture.h"

namespace {

using ReplyReading = ClientFixture;

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
