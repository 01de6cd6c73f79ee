// Adding many songs at once against the application object and the test server: each song asked
// for on its own, in order, and what a cancel or a failure keeps.
#include "AddSongsCommand.h"
#include "AddSongCommand.h"
#include "AppFixture.h"

namespace {

using SongIds = AddSongsCommand::SongIds;

class AddSongs : public AppFixture {
protected:
    void SetUp() override { openLibrary(); }

    QStringList titles() { return player().playlist().titles(); }
    QStringList songRequests() {
        QStringList out;
        for (const auto& r : server.requestsOf("song"))
            out << QString::fromStdString(r.parameters.at("filter"));
        return out;
    }
    void addSongs(const SongIds& ids) { app->addSongs(ids), settle(); }
};

SongIds ids(std::initializer_list<std::int64_t> numbers) {
    return SongIds(numbers.begin(), numbers.end());
}

// Twelve songs: twelve requests one after another, twelve entries in the order asked for, one
// busy span, the progress in the status bar, and auto-play starts the first because the playlist
// was empty. A batch onto a playlist that has entries starts nothing.
TEST_F(AddSongs, ABatchAddsEverySongInOrderOneRequestEach) {
    app->setAutoPlay(true);
    QSignalSpy busy(app.get(), &App::busyChanged);
    QSignalSpy statuses(&app->status(), &StatusText::textChanged);
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    server->clearRequests();
    addSongs(ids({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(titles(), (QStringList{"Sunset Song", "Beach Song", "Applause & Echo", "Silent Track",
                                     "Ночная песня", "Žluťoučký kůň", "Smaller Than Life",
                                     "Encore < Finale", "Rock & Roll #1", "Dusk", "Noon", "Dawn"}));
    EXPECT_EQ(songRequests(),
              (QStringList{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}));
    EXPECT_EQ(busy.size(), 2);
    QStringList expected;
    for (int i = 1; i <= 12; ++i)
        expected << AddSongsCommand::progressText(i, 12);
    expected << "Added 12 songs";
    QStringList shown;
    for (const auto& s : statuses)
        if (!s.at(0).toString().isEmpty())
            shown << s.at(0).toString();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(expected.front(), "Adding songs (1 of 12)...");
    ASSERT_TRUE(!started.isEmpty() || started.wait(5000));
    EXPECT_EQ(started.first().at(0).toInt(), 0);
    expectInStep();

    player().stop();
    ASSERT_TRUE(eventually([&] { return engine().isIdle(); }));
    addSongs(ids({1, 2}));
    EXPECT_EQ(titles().size(), 14);
    letThePlayerCatchUp();
    EXPECT_TRUE(engine().isIdle());
}

// One song asked for through the batch is the single add: no progress of its own, nothing in the
// status bar once it has landed.
TEST_F(AddSongs, OneSongIsASingleAdd) {
    QSignalSpy statuses(&app->status(), &StatusText::textChanged);
    addSongs(ids({2}));
    EXPECT_EQ(titles(), QStringList{"Noon"});
    for (const auto& s : statuses)
        EXPECT_FALSE(s.at(0).toString().startsWith("Adding")) << s.at(0).toString().toStdString();
    EXPECT_EQ(status(), "Library refreshed");
}

// Escape after the third song has landed keeps three; a fifth song the server refuses, or one
// listed without a usable id, stops the batch with the single add's report, once, and keeps four.
TEST_F(AddSongs, ACancelOrAFailureKeepsWhatWasAdded) {
    const QMetaObject::Connection escape =
        QObject::connect(&app->playlist(), &PlaylistController::added, app.get(), [this] {
            if (titles().size() == 3)
                QMetaObject::invokeMethod(app.get(), &App::cancel, Qt::QueuedConnection);
        });
    server->clearRequests();
    addSongs(ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    QObject::disconnect(escape);
    ASSERT_TRUE(readersStopped()); // for a song that would land after the cancel
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk"}));
    EXPECT_LE(songRequests().size(), 4);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(status(), "Cancelled");
    expectInStep();
    expectIdle();

    const struct {
        const char* name;
        SongIds ids;
        QString report;
        int requests;
    } failures[] = {
        {"refused", ids({4, 5, 6, 7, 999, 8, 9}), "Song not found[Sonaric Error: 404]", 5},
        {"no usable id", {4, 5, 6, 7, std::nullopt, 8, 9}, AddSongCommand::idNotANumber(), 4},
    };
    for (const auto& c : failures) {
        app->playlist().clear();
        reports.clear();
        reportedWhileBusy.clear();
        server->clearRequests();
        addSongs(c.ids);
        EXPECT_EQ(titles(), (QStringList{"Rock & Roll #1", "Encore < Finale", "Smaller Than Life",
                                         "Žluťoučký kůň"}))
            << c.name;
        EXPECT_EQ(reports, QStringList{c.report}) << c.name;
        EXPECT_EQ(reportedWhileBusy, std::vector<bool>{false}) << c.name;
        EXPECT_EQ(songRequests().size(), c.requests) << c.name;
        expectInStep();
    }
}

// "Add to Playlist" on a node lists its tracks as a click does, then adds them all in order; a
// cancel while the tracks are listed puts the list back and adds nothing.
TEST_F(AddSongs, ANodesTracksAreListedThenAdded) {
    QSignalSpy statuses(&app->status(), &StatusText::textChanged);
    app->addTracksOf("album10");
    settle();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk"}));
    EXPECT_EQ(songLines(0), (QStringList{"Dawn", "Noon", "Dusk"}));
    EXPECT_EQ(statuses.first().at(0).toString(), "Fetching album tracks...");
    EXPECT_EQ(status(), "Added 3 songs");

    app->addTracksOf("artist2");
    settle();
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk", "Rock & Roll #1", "Encore < Finale"}));
    EXPECT_EQ(songLines(0), (QStringList{"Rock & Roll #1", "Encore < Finale"}));

    server->setFault(SonaricTestServer::Fault::Delay, "album_songs", 2000, 1);
    app->addTracksOf("album13");
    ASSERT_TRUE(eventually([&] { return !server.requestsOf("album_songs").empty(); }));
    app->cancel();
    settle();
    EXPECT_EQ(songLines(0), (QStringList{"Rock & Roll #1", "Encore < Finale"}));
    EXPECT_EQ(titles().size(), 5);
    EXPECT_EQ(status(), "Cancelled");
    EXPECT_TRUE(reports.isEmpty());
}

} // namespace
