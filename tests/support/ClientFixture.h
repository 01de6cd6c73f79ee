#pragma once

// Everything a test of the whole window needs, in one place.
#include "App.h"
#include "Eventually.h"
#include "HttpClient.h"
#include "Library.h"
#include "MainWindow.h"
#include "MediaPlayer.h"
#include "PlaylistController.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "Sha256.h"
#include "TempAppData.h"
#include "TestServer.h"
#ifdef SONARIC_DESKTOP_BUS
#include "MprisClient.h"
#include "PrivateBus.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

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

// The application object and a main window over it against a fresh test server, with the
// settings in a temporary folder. Both are destroyed before the server, so no connection keeps
// the server waiting.
class ClientFixture : public ::testing::Test {
protected:
    ClientFixture() = default;
    explicit ClientFixture(SonaricTestServer::Options options)
        : server(Catalogue::demo(), std::move(options)) {}

    TempAppData appData;
    TestServer server;
    ScriptedDialogs dialogs;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;
    QByteArray tlsCaFile; // for https tests: the authority libmpv should trust

    void TearDown() override {
        window.reset();
        app.reset();
    }

    QByteArray settingsText(const QByteArray& autoRefresh, const QString& password = "demo",
                            const QByteArray& autoPlay = "0") const {
        QByteArray text = "<settings>\r\n<servername>" + server.url().toUtf8() +
                          "</servername>\r\n<username>demo</username>\r\n<password>" +
                          Sha256().hex(password).toUtf8() + "</password>\r\n";
        if (!autoRefresh.isNull())
            text += "<autorefresh>" + autoRefresh + "</autorefresh>\r\n";
        return text + "<autoplay>" + autoPlay + "</autoplay>\r\n</settings>\r\n";
    }

    // A fresh main window that plays to no sound device, its boxes answered by the script unless
    // other dialogs are given.
    MainWindow& makeWindow(App::Options options = App::Options(), UserDialogs* boxes = nullptr) {
        window.reset();
        app.reset();
        options.nullAudio = true;
        if (options.tlsCaFile.isEmpty())
            options.tlsCaFile = tlsCaFile;
        app = std::make_unique<App>(std::move(options));
        window = std::make_unique<MainWindow>(*app, boxes ? *boxes : dialogs);
        return *window;
    }

    // The session's settings: user "demo" of the given server.
    MainWindow& pointAt(const QString& url, const QString& password = "demo") {
        app->setServername(url);
        app->setUsername("demo");
        app->setHashKey(Sha256().hex(password));
        return *window;
    }

    // A window whose session points at the server, signed in or not.
    MainWindow& openWindow(const QString& password = "demo") {
        makeWindow();
        pointAt(server.url(), password);
        app->http().setStallTimeout(std::chrono::milliseconds(2000));
        return *window;
    }

    // A window whose library has been refreshed, shown first when asked.
    MainWindow& openLibrary(bool shown = false) {
        openWindow();
        if (shown)
            window->show();
        refresh();
        return *window;
    }

    // As the program starts: the form loads, the window is shown, and then what start-up queued
    // (the library refresh) runs to its end.
    void startUp() {
        EXPECT_TRUE(window->start());
        QCoreApplication::sendPostedEvents(app.get(), QEvent::MetaCall);
        settle();
    }

    // Waits for the running command, if any, to end, its failure reported.
    void settle() {
        ASSERT_TRUE(eventually([this] { return !app->isBusy(); }, 20000));
    }

    // The commands as the user starts them, each waited for.
    void refresh() { app->refreshLibrary(), settle(); }
    void showTracks(const QString& key) { app->showTracks(key), settle(); }
    void search(const QString& text) { app->search(text), settle(); }
    void addSong(std::optional<std::int64_t> id) { app->addSong(id), settle(); }

    QString status() { return control<QLabel>("StatusBarPanel1")->text(); }

    // Nothing is waited on: no request, no busy pointer.
    void expectIdle() {
        EXPECT_FALSE(app->isBusy());
        EXPECT_FALSE(app->http().isBusy());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    // The list view shows the playlist, and libmpv's own list holds its entries, in order.
    void expectInStep() {
        const PlaylistModel& playlist = player().playlist();
        EXPECT_EQ(control<QListView>("lstPlaylist")->model(), &playlist);
        ASSERT_EQ(engine().count(), playlist.count());
        ASSERT_EQ(engine().property("playlist-count").toInt(), playlist.count());
        for (int i = 0; i < playlist.count(); ++i)
            EXPECT_EQ(engine().property(("playlist/" + std::to_string(i) + "/filename").c_str()),
                      playlist.item(i)->url().toEncoded());
    }

    // Shows the window and waits until it has the keyboard.
    bool activate() {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    Library& library() { return app->library(); }
    MediaPlayer& player() { return app->player(); }
    MpvPlayer& engine() { return player().engine(); }

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

    // The now-playing label's lines, without the marks that isolate each field.
    QStringList nowPlaying() {
        return control<QLabel>("lblNowPlaying")
            ->text()
            .remove(QChar(0x2068))
            .remove(QChar(0x2069))
            .split('\n', Qt::SkipEmptyParts);
    }

    template <typename T> T* control(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

#ifdef SONARIC_DESKTOP_BUS
    // A fresh window on a private bus, once its start-up has joined the bus, and the desktop's
    // media controls for it.
    std::unique_ptr<MprisClient> makeWindowOnBus(PrivateBus& bus) {
        App::Options options;
        options.bus = bus.connect("player");
        makeWindow(std::move(options));
        pointAt(server.url());
        QCoreApplication::sendPostedEvents(app.get(), QEvent::MetaCall);
        return std::make_unique<MprisClient>(bus.connect("desktop"),
                                             app->findChild<MprisService*>()->serviceName());
    }
#endif
};
