#include "ClientFixture.h"
#include "MprisClient.h"
#include "PrivateBus.h"
#include "QtUserDialogs.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>

namespace {

using Fault = SonaricTestServer::Fault;

// Whether the program was still busy at the moment a message box was shown.
class ShowWatch : public QObject {
public:
    std::function<bool()> busy;
    std::vector<bool> busyAtShow;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox*>(watched))
            busyAtShow.push_back(busy());
        return false;
    }
};

// The real box for a failed command: up once the program is idle again, and meanwhile the
// program goes on; a second start, the desktop's media controls and the box's own Escape are
// each handled once.
class FailureBox : public ClientFixture {};

TEST_F(FailureBox, IsUpWithoutHoldingTheProgram) {
    PrivateBus bus;
    QtUserDialogs boxes;
    App::Options options;
    options.bus = bus.connect("player");
    makeWindow(std::move(options), &boxes);
    pointAt(server.url());
    QCoreApplication::sendPostedEvents(app.get(), QEvent::MetaCall);
    MprisClient mpris(bus.connect("desktop"), app->findChild<MprisService*>()->serviceName());
    QTemporaryDir runtime;
    SingleInstance first(runtime.filePath("client"));
    ASSERT_TRUE(first.claim());
    int raised = 0;
    QObject::connect(&first, &SingleInstance::raiseRequested, window.get(), [&] { ++raised; });
    window->show();
    refresh();
    addSong(1);
    ASSERT_EQ(app->player().count(), 1);

    server->setFault(Fault::Http500, "artists");
    ShowWatch watch;
    // What holds input back and shows the busy pointer.
    bool holding = false;
    QObject::connect(app.get(), &App::busyChanged, &watch, [&](bool busy) { holding = busy; });
    watch.busy = [&] { return holding || QGuiApplication::overrideCursor(); };
    qApp->installEventFilter(&watch);
    app->refreshLibrary();
    ASSERT_TRUE(eventually(
        [&] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; }));
    qApp->removeEventFilter(&watch);
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    EXPECT_EQ(watch.busyAtShow, std::vector<bool>{false});
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), App::title());
    EXPECT_EQ(app->status().text(), "Library refresh failed");

    bool secondRuns = true;
    std::unique_ptr<QThread> second(QThread::create([&] {
        SingleInstance other(runtime.filePath("client"));
        secondRuns = other.claim();
    }));
    second->start();
    mpris.call("Play");
    EXPECT_TRUE(eventually([&] { return mpris.property("PlaybackStatus") == "Playing"; }));
    EXPECT_TRUE(eventually([&] { return raised == 1 && second->isFinished(); }));
    EXPECT_FALSE(secondRuns);
    EXPECT_EQ(QApplication::activeModalWidget(), box);

    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(eventually([&] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_TRUE(eventually([&] { return window->findChildren<QMessageBox*>().isEmpty(); }));
    EXPECT_FALSE(app->isBusy());
    EXPECT_EQ(app->status().text(), "Library refresh failed");
    EXPECT_EQ(server.requestsOf("artists").size(), 2u);
    EXPECT_EQ(app->player().playbackState(), PlaybackState::Playing);
    EXPECT_EQ(raised, 1);
}

} // namespace
