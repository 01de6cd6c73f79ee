#include "SingleInstance.h"
#include "ClientFixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
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
                     &MainWindow::bringToFront);
    window->showMinimized();
    ASSERT_TRUE(eventually([&] { return window->isMinimized(); }, 2000));
    EXPECT_FALSE(secondStartRuns(first));
    EXPECT_TRUE(eventually([&] { return !window->isMinimized() && window->isVisible(); }, 2000));
}

#ifndef _WIN32
// A running instance too busy to take the connection (its queue of connections full) makes the
// check see no one there: a later start still neither runs beside it nor takes its socket.
TEST_F(SingleInstanceTest, ABusyInstanceKeepsItsSocketAndStaysTheOnlyOne) {
    SingleInstance first(name());
    ASSERT_TRUE(first.claim());
    struct stat before {};
    ASSERT_EQ(::lstat(QFile::encodeName(name()).constData(), &before), 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(name()).constData(),
                 sizeof address.sun_path - 1);
    std::vector<int> queued;
    for (int connected = 0; connected == 0 && queued.size() < 10000;) {
        queued.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        connected = ::connect(queued.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    EXPECT_FALSE(SingleInstance(name()).claim());
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(name()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    for (int descriptor : queued)
        ::close(descriptor);
}

class InstanceFolderTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString temp = root.filePath("tmp");
    QString own = QStringLiteral("sonaric-client-") + QString::number(::getuid());
    std::map<const char*, std::optional<QByteArray>> saved;

    // Unset when null; put back as it was when the test ends.
    void setEnvironment(const char* name, const QByteArray& value) {
        if (!saved.count(name))
            saved[name] =
                qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved)
            value ? qputenv(name, *value) : qunsetenv(name);
    }
    void SetUp() override {
        // A temporary folder as the system's is: everyone may add to it.
        ASSERT_TRUE(QDir().mkpath(temp));
        ::chmod(QFile::encodeName(root.path()).constData(), 0755);
        ::chmod(QFile::encodeName(temp).constData(), 01777);
        setEnvironment("TMPDIR", QFile::encodeName(temp));
    }
    QString folder(const char* name, mode_t mode) {
        const QString path = root.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }
};

// Where the socket goes when the runtime folder cannot hold it (a folder at its name, or a path
// longer than a socket's name may be), and when it can.
TEST_F(InstanceFolderTest, AnUnusableRuntimePathFallsBackToAPrivateFolder) {
    const QString runtime = folder("run", 0700);
    QDir(runtime).mkdir(own);
    const QString deep = folder(QByteArray(100, 'd').constData(), 0700);
    for (const QString& place : {runtime, deep}) {
        setEnvironment("XDG_RUNTIME_DIR", QFile::encodeName(place));
        const QString name = SingleInstance::defaultName();
        EXPECT_EQ(name, temp + "/" + own + ".d/instance") << place.toStdString();
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(temp + "/" + own + ".d").constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
    setEnvironment("XDG_RUNTIME_DIR", QFile::encodeName(folder("usable", 0700)));
    EXPECT_EQ(SingleInstance::defaultName(), root.filePath("usable/") + own);
}

// Another local user who listens first where the client would look (run by root as two users).
TEST_F(InstanceFolderTest, AnotherUsersSocketIsNeverHandedOver) {
    const QString python = "/usr/bin/python3";
    if (::getuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty() ||
        !QFile::exists(python))
        GTEST_SKIP() << "acting as another user needs root, setpriv and /usr/bin/python3";
    // Listens on each path given, as the other user, and prints what anyone sends it.
    const QString listener = QStringLiteral(R"(
import os, select, socket, sys
sockets = [socket.socket(socket.AF_UNIX) for _ in sys.argv[1:]]
for s, path in zip(sockets, sys.argv[1:]):
    os.makedirs(os.path.dirname(path), exist_ok=True); s.bind(path); s.listen(8)
print("ready", flush=True)
while sys.stdin not in (ready := select.select(sockets + [sys.stdin], [], [])[0]):
    for s in ready:
        c = s.accept()[0]
        print(c.recv(64) if select.select([c], [], [], 1)[0] else b"", flush=True)
)");
    auto listenAs = [&](const QStringList& paths) {
        auto process = std::make_unique<QProcess>();
        process->start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                              python, "-c", listener} +
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

    const QString open = folder("open", 0777);
    const QString strangers = folder("strangers", 0700);
    ASSERT_EQ(::chown(QFile::encodeName(strangers).constData(), 65534, 65534), 0);
    const struct {
        const char* what;
        QString runtime; // empty: none set
        QStringList sockets;
    } cases[] = {
        {"no runtime folder; the temporary folder's names taken first",
         {},
         {temp + "/" + own, temp + "/" + own + ".d/instance"}},
        {"a runtime folder anyone may write to", open, {open + "/" + own}},
        {"a runtime folder of another user's", strangers, {strangers + "/" + own}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setEnvironment("XDG_RUNTIME_DIR",
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
    setEnvironment("XDG_RUNTIME_DIR", QFile::encodeName(folder("mine", 0700)));
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
