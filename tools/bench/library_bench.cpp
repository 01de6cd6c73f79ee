// Times the library refresh of a large catalogue against the test server, next to its floor, the
// filling of long track and search lists, and a batch add. On loopback the floor is the same GETs
// plus a bare XML parse of the same bytes; with --link RATE DELAY_MS the server sends each reply at
// RATE bytes a second after DELAY_MS, and the floor is the same bytes' transfer time at that rate
// plus the round trips the operation cannot avoid (one per request that waits for an answer).
#include "AddSongsCommand.h"
#include "App.h"
#include "BenchDialogs.h"
#include "BenchMemory.h"
#include "BenchTable.h"
#include "BenchWait.h"
#include "GapMeter.h"
#include "HttpClient.h"
#include "Library.h"
#include "MainWindow.h"
#include "MediaPlayer.h"
#include "ServerProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The server's pace, when it plays a link.
struct Link {
    double bytesPerSecond = 0;
    int delayMs = 0;
    bool on() const { return bytesPerSecond > 0; }
    QStringList serverArguments() const {
        if (!on())
            return {};
        return {"--rate", QString::number(static_cast<qint64>(bytesPerSecond)), "--delay-ms",
                QString::number(delayMs)};
    }
    // The floor of an operation that moves these bytes with that many round trips in a row.
    double floorMs(double bytes, int roundTrips) const {
        return bytes / bytesPerSecond * 1e3 + roundTrips * delayMs;
    }
};

struct Floor {
    double httpMs = 0;
    double parseMs = 0;
    double bytes = 0;
};

