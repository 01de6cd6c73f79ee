#include "ClientFixture.h"

#include <QTreeView>

namespace {

constexpr int PlaybackWait = 5000;

class Playlist : public ClientFixture {
protected:
    void SetUp() override {
        openLibrary(true);
        ASSERT_TRUE(dialogs.shown.empty());
    }

    MediaPlayer& playlist() { return app->player(); }
    QListView* lines() { return control<QListView>("lstPlaylist"); }

    int selectedLine() {
        const QModelIndexList s = lines()->selectionModel()->selectedIndexes();
        return s.isEmpty() ? -1 : s.first().row();
    }
    void select(int line) { lines()->setCurrentIndex(player().playlist().index(line)); }

    bool waitForPlayback(QSignalSpy& started) {
        return !started.isEmpty() || started.wait(PlaybackWait);
    }

    void addAll(std::initializer_list<std::int64_t> ids) {
        for (std::int64_t id : ids)
            addSong(id);
    }
};

// With auto-play, a double-clicked song is added and played, a later add starts nothing, and a
// clear arms it again; without, only a double-clicked playlist line plays.
TEST_F(Playlist, AutoPlayStartsTheFirstAddAndADoubleClickedLinePlays) {
    app->setAutoPlay(true);
    showTracks("album10");
    QListView* songs = control<QListView>("lstSongs0");
    const QPoint noon = songs->visualRect(songs->model()->index(1, 0)).center();
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, {}, noon);
    QTest::mouseDClick(songs->viewport(), Qt::LeftButton, {}, noon);
    settle();
    ASSERT_EQ(player().playlist().titles(), QStringList{"Noon"});
    EXPECT_EQ(server.requestsOf("song").back().parameters.at("filter"), "2");
    ASSERT_TRUE(waitForPlayback(started));
    EXPECT_EQ(nowPlaying(), (QStringList{"Noon", "The Quiet Ones", "Morning Light"}));
    ASSERT_TRUE(eventually([&] { return engine().position() > 0.3; }, PlaybackWait));
    const double before = engine().position();
    addSong(1);
    EXPECT_EQ(selectedLine(), 1);
    // Playback goes on: a restart would have begun again from nothing.
    ASSERT_TRUE(eventually([&] { return engine().position() > before + 0.3; }, PlaybackWait));
    EXPECT_EQ(engine().playlistPos(), 0);
    EXPECT_EQ(started.size(), 1);
    expectInStep();

    control<QPushButton>("cmdClearPlaylist")->click();
    EXPECT_TRUE(nowPlaying().isEmpty());
    expectInStep();
    ASSERT_TRUE(eventually([&] { return engine().isIdle(); }, PlaybackWait));
    started.clear();
    addSong(3);
    ASSERT_TRUE(waitForPlayback(started));
    EXPECT_EQ(nowPlaying().value(0), "Dusk");

    app->setAutoPlay(false);
    playlist().clear();
    started.clear();
    addAll({1, 2, 3});
    letThePlayerCatchUp();
    EXPECT_TRUE(started.isEmpty());
    EXPECT_TRUE(engine().isIdle());
    select(2);
    const QPoint third = lines()->visualRect(player().playlist().index(2)).center();
    QTest::mouseClick(lines()->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(lines()->viewport(), Qt::LeftButton, {}, third);
    ASSERT_TRUE(waitForPlayback(started));
    EXPECT_EQ(engine().playlistPos(), 2);
    EXPECT_EQ(nowPlaying().value(0), "Dusk");
    EXPECT_EQ(selectedLine(), 2);
}

// Several songs are selected as in any list (Shift and Ctrl with clicks or arrows, Ctrl+A) and
// added in list order by Enter, a double-click on one of them or the context menu; Ctrl+Enter or
// the context menu on a tree node adds all its tracks.
TEST_F(Playlist, SeveralSongsAreAddedInOneGesture) {
    showTracks("album10");
    QListView* songs = control<QListView>("lstSongs0");
    songs->setFocus();
    auto line = [&](int row) { return songs->visualRect(songs->model()->index(row, 0)).center(); };
    auto titles = [&] { return player().playlist().titles(); };
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, {}, line(0));
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, Qt::ShiftModifier, line(2));
    QTest::keyClick(songs, Qt::Key_Return);
    settle();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk"}));
    EXPECT_EQ(server.requestsOf("song").size(), 3u);

    playlist().clear();
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, {}, line(2));
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, Qt::ControlModifier, line(0));
    songs->actions().value(0)->trigger();
    settle();
    EXPECT_EQ(songs->actions().value(0)->objectName(), "mnuAddSongs0");
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Dusk"}));

    playlist().clear();
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, {}, line(0));
    QTest::keyClick(songs, Qt::Key_Down, Qt::ShiftModifier);
    // A double-click as the platform sends it: a click, then a double-click.
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, {}, line(1));
    QTest::mouseDClick(songs->viewport(), Qt::LeftButton, {}, line(1));
    settle();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon"}));

    playlist().clear();
    QTest::keyClick(songs, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(songs, Qt::Key_Enter);
    settle();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk"}));

    playlist().clear();
    QTreeView* tree = control<QTreeView>("tvMusic");
    tree->setFocus();
    tree->setCurrentIndex(library().catalogue()->index(1, 0)); // The Quiet Ones
    QTest::keyClick(tree, Qt::Key_Return, Qt::ControlModifier);
    settle();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk"}));
    EXPECT_EQ(status(), "Added 3 songs");
    EXPECT_EQ(tree->actions().value(0)->objectName(), "mnuAddTracks");
    EXPECT_EQ(tree->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Playlist, DeletingKeepsBothHalvesInStepAndWalksTheSelection) {
    addAll({1, 2, 3, 4, 5});
    auto titles = [&] { return player().playlist().titles(); };
    QPushButton* remove = control<QPushButton>("cmdDeleteItem");

    select(1); // the line that moves up is selected
    remove->click();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Dusk", "Rock & Roll #1", "Encore < Finale"}));
    EXPECT_EQ(selectedLine(), 1);
    select(0);
    remove->click();
    EXPECT_EQ(titles(), (QStringList{"Dusk", "Rock & Roll #1", "Encore < Finale"}));
    EXPECT_EQ(selectedLine(), 0);
    expectInStep();
    remove->click();
    EXPECT_EQ(titles(), (QStringList{"Rock & Roll #1", "Encore < Finale"}));
    EXPECT_EQ(selectedLine(), 0);

    select(1);
    remove->click(); // the last line: no selection afterwards
    EXPECT_EQ(titles(), QStringList{"Rock & Roll #1"});
    EXPECT_EQ(selectedLine(), -1);
    remove->click(); // nothing selected: nothing happens
    EXPECT_EQ(titles(), QStringList{"Rock & Roll #1"});

    select(0);
    remove->click(); // the only line
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(selectedLine(), -1);
    expectInStep();
}

} // namespace
