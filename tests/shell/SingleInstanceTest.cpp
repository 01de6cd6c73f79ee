#include "SingleInstance.h"
#include "ClientFixture.h"
#include "Eventually.h"

#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

class SingleInstanceTest : public ClientFixture {
protected:
    QTemporaryDir runtime;
    QString name() const { return runtime.filePath("client"); }
};

// A second start finds the first, which comes to the front; the second then ends.
TEST_F(SingleInstanceTest, ASecondStartRaisesTheFirstWindow) {
    SingleInstance first(name());
    ASSERT_TRUE(first.claim());
    openWindow();
    QObject::connect(&first, &SingleInstance::raiseRequested, window.get(),
                     &frmPlayer::bringToFront);
    window->showMinimized();
    ASSERT_TRUE(eventually([&] { return window->isMinimized(); }, 2000));

    // The second start runs in a thread of its own, as another process would, while the first
    // one's event loop answers it.
    bool secondRuns = true;
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    std::unique_ptr<QThread> second(QThread::create([&] {
        SingleInstance other(name());
        secondRuns = other.claim();
    }));
    second->start();
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_TRUE(second->wait(5000));
    EXPECT_FALSE(secondRuns);
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
    bool afterRuns = true;
    QSignalSpy raised(&next, &SingleInstance::raiseRequested);
    std::unique_ptr<QThread> after(QThread::create([&] {
        SingleInstance other(name());
        afterRuns = other.claim();
    }));
    after->start();
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_TRUE(after->wait(5000));
    EXPECT_FALSE(afterRuns);
}

} // namespace
