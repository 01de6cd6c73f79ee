#include "SingleInstance.h"
#include "ClientFixture.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Starts released at the same moment, over a left-over socket: exactly one runs, and the socket
// it listens on is never taken from it.
TEST_F(SingleInstanceTest, OfManyStartsAtOnceExactlyOneRuns) {
    constexpr int Starts = 8;
    for (int round = 0; round < 3; ++round) {
        {
            QLocalServer crashed;
            ASSERT_TRUE(crashed.listen(name()));
            crashed.close();
        }
        QFile(name()).open(QIODevice::WriteOnly);
        std::atomic<int> ready = 0;
        std::atomic<int> running = 0;
        std::atomic<int> handedOver = 0;
        std::vector<std::unique_ptr<QThread>> starts;
        for (int i = 0; i < Starts; ++i) {
            starts.emplace_back(QThread::create([&] {
                SingleInstance start(name());
                for (++ready; ready < Starts;)
                    QThread::yieldCurrentThread();
                if (!start.claim()) {
                    ++handedOver;
                    return;
                }
                ++running;
                // The one that runs keeps listening until every other start has ended.
                const QDeadlineTimer deadline(10000);
                while (handedOver + running < Starts && !deadline.hasExpired())
                    QThread::msleep(10);
            }));
            starts.back()->start();
        }
        for (auto& start : starts)
            ASSERT_TRUE(start->wait(20000));
        EXPECT_EQ(running, 1) << "round " << round;
    }
}

#ifndef _WIN32
// Sets environment variables for as long as it lives.
class Environment {
public:
    void set(const char* name, const QByteArray& value) {
        m_saved.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~Environment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            const auto& [name, value, wasSet] = *it;
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    std::vector<std::tuple<const char*, QByteArray, bool>> m_saved;
};

class InstanceFolderTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    Environment environment;
    QString temp = root.filePath("tmp");
    QString own = QStringLiteral("sonaric-client-") + QString::number(::getuid());

    void SetUp() override {
        // A temporary folder as the system's is: everyone may add to it.
        ASSERT_TRUE(QDir().mkpath(temp));
        ::chmod(QFile::encodeName(root.path()).constData(), 0755);
        ::chmod(QFile::encodeName(temp).constData(), 01777);
        environment.set("TMPDIR", QFile::encodeName(temp));
    }
    QString folder(const char* name, mode_t mode) {
        const QString path = root.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }
};

// Where the socket goes when the runtime folder cannot hold it: a folder at its name, or a path
// longer than a socket's name may be.
TEST_F(InstanceFolderTest, AnUnusableRuntimePathFallsBackToAPrivateFolder) {
    const QString runtime = folder("run", 0700);
    QDir(runtime).mkdir(own);
    const QString deep = folder(QByteArray(100, 'd').constData(), 0700);
    for (const QString& place : {runtime, deep}) {
        environment.set("XDG_RUNTIME_DIR", QFile::encodeName(place));
        const QString name = SingleInstance::defaultName();
        EXPECT_EQ(name, temp + "/" + own + ".d/instance") << place.toStdString();
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(temp + "/" + own + ".d").constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        SingleInstance first(name);
        ASSERT_TRUE(first.claim());
        std::unique_ptr<QThread> second(
            QThread::create([&] { EXPECT_FALSE(SingleInstance(name).claim()); }));
        second->start();
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        EXPECT_TRUE(raised.wait(5000));
        EXPECT_TRUE(second->wait(5000));
    }
}

// Another local user who listens first where the client would look (run by root as two users).
TEST_F(InstanceFolderTest, AnotherUsersSocketIsNeverHandedOver) {
    if (::getuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        GTEST_SKIP() << "acting as another user needs root and setpriv";
    const QString stranger = "65534";
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        GTEST_SKIP() << "no " << python.toStdString();
    // Listens on each path given, as the other user, and prints what anyone sends it.
    const QString listener = QStringLiteral(R"(
import os, select, socket, sys
sockets = []
for path in sys.argv[1:]:
    os.makedirs(os.path.dirname(path), exist_ok=True)
    s = socket.socket(socket.AF_UNIX)
    s.bind(path)
    s.listen(8)
    sockets.append(s)
print("ready", flush=True)
while True:
    readable = select.select(sockets + [sys.stdin], [], [])[0]
    if sys.stdin in readable:
        break
    for s in readable:
        c = s.accept()[0]
        c.settimeout(1)
        try:
            print("got", c.recv(64), flush=True)
        except OSError:
            pass
        c.close()
)");
    auto listenAs = [&](const QStringList& paths) {
        auto process = std::make_unique<QProcess>();
        process->start("setpriv", QStringList{"--reuid=" + stranger, "--regid=" + stranger,
                                              "--clear-groups", python, "-c", listener} +
                                      paths);
        EXPECT_TRUE(process->waitForReadyRead(5000));
        EXPECT_EQ(process->readLine().trimmed(), "ready");
        return process;
    };
    // Told nothing: it may be connected to, to learn who it is, but never sent the request.
    auto strangerGotNothing = [](QProcess& process) {
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(5000));
        const QByteArray heard = process.readAllStandardOutput();
        EXPECT_FALSE(heard.contains("raise")) << heard.constData();
    };
    auto theirs = [&](const char* name) {
        const QString path = folder(name, 0700);
        EXPECT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        return path;
    };

    struct Case {
        const char* what;
        QString runtime; // empty: none set
        QStringList sockets;
    };
    const QString open = folder("open", 0777);
    const QString strangers = theirs("strangers");
    const std::vector<Case> cases{
        {"no runtime folder; the temporary folder's names taken first",
         {},
         {temp + "/" + own, temp + "/" + own + ".d/instance"}},
        {"a runtime folder anyone may write to", open, {open + "/" + own}},
        {"a runtime folder of another user's", strangers, {strangers + "/" + own}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        environment.set("XDG_RUNTIME_DIR",
                        c.runtime.isEmpty() ? QByteArray() : QFile::encodeName(c.runtime));
        std::unique_ptr<QProcess> process = listenAs(c.sockets);
        EXPECT_TRUE(SingleInstance().claim());
        strangerGotNothing(*process);
        for (const QString& socket : c.sockets)
            QFile::remove(socket);
        QDir(temp + "/" + own + ".d").removeRecursively();
    }

    // The folder is the user's own, yet the socket in it answers as someone else: the running
    // instance's lock is held, and still the client starts rather than hand over to it.
    environment.set("XDG_RUNTIME_DIR", QFile::encodeName(folder("mine", 0700)));
    const QString name = SingleInstance::defaultName();
    std::unique_ptr<QProcess> process = listenAs({temp + "/moved"});
    ASSERT_TRUE(QFile::rename(temp + "/moved", name));
    InstanceLock held;
    ASSERT_EQ(held.take(name + ".lock"), InstanceLock::Result::Taken);
    EXPECT_TRUE(SingleInstance(name).claim());
    strangerGotNothing(*process);
}
#endif

} // namespace
