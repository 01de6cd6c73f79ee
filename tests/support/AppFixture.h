#pragma once

#include <QThreadPool>

// Everything a test of the program without its window needs: the application object against a
// fresh test server, with the settings in a temporary folder.
#include "App.h"
#include "EngineProbe.h"
#include "Eventually.h"
#include "HttpClient.h"
#include "Library.h"
#include "MediaPlayer.h"
#include "QtPrinters.h"
#include "Sha256.h"
#include "TempAppData.h"
#include "TestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

// What the user is told when a request fails without a reply document: the fixed prompt, and the
// reason on a line of its own.
inline QString failedBecause(const QString& reason) {
    return QStringLiteral("Unable to refresh library. Please check the server name, username and "
                          "password are correct.\n") +
           reason;
}

// A catalogue as "key=text" per node, each artist followed by its albums, indented.
inline QStringList catalogueLines(const CatalogueModel& model) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex artist = model.index(row, 0);
        out << artist.data(CatalogueModel::KeyRole).toString() + "=" + artist.data().toString();
        for (int child = 0; child < model.rowCount(artist); ++child) {
            const QModelIndex album = model.index(child, 0, artist);
            out << "  " + album.data(CatalogueModel::KeyRole).toString() + "=" +
                       album.data().toString();
        }
    }
    return out;
}

// The application object against a fresh test server. It is destroyed before the server, so no
// connection keeps the server waiting. The failures it reports are recorded, with whether it still
// said it was busy when it reported them.
class AppFixture : public ::testing::Test {
protected:
    AppFixture() = default;
    explicit AppFixture(SonaricTestServer::Options options)
        : server(Catalogue::demo(), std::move(options)) {}

    TempAppData appData;
    TestServer server;
    std::unique_ptr<App> app;
    QStringList reports;
    std::vector<bool> reportedWhileBusy;
    QByteArray tlsCaFile; // for https tests: the authority libmpv should trust

    void TearDown() override { app.reset(); }

    QByteArray settingsText(const QByteArray& autoRefresh, const QString& password = "demo",
                            const QByteArray& autoPlay = "0") const {
        QByteArray text = "<settings>\r\n<servername>" + server.url().toUtf8() +
                          "</servername>\r\n<username>demo</username>\r\n<password>" +
                          Sha256().hex(password).toUtf8() + "</password>\r\n";
        if (!autoRefresh.isNull())
            text += "<autorefresh>" + autoRefresh + "</autorefresh>\r\n";
        return text + "<autoplay>" + autoPlay + "</autoplay>\r\n</settings>\r\n";
    }

    // A fresh application object that plays to no sound device.
    App& makeApp(App::Options options = App::Options()) {
        app.reset();
        options.nullAudio = true;
        if (options.tlsCaFile.isEmpty())
            options.tlsCaFile = tlsCaFile;
        app = std::make_unique<App>(std::move(options));
        auto busy = std::make_shared<bool>(false);
        QObject::connect(app.get(), &App::busyChanged, app.get(), [busy](bool b) { *busy = b; });
        QObject::connect(app.get(), &App::failureReported, app.get(),
                         [this, busy](const QString& message) {
                             reports << message;
                             reportedWhileBusy.push_back(*busy);
                         });
        return *app;
    }

    // The session's settings: user "demo" of the given server.
    void pointAt(const QString& url, const QString& password = "demo") {
        app->setServername(url);
        app->setUsername("demo");
        app->setHashKey(Sha256().hex(password));
    }

    // An application object whose session points at the server, signed in or not.
    App& openApp(const QString& password = "demo") {
        makeApp();
        pointAt(server.url(), password);
        app->http().setStallTimeout(std::chrono::milliseconds(2000));
        return *app;
    }

    // An application object whose library has been refreshed.
    App& openLibrary() {
        openApp();
        refresh();
        return *app;
    }

    // Waits for the running command, if any, to end, its failure reported.
    void settle() {
        ASSERT_TRUE(eventually([this] { return !app->isBusy(); }, 60000));
    }

    // The commands as the user starts them, each waited for.
    void refresh() { app->refreshLibrary(), settle(); }
    void showTracks(const QString& key) { app->showTracks(key), settle(); }
    void search(const QString& text) { app->search(text), settle(); }
    void addSong(std::optional<std::int64_t> id) { app->addSong(id), settle(); }

    QString status() const { return app->status().text(); }

    // libmpv does what it is told in order, on its own thread: once a volume set now is reported
    // back, everything asked of it before has been done and reported.
    void letThePlayerCatchUp() {
        const int volume = engine().volume();
        for (int probe : {volume == 100 ? 99 : volume + 1, volume}) {
            engine().setVolume(probe);
            ASSERT_TRUE(eventually([&] { return engine().volume() == probe; }, 10000));
        }
    }

    // Every reader has stopped on its worker, and what it posted before has been delivered: a
    // result that would arrive after a cancel has arrived by then.
    static bool readersStopped() {
        if (!eventually([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; },
                        10000))
            return false;
        bool delivered = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&delivered] { delivered = true; }, Qt::QueuedConnection);
        return eventually([&] { return delivered; });
    }

    // Nothing is waited on.
    void expectIdle() {
        EXPECT_FALSE(app->isBusy());
        EXPECT_FALSE(app->http().isBusy());
    }

    // libmpv's own list holds the playlist's entries, each once; and where one plays, the one
    // libmpv moves on to is the one the player says comes next.
    void expectInStep() {
        const PlaylistModel& playlist = player().playlist();
        ASSERT_EQ(engine().count(), playlist.count());
        ASSERT_EQ(engine().property("playlist-count").toInt(), playlist.count());
        QStringList held, listed;
        QByteArrayList heldIds;
        for (int i = 0; i < playlist.count(); ++i) {
            EXPECT_EQ(engine().entryProperty(i, "filename"),
                      playlist.item(i)->track().address.url().toEncoded());
            const std::string entry = "playlist/" + std::to_string(i);
            held << engine().property((entry + "/filename").c_str());
            heldIds << engine().property((entry + "/id").c_str());
            listed << playlist.item(i)->track().address.url().toString();
        }
        held.sort();
        listed.sort();
        EXPECT_EQ(held, listed);
        const std::shared_ptr<MediaItem> next = player().nextItem();
        if (next && next != player().currentItem()) {
            const qsizetype at =
                heldIds.indexOf(engine().entryProperty(player().currentIndex(), "id"));
            EXPECT_EQ(heldIds.value(at + 1), engine().entryProperty(playlist.indexOf(next), "id"));
        }
    }

    Library& library() { return app->library(); }
    MediaPlayer& player() { return app->player(); }
    MpvPlayer& engine() { return EngineProbe::of(player()); }

    QStringList treeTexts() { return catalogueLines(*library().catalogue()); }

    // The lines of a song list (0: the node's tracks, 1: the search's), each with its id when
    // asked: "text#id", or "text#none" where the id is no number.
    QStringList songLines(int list, bool withIds = false) {
        QStringList out;
        for (int row = 0; row < library().songs(list)->count(); ++row) {
            const SongListModel::Entry entry = library().songs(list)->entry(row);
            out << entry.text + (!withIds   ? QString()
                                 : entry.id ? "#" + QString::number(*entry.id)
                                            : QString("#none"));
        }
        return out;
    }
};
