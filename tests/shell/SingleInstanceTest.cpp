#include "SingleInstance.h"
#include "ClientFixture.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace {

class SingleInstanceTest : public ClientFixture {
protected:
    QTemporaryDir runtime;
    QString name() const { return runtime.filePath("client"); }

    // A second start, in a thread of its own as another process would be, while this event loop
    // answers it. True when it would run beside the first; the first must have been asked to come
    // to the front.
    bool secondStartRuns(SingleInstance& first) {
        bool runs = true;
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        std::unique_ptr<QThread> second(QThread::create([&] {
            SingleInstance other(name());
            runs = other.claim();
        }));
        second->start();
        EXPECT_TRUE(raised.wait(5000));
        EXPECT_TRUE(second->wait(5000));
        return runs;
    }
};

TEST_F(SingleInstanceTest, ASecondStartRaisesTheFirstWindowAndEnds) {
    SingleInstance first(name());
    ASSERT_TRUE(first.claim());
    openWindow();
    QObject::connect(&first, &SingleInstance::raiseRequested, window.get(),
                     &frmPlayer::bringToFront);
    window->showMinimized();
    ASSERT_TRUE(eventually([&] { return window->isMinimized(); }, 2000));
    EXPECT_FALSE(secondStartRuns(first));
    EXPECT_TRUE(eventually([&] { return !window->isMinimized() && window->isVisible(); }, 2000));
}

// A socket left behind by a client that ended without closing it does not keep the next from
// starting.
TEST_F(SingleInstanceTest, ALeftOverSocketIsNoInstance) {
    {
        QLocalServer crashed;
        ASSERT_TRUE(crashed.listen(name()));
        crashed.close();
    }
    QFile(name()).open(QIODevice::WriteOnly);
    SingleInstance next(name());
    EXPECT_TRUE(next.claim());
    EXPECT_FALSE(secondStartRuns(next));
}

} // namespace
