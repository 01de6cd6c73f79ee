#include "ClientFixture.h"

#include "PlayerControlBar.h"
#include "PlaylistView.h"

#include <QMenu>
#include <QMimeData>
#include <QSlider>
#include <QTabBar>
#include <QToolButton>
#include <QTreeView>

namespace {

SonaricTestServer::Options longSongs() {
    SonaricTestServer::Options options;
    options.toneSeconds = 30;
    return options;
}

class PlayerKeys : public ClientFixture {
protected:
    PlayerKeys() : ClientFixture(longSongs()) {}

    void SetUp() override {
        openWindow();
        ASSERT_TRUE(activate());
        for (std::int64_t id : {1, 2, 3})
            addSong(id);
        app->player().jumpTo(1);
        ASSERT_TRUE(eventually([&] { return player().canSeek(); }));
    }

    // Media keys have no text, which QTest::keyClick would ask for.
    void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::sendKeyEvent(QTest::Click, target, static_cast<Qt::Key>(key), QString(), modifiers);
    }
    bool seekLands(QWidget* target, int key, Qt::KeyboardModifiers modifiers, double by) {
        QSignalSpy seeked(&player(), &MediaPlayer::seeked);
        const double from = player().position();
        press(target, key, modifiers);
        if (!seeked.wait(5000))
            return false;
        const double landed = seeked.first().at(0).toDouble();
        EXPECT_NEAR(landed, std::max(0.0, from + by), 0.5);
        return true;
    }
};

