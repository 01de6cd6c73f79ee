// Serves each hostile reply shape to a client that has signed in, one shape at a time and each
// from a server process of its own, and prints the client's peak and resident memory around it,
// how long it took to be refused (or read), and what the user was told. Then a cancel and the
// close box while a long reply is being read.
#include "App.h"
#include "BenchDialogs.h"
#include "BenchMemory.h"
#include "BenchWait.h"
#include "HttpClient.h"
#include "MainWindow.h"
#include "ServerProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include <cstdio>
#include <functional>

namespace {

struct Shape {
    const char* name;
    QStringList server;
    bool song; // an add, read whole; else a track list, read as it streams
};

// Runs the event loop for a while, for the memory a worker gave back to settle.
void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    QTemporaryDir files;
    // 2.4 million empty children of one song, gzipped by the server to a few KB.
    const QString children = files.filePath("children.xml");
    {
        QFile file(children);
        file.open(QIODevice::WriteOnly);
        file.write("<root><song id=\"1\"><title>t</title>");
        file.write(QByteArray("<a/>").repeated(2400000));
        file.write("</song></root>");
    }
    const Shape shapes[] = {
        {"one song, 25M empty children (100 MB)",
         {"--fault", "album_songs=many-fields", "--shape-count", "25000000"},
         false},
        {"one song, 2.4M children gzipped",
         {"--reply", "album_songs=" + children, "--reply-encoding", "gzip"},
         false},
        {"10M nested elements (70 MB)",
         {"--fault", "album_songs=deep-nesting", "--shape-count", "10000000"},
         false},
        {"error element, 200 MB of text",
         {"--fault", "album_songs=huge-error-text", "--shape-count", "200000000"},
         false},
        {"title of 200 MB",
         {"--fault", "album_songs=huge-title", "--shape-count", "200000000"},
         false},
        {"song reply, 10M empty siblings (40 MB)",
         {"--fault", "song=many-records", "--shape-count", "10000000"},
         true},
        {"DTD attribute default, 700k elements",
         {"--fault", "album_songs=document-type", "--shape-count", "700000"},
         false},
    };
    BenchDialogs dialogs;
    std::printf(
        "| shape | peak RSS | RSS after | refused after | message |\n|---|---|---|---|---|\n");
    for (const Shape& shape : shapes) {
        ServerProcess server(shape.server);
        App app;
        configure(app, server.url());
        runCommand(app, [&] { app.refreshLibrary(); });
        QString message;
        QObject::connect(&app, &App::failureReported, &app,
                         [&](const QString& text) { message = text.section('\n', -1); });
        settle(300);
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        runCommand(app, [&] { shape.song ? app.addSong(3) : app.showTracks("album10"); });
        const double seconds = double(clock.elapsed()) / 1000;
        const double peak = statusMb("VmHWM:");
        settle(500);
        std::printf("| %s | %.0f MB | %.0f MB | %.2f s | %s |\n", shape.name, peak,
                    statusMb("VmRSS:"), seconds, qPrintable(message.left(80)));
        std::fflush(stdout);
    }

    // A cancel and the close box while a 200 MB list is being read.
    for (const bool close : {false, true}) {
        ServerProcess server({"--fault", "search_songs=many-records", "--shape-count", "50000000"});
        auto app = std::make_unique<App>();
        auto window = std::make_unique<MainWindow>(*app, dialogs);
        configure(*app, server.url());
        window->show();
        runCommand(*app, [&] { app->refreshLibrary(); });
        qint64 received = 0;
        QObject::connect(&app->http(), &HttpClient::transferProgress, app.get(),
                         [&](qint64 bytes, qint64) { received = bytes; });
        app->search("o");
        QElapsedTimer waited;
        waited.start();
        while (received < (32 << 20) && waited.elapsed() < 60000)
            settle(5);
        const int readers = QThreadPool::globalInstance()->activeThreadCount();
        QElapsedTimer clock;
        clock.start();
        if (close) {
            window->close();
            window.reset();
            app.reset();
            const double gone = double(clock.nsecsElapsed()) / 1e6;
            // What the process's end waits for: the pool's threads, done with their slice.
            QThreadPool::globalInstance()->waitForDone(10000);
            std::printf("| close box while reading (%d reader(s) busy) | window and services gone "
                        "after %.1f ms, readers done after %.1f ms |\n",
                        readers, gone, double(clock.nsecsElapsed()) / 1e6);
        } else {
            app->cancel();
            std::printf("| Escape while reading (%d reader(s) busy) | idle after %.2f ms |\n",
                        readers, double(clock.nsecsElapsed()) / 1e6);
        }
        std::fflush(stdout);
    }
    return 0;
}
