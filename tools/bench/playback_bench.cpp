// Times a song's double-click to the moment playback starts, and the gap between two
// consecutive songs, against the test server on loopback with libmpv's null audio output.
#include "App.h"
#include "BenchDialogs.h"
#include "BenchTable.h"
#include "BenchWait.h"
#include "EngineProbe.h"
#include "MainWindow.h"
#include "MediaPlayer.h"
#include "Sha256.h"
#include "SonaricTestServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    SonaricTestServer::Options options;
    options.toneSeconds = 1;
    SonaricTestServer server(Catalogue::demo(), options);
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the test server\n");
        return 1;
    }
    BenchDialogs dialogs;
    App::Options playerOptions;
    playerOptions.nullAudio = true;
    App app(playerOptions);
    MainWindow window(app, dialogs);
    app.setServername(QString::fromStdString(server.baseUrl()));
    app.setUsername("demo");
    app.setHashKey(Sha256().hex(QStringLiteral("demo")));
    app.setAutoPlay(true);
    window.show();
    runCommand(app, [&] { app.refreshLibrary(); });

    MpvPlayer& engine = EngineProbe::of(app.player());
    std::vector<double> starts;
    for (int round = 0; round < 11; ++round) {
        app.player().clear();
        QElapsedTimer clock;
        clock.start();
        app.addSong(1 + round % 3);
        if (!waitFor(&engine, &MpvPlayer::playbackStarted, 5000)) {
            std::fprintf(stderr,
                         "playback did not start (valid %d, entries %d, idle %d, lines %d)\n",
                         engine.isValid(), engine.count(), engine.isIdle(), app.player().count());
            return 1;
        }
        if (round > 0) // the first one warms up libmpv's demuxers
            starts.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }

    std::vector<double> gaps;
    for (int round = 0; round < 5; ++round) {
        app.player().clear();
        runCommand(app, [&] { app.addSong(1); });
        runCommand(app, [&] { app.addSong(2); });
        if (!waitFor(&engine, &MpvPlayer::playbackStarted, 5000))
            return 1;
        QElapsedTimer clock;
        qint64 ended = -1;
        QObject::connect(&engine, &MpvPlayer::entryEnded, &window, [&](int index) {
            if (index == 0 && ended < 0)
                ended = clock.nsecsElapsed();
        });
        clock.start();
        if (!waitFor(&engine, &MpvPlayer::playbackStarted, 5000) || ended < 0)
            return 1;
        gaps.push_back(static_cast<double>(clock.nsecsElapsed() - ended) / 1e6);
        QObject::disconnect(&engine, &MpvPlayer::entryEnded, &window, nullptr);
    }

    benchRow("double-click to playback started (median)", median(starts), "ms", "<= 150 ms");
    benchRow("gap between consecutive songs (median)", median(gaps), "ms", "");
    return 0;
}