TEST_F(PlayerKeys, TransportSeekAndVolumeWorkAnywhereInTheWindow) {
    QWidget* playlist = window->findChild<QListView*>("lstPlaylist");
    playlist->setFocus();
    EXPECT_TRUE(seekLands(playlist, Qt::Key_Right, Qt::ControlModifier, 5));
    EXPECT_TRUE(seekLands(playlist, Qt::Key_Left, Qt::ControlModifier, -5));
    // Back past the start lands on the start.
    EXPECT_TRUE(seekLands(playlist, Qt::Key_Left, Qt::ControlModifier, -5));

    press(playlist, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(eventually([&] { return engine().volume() == 55; }));
    press(playlist, Qt::Key_Down, Qt::ControlModifier);
    press(playlist, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_TRUE(eventually([&] { return engine().volume() == 45; }));
    press(playlist, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(eventually([&] { return engine().isMuted(); }));
    press(playlist, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(eventually([&] { return !engine().isMuted(); }));

    // Alt+arrows and Ctrl+. in the window, and a keyboard's media keys pressed inside it.
    using enum PlaybackState;
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int current;
        PlaybackState state;
    } keys[] = {{Qt::Key_Right, Qt::AltModifier, 2, Playing},
                {Qt::Key_Left, Qt::AltModifier, 1, Playing},
                {Qt::Key_Left, Qt::AltModifier, 0, Playing},
                {Qt::Key_Period, Qt::ControlModifier, 0, Stopped},
                {Qt::Key_MediaTogglePlayPause, {}, 0, Playing},
                {Qt::Key_MediaNext, {}, 1, Playing},
                {Qt::Key_MediaPrevious, {}, 0, Playing},
                {Qt::Key_MediaPause, {}, 0, Paused},
                {Qt::Key_MediaPlay, {}, 0, Playing},
                {Qt::Key_MediaStop, {}, 0, Stopped}};
    for (const auto& k : keys) {
        press(playlist, k.key, k.modifiers);
        EXPECT_TRUE(eventually([&] {
            return player().playbackState() == k.state && player().currentIndex() == k.current;
        })) << k.key;
    }
}

TEST_F(PlayerKeys, TabsSwitchAndTextBoxesKeepTheirKeys) {
    auto* tabs = window->findChild<QTabBar*>("SSTabBar");
    QWidget* tree = window->findChild<QWidget*>("tvMusic");
    tree->setFocus();
    for (auto [key, modifiers] : {std::pair{Qt::Key_PageDown, Qt::ControlModifier},
                                  std::pair{Qt::Key_PageUp, Qt::ControlModifier},
                                  std::pair{Qt::Key_Tab, Qt::ControlModifier}}) {
        const int before = tabs->currentIndex();
        press(window->focusWidget(), key, modifiers);
        EXPECT_EQ(tabs->currentIndex(), 1 - before) << key;
        // Each tab shows its own song list only.
        const bool search = tabs->currentIndex() == 1;
        EXPECT_EQ(window->findChild<QWidget*>("lstSongs0")->isVisible(), !search);
        EXPECT_EQ(window->findChild<QWidget*>("tvMusic")->isVisible(), !search);
        EXPECT_EQ(window->findChild<QWidget*>("lstSongs1")->isVisible(), search);
        EXPECT_EQ(window->findChild<QWidget*>("fraBasicSearch")->isVisible(), search);
    }
    ASSERT_EQ(tabs->currentIndex(), 1);

    auto* search = window->findChild<QLineEdit*>("txtBasicSearch");
    search->setFocus();
    QTest::keyClicks(search, "dawn noon");
    QSignalSpy seeked(&player(), &MediaPlayer::seeked);
    press(search, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(search->cursorPosition(), 5);
    QTest::keyClick(search, Qt::Key_Space);
    EXPECT_EQ(search->text(), "dawn  noon");
    letThePlayerCatchUp();
    EXPECT_TRUE(seeked.isEmpty());
    EXPECT_EQ(player().playbackState(), PlaybackState::Playing);
}

// Every command has a key, and a focused control does what its key says: a button presses itself
// on Space, a tree node lists its tracks on Enter or Space while typing still finds nodes.
TEST_F(PlayerKeys, CommandsAndFocusedControlsHaveTheirKeys) {
    const std::size_t handshakes = server.requestsOf("handshake").size();
    QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    settle();
    EXPECT_EQ(server.requestsOf("handshake").size(), handshakes + 1);
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(window->findChild<QTabBar*>("SSTabBar")->currentIndex(), 1);
    auto* search = window->findChild<QLineEdit*>("txtBasicSearch");
    EXPECT_TRUE(search->hasFocus());
    QTest::keyClicks(search, "dusk");
    QTest::keyClick(search, Qt::Key_Return);
    settle();
    auto* results = window->findChild<QListView*>("lstSongs1");
    ASSERT_EQ(results->model()->rowCount(), 1);
    results->setFocus();
    results->setCurrentIndex(results->model()->index(0, 0));
    QTest::keyClick(results, Qt::Key_Return);
    settle();
    auto* playlist = window->findChild<QListView*>("lstPlaylist");
    ASSERT_EQ(playlist->model()->rowCount(), 4);
    playlist->setFocus();
    playlist->setCurrentIndex(playlist->model()->index(3, 0));
    QTest::keyClick(playlist, Qt::Key_Return);
    EXPECT_TRUE(eventually([&] { return player().currentIndex() == 3; }));
    QTest::keyClick(playlist, Qt::Key_Space);
    ASSERT_TRUE(eventually([&] { return engine().isPaused(); }));
    QTest::keyClick(playlist, Qt::Key_Delete);
    EXPECT_EQ(playlist->model()->rowCount(), 3);

    auto* clear = window->findChild<QPushButton*>("cmdClearPlaylist");
    clear->setFocus();
    QTest::keyClick(clear, Qt::Key_Space);
    EXPECT_EQ(app->player().count(), 0);

    window->findChild<QTabBar*>("SSTabBar")->setCurrentIndex(0);
    auto* tree = window->findChild<QTreeView*>("tvMusic");
    auto* tracks = window->findChild<QListView*>("lstSongs0");
    tree->setFocus();
    server->clearRequests();
    QTest::keyClicks(tree, "the q");
    QElapsedTimer typed;
    typed.start();
    EXPECT_EQ(tree->currentIndex().data().toString().left(14), "The Quiet Ones");
    // The blank belonged to the name: nothing was asked of the server.
    EXPECT_TRUE(server->requests().empty());
    // The name looked for is over once the keyboard's interval has passed since its last key.
    ASSERT_TRUE(
        eventually([&] { return typed.elapsed() > QApplication::keyboardInputInterval() + 50; }));
    const struct {
        Qt::Key key;
        QString node;
        int songs;
    } cases[] = {{Qt::Key_Return, "artist1", 3},
                 {Qt::Key_Enter, "album10", 3},
                 {Qt::Key_Space, "album11", 2}};
    for (const auto& c : cases) {
        app->library().songs(0)->clear();
        const QModelIndexList found =
            tree->model()->match(tree->model()->index(0, 0), CatalogueModel::KeyRole, c.node, 1,
                                 Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << c.node.toStdString();
        tree->setCurrentIndex(found[0]);
        QTest::keyClick(tree, c.key);
        settle();
        EXPECT_EQ(tracks->model()->rowCount(), c.songs) << c.node.toStdString();
    }
    // A refresh leaves no current node: the keys then ask for nothing.
    refresh();
    ASSERT_FALSE(tree->currentIndex().isValid());
    server->clearRequests();
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_FALSE(app->isBusy());
    EXPECT_TRUE(server->requests().empty());
    EXPECT_EQ(status(), "Library refreshed");
}

} // namespace

namespace {

// The playlist's order changes by keys and by dragging a line; the playing song stays current.
// Repeat and shuffle are the player's context menu items and have keys, all showing the state
// the player is in, however it got there.
TEST_F(PlayerKeys, TheOrderRepeatAndShuffleAreTheUsersToChange) {
    auto* playlist = window->findChild<PlaylistView*>("lstPlaylist");
    auto titles = [&] { return player().playlist().titles(); };
    playlist->setFocus();
    playlist->setCurrentIndex(playlist->model()->index(1, 0)); // Noon, playing
    press(playlist, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(titles(), (QStringList{"Noon", "Dawn", "Dusk"}));
    press(playlist, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier); // already first
    press(playlist, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    press(playlist, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Dusk", "Noon"}));
    EXPECT_EQ(playlist->currentIndex().row(), 2);
    EXPECT_EQ(player().currentIndex(), 2);
    EXPECT_EQ(player().playbackState(), PlaybackState::Playing);

    // Dragging Dawn onto the lower half of Noon puts it last. A line of another program's list
    // moves nothing here.
    auto drop = [&](const QMimeData* data, int onto, double where) {
        const QRect line = playlist->visualRect(playlist->model()->index(onto, 0));
        const QPoint at(line.center().x(), line.top() + int(line.height() * where));
        QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(playlist->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(playlist->viewport(), &move);
        QDropEvent dropped(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(playlist->viewport(), &dropped);
    };
    auto dragged = [&](int row) {
        return std::unique_ptr<QMimeData>(
            playlist->model()->mimeData({playlist->model()->index(row, 0)}));
    };
    drop(dragged(0).get(), 2, 0.75);
    EXPECT_EQ(titles(), (QStringList{"Dusk", "Noon", "Dawn"}));
    drop(dragged(2).get(), 0, 0.25);
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Dusk", "Noon"}));
    drop(dragged(0).get(), 1, 0.75);
    EXPECT_EQ(titles(), (QStringList{"Dusk", "Dawn", "Noon"}));
    drop(dragged(1).get(), 0, 0.25);
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Dusk", "Noon"}));
    EXPECT_EQ(player().currentIndex(), 2);
    QMimeData foreign;
    foreign.setData(PlaylistModel::LineMimeType,
                    QByteArray::number(QCoreApplication::applicationPid() + 1) + " 0");
    drop(&foreign, 2, 0.75);
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Dusk", "Noon"}));
    expectInStep();

    auto* bar = window->findChild<PlayerControlBar*>("WindowsMediaPlayer1");
    auto checked = [&] {
        QStringList out;
        const std::unique_ptr<QMenu> menu(bar->createContextMenu());
        for (QAction* item : menu->actions())
            if (item->isChecked())
                out << item->text();
        return out;
    };
    EXPECT_EQ(checked(), QStringList{"Repeat Off"});
    for (const char* expected : {"Repeat All", "Repeat One", "Repeat Off"}) {
        press(playlist, Qt::Key_T, Qt::ControlModifier);
        EXPECT_EQ(checked(), QStringList{expected});
    }
    press(playlist, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(player().isShuffled());
    EXPECT_EQ(checked(), (QStringList{"Repeat Off", "Shuffle"}));
    bar->findChild<QAction*>("mnuRepeatOne")->trigger();
    bar->findChild<QAction*>("mnuShuffle")->trigger();
    EXPECT_EQ(player().repeat(), RepeatMode::One);
    EXPECT_FALSE(player().isShuffled());
    EXPECT_EQ(checked(), QStringList{"Repeat One"});
    player().setRepeat(RepeatMode::All); // as the desktop's media controls would
    EXPECT_EQ(checked(), QStringList{"Repeat All"});
    EXPECT_TRUE(bar->toolTip().contains("Ctrl+T") && bar->toolTip().contains("Ctrl+H"));
    EXPECT_TRUE(bar->findChild<QAction*>("mnuShuffle")->toolTip().contains("Ctrl+H"));
}

// While a refresh waits for the server the transport stays the listener's, by key and by mouse,
// wherever the focus is; what would ask the server for something or change the lists stays held
// back, and the busy pointer shows only over that. Escape still ends the refresh.
TEST_F(PlayerKeys, TheTransportStaysLiveWhileACommandRuns) {
    auto* tree = window->findChild<QTreeView*>("tvMusic");
    auto* bar = window->findChild<PlayerControlBar*>("WindowsMediaPlayer1");
    tree->setFocus();
    server->setFault(SonaricTestServer::Fault::Delay, "artists", 600000);
    app->http().setStallTimeout(std::chrono::minutes(10));
    app->refreshLibrary();
    ASSERT_TRUE(eventually([&] { return !server.requestsOf("artists").empty(); }));
    ASSERT_TRUE(app->isBusy());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);

    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_TRUE(eventually([&] { return engine().isPaused(); }));
    press(tree, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(eventually([&] { return engine().volume() == 55; }));
    QTest::mouseClick(bar->findChild<QToolButton*>("playerPlayPause"), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return !engine().isPaused(); }));
    QTest::mouseClick(bar->findChild<QToolButton*>("playerNext"), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return player().currentIndex() == 2; }));
    QTest::mouseClick(bar->findChild<QToolButton*>("playerPrevious"), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return player().currentIndex() == 1; }));
    QTest::mouseClick(bar->findChild<QToolButton*>("playerStop"), Qt::LeftButton);
    EXPECT_TRUE(eventually([&] { return engine().isIdle(); }));
    auto* volume = bar->findChild<QSlider*>("playerVolume");
    volume->setFocus();
    press(volume, Qt::Key_End);
    EXPECT_TRUE(eventually([&] { return engine().volume() == 100; }));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(bar, &enter);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar, &leave);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);

    // Held back: the playlist's buttons, the other commands' keys, a tree node's key.
    QTest::mouseClick(window->findChild<QPushButton*>("cmdClearPlaylist"), Qt::LeftButton);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    letThePlayerCatchUp();
    EXPECT_EQ(app->player().count(), 3);
    EXPECT_EQ(window->findChild<QTabBar*>("SSTabBar")->currentIndex(), 0);
    EXPECT_TRUE(server.requestsOf("artist_songs").empty());
    EXPECT_TRUE(app->isBusy());

    QTest::keyClick(tree, Qt::Key_Escape);
    EXPECT_FALSE(app->isBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(status(), "Cancelled");
}

} // namespace