Floor measureFloor(HttpClient& http, const QString& base, const QString& token) {
    Floor floor;
    for (const char* action : {"artists", "albums"}) {
        QElapsedTimer t;
        t.start();
        HttpReply reply =
            fetch(http, QUrl(base + "/server/xml.server.php?action=" + action + "&auth=" + token));
        const QByteArray body = reply.takeBody();
        floor.httpMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
        floor.bytes += static_cast<double>(body.size());
        t.restart();
        pugi::xml_document doc;
        doc.load_buffer(body.constData(), static_cast<std::size_t>(body.size()));
        floor.parseMs += static_cast<double>(t.nsecsElapsed()) / 1e6;
    }
    return floor;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A client with its window shown, signed in to a server and its library fetched.
struct Client {
    Client(BenchDialogs& dialogs, const QString& url,
           std::chrono::milliseconds stallTimeout = HttpClient::DefaultStallTimeout)
        : window(app, dialogs) {
        configure(app, url);
        app.http().setStallTimeout(stallTimeout);
        window.show();
        runCommand(app, [this] { app.refreshLibrary(); });
        QApplication::processEvents();
    }
    App app;
    MainWindow window;
};

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    Link link;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--link") == 0 && i + 2 < argc) {
            link.bytesPerSecond = std::atof(argv[i + 1]);
            link.delayMs = std::atoi(argv[i + 2]);
            i += 2;
        } else {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    const int artists = sizes.size() > 0 ? sizes[0] : 20000;
    const int albums = sizes.size() > 1 ? sizes[1] : 100000;
    const int listSongs = 10000;
    const int hugeSearch = sizes.size() > 2 ? sizes[2] : 1000000;
    const int batchSongs = 200;

    ServerProcess big(QStringList{"--artists", QString::number(artists), "--albums",
                                  QString::number(albums), "--songs", "0"} +
                      link.serverArguments());
    ServerProcess lists(
        QStringList{"--artists", "1", "--albums", "1", "--songs", QString::number(listSongs)} +
        link.serverArguments());
    ServerProcess huge(
        QStringList{"--artists", "1", "--albums", "1", "--songs", QString::number(hugeSearch)} +
        link.serverArguments());
    ServerProcess batch(
        QStringList{"--artists", "1", "--albums", "1", "--songs", QString::number(batchSongs)} +
        link.serverArguments());
    if (big.url().isEmpty() || lists.url().isEmpty() || huge.url().isEmpty() ||
        batch.url().isEmpty()) {
        std::fprintf(stderr, "cannot start the test servers\n");
        return 1;
    }

    BenchDialogs dialogs;
    GapMeter gaps;

    double refreshGap = 0;
    double refreshHttp = 0, endToEnd = 0, fetchArtists = 0, treeArtists = 0, fetchAlbums = 0,
           treeAlbums = 0;
    Floor floor;
    double refreshBytes = 0, refreshPeak = 0;
    double filterFirst = 0, filterWorst = 0, filterMedian = 0, filterGap = 0;
    {
        resetPeak();
        App app;
        MainWindow window(app, dialogs);
        configure(app, big.url());
        window.show();
        QApplication::processEvents();

        // Loopback TCP and the allocators warm up over the first few large transfers; after
        // two warm-up rounds, refreshes and floors alternate and the medians are reported.
        constexpr int warmUp = 2, rounds = 5;
        std::vector<double> e2e, http, artistsFetch, artistsTree, albumsFetch, albumsTree,
            floorHttp, floorParse, refreshGaps;
        QElapsedTimer clock;
        QList<qint64> times;
        QStringList marks;
        double httpMs = 0;
        qint64 httpStart = 0;
        QObject::connect(&app.status(), &StatusText::textChanged, &window,
                         [&](const QString& text) {
                             marks << text;
                             times << clock.nsecsElapsed();
                         });
        QObject::connect(&app.http(), &HttpClient::busyChanged, &window, [&](bool busy) {
            if (busy)
                httpStart = clock.nsecsElapsed();
            else
                httpMs += static_cast<double>(clock.nsecsElapsed() - httpStart) / 1e6;
        });
        for (int round = 0; round < warmUp + rounds; ++round) {
            marks.clear();
            times.clear();
            httpMs = 0;
            clock.start();
            gaps.start();
            runCommand(app, [&] { app.refreshLibrary(); });
            QApplication::processEvents(); // the tree's first paint of the new catalogue
            const double total = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            refreshGaps.push_back(gaps.stop());
            const double refreshGets = httpMs;
            if (marks.size() != 6 || marks.last() != "Library refreshed") {
                std::fprintf(stderr, "refresh did not complete: %s\n",
                             qPrintable(marks.join(" | ")));
                return 1;
            }
            const Floor f = measureFloor(app.http(), big.url(), app.session().authToken);
            refreshBytes = f.bytes;
            if (round < warmUp)
                continue;
            auto span = [&](int from, int to) {
                return static_cast<double>(times[to] - times[from]) / 1e6;
            };
            e2e.push_back(total);
            http.push_back(refreshGets);
            artistsFetch.push_back(span(1, 2));
            artistsTree.push_back(span(2, 3));
            albumsFetch.push_back(span(3, 4));
            albumsTree.push_back(span(4, 5));
            floorHttp.push_back(f.httpMs);
            floorParse.push_back(f.parseMs);
        }
        endToEnd = median(e2e);
        refreshHttp = median(http);
        fetchArtists = median(artistsFetch);
        treeArtists = median(artistsTree);
        fetchAlbums = median(albumsFetch);
        treeAlbums = median(albumsTree);
        floor = {median(floorHttp), median(floorParse), refreshBytes};
        refreshGap = *std::max_element(refreshGaps.begin() + warmUp, refreshGaps.end());
        refreshPeak = statusMb("VmHWM:");

        // Typing into the library filter, each key to the tree painted anew (on the GUI thread):
        // the first key's folding of every name included, and "1", which keeps most of the tree and
        // opens it.
        auto* filterBox = window.findChild<QLineEdit*>("txtLibraryFilter");
        auto* tree = window.findChild<QTreeView*>("tvMusic");
        const CatalogueModel& catalogue = *app.library().catalogue();
        std::vector<double> keys;
        gaps.start();
        for (const char* text : {"a", "al", "alb", "albu", "album", "album ", "album 9", "album 99",
                                 "album 9", "album ", "", "1", "12", "123", "12", "1", ""}) {
            QElapsedTimer key;
            key.start();
            filterBox->setText(QString::fromLatin1(text));
            while (catalogue.isFolding())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            tree->viewport()->repaint();
            keys.push_back(static_cast<double>(key.nsecsElapsed()) / 1e6);
            // A fast typist's pace: the window paints between keys.
            QEventLoop pause;
            QTimer::singleShot(60, &pause, &QEventLoop::quit);
            pause.exec();
        }
        filterGap = gaps.stop();
        filterFirst = keys.front();
        filterWorst = *std::max_element(keys.begin() + 1, keys.end());
        filterMedian = median(keys);
    }

    double trackGap = 0;
    double trackMs = 0, trackGetMs = 0, searchMs = 0, searchGetMs = 0;
    int trackLines = 0, searchLines = 0;
    {
        Client client(dialogs, lists.url());
        App& app = client.app;
        auto timed = [](auto&& work) {
            QElapsedTimer t;
            t.start();
            work();
            QApplication::processEvents();
            return static_cast<double>(t.nsecsElapsed()) / 1e6;
        };
        const QString base = lists.url();
        const QString token = app.session().authToken;
        runCommand(app, [&] { app.showTracks("album1"); });
        gaps.start();
        trackMs = timed([&] { runCommand(app, [&] { app.showTracks("album1"); }); });
        trackGap = gaps.stop();
        trackLines = app.library().songs(0)->count();
        trackGetMs = timed([&] {
            fetch(app.http(),
                  QUrl(base + "/server/xml.server.php?action=album_songs&filter=1&auth=" + token));
        });
        searchMs = timed([&] { runCommand(app, [&] { app.search("Song"); }); });
        searchLines = app.library().songs(1)->count();
        searchGetMs = timed([&] {
            fetch(app.http(),
                  QUrl(base +
                       "/server/xml.server.php?action=search_songs&filter=Song&auth=" + token));
        });
    }

    // The million-song search last, with its own peak: end to end (the request sent to the list
    // filled) beside its floor, the same GET and a bare parse of the same bytes.
    double hugeAfterLastByte = 0, hugeGap = 0, hugePeak = 0, hugeShown = 0, hugeEndToEnd = 0,
           hugeFloor = 0, hugeBytes = 0;
    int hugeLines = 0;
    {
        Client client(dialogs, huge.url(), std::chrono::seconds(120));
        App& app = client.app;
        QElapsedTimer clock;
        qint64 lastByte = 0;
        QObject::connect(&app.http(), &HttpClient::replyReceived, &client.window,
                         [&] { lastByte = clock.nsecsElapsed(); });
        constexpr int rounds = 3;
        std::vector<double> endToEnd, afterLastByte, gapsMs;
        resetPeak();
        for (int round = 0; round < rounds; ++round) {
            clock.start();
            gaps.start();
            runCommand(app, [&] { app.search("Song"); });
            endToEnd.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            QApplication::processEvents(); // the list's first paint
            afterLastByte.push_back(static_cast<double>(clock.nsecsElapsed() - lastByte) / 1e6);
            gapsMs.push_back(gaps.stop());
        }
        hugeEndToEnd = median(endToEnd);
        hugeAfterLastByte = median(afterLastByte);
        hugeGap = *std::max_element(gapsMs.begin(), gapsMs.end());
        hugeLines = app.library().songs(1)->count();
        hugePeak = statusMb("VmHWM:");
        hugeShown = statusMb("VmRSS:");
        const QUrl url(huge.url() + "/server/xml.server.php?action=search_songs&filter=Song&auth=" +
                       app.session().authToken);
        // On the link the GET alone: the server searches a second or more before its first byte,
        // which no client can save, and the bytes then arrive at the link's rate.
        std::vector<double> floors, gets;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer t;
            t.start();
            HttpReply reply = fetch(app.http(), url);
            QByteArray body = reply.takeBody();
            gets.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            hugeBytes = static_cast<double>(body.size());
            pugi::xml_document doc;
            doc.load_buffer_inplace(body.data(), static_cast<std::size_t>(body.size()));
            floors.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        hugeFloor = link.on() ? std::max(median(gets), link.floorMs(hugeBytes, 1)) : median(floors);
    }

    // A batch: the tracks of an artist added from the tree, the key to "Added n songs".
    double batchMs = 0, batchFloor = 0;
    {
        Client client(dialogs, batch.url());
        App& app = client.app;
        const QString base = batch.url() + "/server/xml.server.php?auth=" + app.session().authToken;
        const double listBytes = static_cast<double>(
            fetch(app.http(), QUrl(base + "&action=artist_songs&filter=1")).takeBody().size());
        const double songBytes = static_cast<double>(
            fetch(app.http(), QUrl(base + "&action=song&filter=1")).takeBody().size());
        constexpr int rounds = 3;
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) {
            app.player().clear();
            QElapsedTimer clock;
            clock.start();
            runCommand(app, [&] { app.addTracksOf("artist1"); });
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            if (app.player().count() != batchSongs) {
                std::fprintf(stderr, "the batch added %d songs: %s\n", app.player().count(),
                             qPrintable(app.status().text()));
                return 1;
            }
        }
        batchMs = median(times);
        // The list, then the songs six at a time, each six waiting for the six before.
        const int songRoundTrips =
            (batchSongs + AddSongsCommand::MaxRequests - 1) / AddSongsCommand::MaxRequests;
        batchFloor =
            link.on() ? link.floorMs(listBytes + batchSongs * songBytes, 1 + songRoundTrips) : 0;
    }

    if (link.on())
        std::printf("| on a link of %.0f Mbit/s, %d ms a request %*s|                |"
                    "                  |\n",
                    link.bytesPerSecond * 8 / 1e6, link.delayMs, 4, "");
    else
        std::printf("| on loopback %*s|                |                  |\n", 33, "");
    // The sign-in, then the two lists: two round trips in a row.
    const double floorMs = link.on() ? link.floorMs(floor.bytes, 2) : floor.httpMs + floor.parseMs;
    char what[80];
    std::snprintf(what, sizeof what, "refresh %dk artists / %dk albums, end to end", artists / 1000,
                  albums / 1000);
    benchRow(what, endToEnd, "ms", "");
    benchRow("  of which the 3 requests, reading included", refreshHttp, "ms", "");
    benchRow("  artists: fetch + parse", fetchArtists, "ms", "");
    benchRow("  artists: tree", treeArtists, "ms", "");
    benchRow("  albums: fetch + parse", fetchAlbums, "ms", "");
    benchRow("  albums: tree", treeAlbums, "ms", "");
    benchRow(link.on() ? "  floor (bytes at the rate + 2 round trips)"
                       : "  floor (same GETs + bare parse)",
             floorMs, "ms", "");
    benchRow("  refresh / floor", endToEnd / floorMs, "x", link.on() ? "<= 1.0" : "<= 1.3");
    benchRow("  longest GUI-thread gap", refreshGap, "ms", "<= 50 ms");
    benchRow("  peak RSS of the client", refreshPeak, "MB", "<= 200 MB");
    std::snprintf(what, sizeof what, "library filter on %dk / %dk, first key to tree",
                  artists / 1000, albums / 1000);
    benchRow(what, filterFirst, "ms", "<= 50 ms");
    benchRow("  any later key to tree (worst; median below)", filterWorst, "ms", "<= 50 ms");
    benchRow("  median key to tree", filterMedian, "ms", "");
    benchRow("  longest GUI-thread gap", filterGap, "ms", "<= 50 ms");
    std::snprintf(what, sizeof what, "track list of %d songs, after the reply", trackLines);
    benchRow(what, std::max(0.0, trackMs - trackGetMs), "ms", "<= 100 ms");
    benchRow("  longest GUI-thread gap", trackGap, "ms", "<= 50 ms");
    std::snprintf(what, sizeof what, "search of %d songs, after the reply", searchLines);
    benchRow(what, std::max(0.0, searchMs - searchGetMs), "ms", "<= 100 ms");
    std::snprintf(what, sizeof what, "search of %d songs, end to end", hugeLines);
    benchRow(what, hugeEndToEnd, "ms", "");
    benchRow(link.on() ? "  floor (the same GET on the link)" : "  floor (same GET + bare parse)",
             hugeFloor, "ms", "");
    benchRow("  end to end / floor", hugeEndToEnd / hugeFloor, "x",
             link.on() ? "<= 1.0" : "<= 1.3");
    benchRow("  last byte to filled list", hugeAfterLastByte, "ms", "<= 1000 ms");
    benchRow("  longest GUI-thread gap", hugeGap, "ms", "<= 50 ms");
    benchRow("  peak RSS", hugePeak, "MB", "<= 270 MB");
    benchRow("  RSS while the list is shown", hugeShown, "MB", "<= 300 MB");
    std::snprintf(what, sizeof what, "batch of %d songs, key to the last added", batchSongs);
    benchRow(what, batchMs, "ms", link.on() ? "<= 1500 ms" : "<= 1000 ms");
    if (link.on())
        benchRow("  floor (bytes + list, then 6 at a time)", batchFloor, "ms", "");
    return 0;
}
