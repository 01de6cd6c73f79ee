// Adding many songs at once against the application object and the test server: each song asked
// for on its own, several at a time, added in the order asked for whatever order the answers come
// in, and what a cancel, a failure or a lapsed session leaves.
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
    QStringList sorted(QStringList list) {
        list.sort();
        return list;
    }
    void addSongs(const SongIds& ids) { app->addSongs(ids), settle(); }
};

SongIds ids(std::initializer_list<std::int64_t> numbers) {
    return SongIds(numbers.begin(), numbers.end());
}

// Twelve songs: one request each, several under way at once, so the first song, held back by the
// server, is answered last; still twelve entries in the order asked for, one busy span, the
// progress in the status bar, and auto-play starts the first because the playlist was empty. A
// batch onto a playlist that has entries starts nothing.
TEST_F(AddSongs, ABatchAddsEverySongInOrderWhateverOrderTheAnswersComeIn) {
    app->setAutoPlay(true);
    QSignalSpy busy(app.get(), &App::busyChanged);
    QSignalSpy statuses(&app->status(), &StatusText::textChanged);
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    server->clearRequests();
    server->holdSong(12);
    app->addSongs(ids({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    // Every other song is asked for, and answered, while the first waits.
    ASSERT_TRUE(eventually([&] { return songRequests().size() == 12; }));
    EXPECT_TRUE(titles().isEmpty());
    server->releaseSongs();
    settle();
    EXPECT_EQ(titles(), (QStringList{"Sunset Song", "Beach Song", "Applause & Echo", "Silent Track",
                                     "Ночная песня", "Žluťoučký kůň", "Smaller Than Life",
                                     "Encore < Finale", "Rock & Roll #1", "Dusk", "Noon", "Dawn"}));
    EXPECT_EQ(sorted(songRequests()),
              sorted({"12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}));
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

// Escape while the fourth song is held back, with the ones after it answered or under way, keeps
// the three before it, and nothing lands later; a fifth song the server refuses, or one listed
// without a usable id, stops the batch with the single add's report, once, and keeps four, even
// when the songs after it were answered first.
TEST_F(AddSongs, ACancelOrAFailureKeepsWhatWasAddedInOrder) {
    server->clearRequests();
    server->holdSong(4);
    app->addSongs(ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_TRUE(eventually([&] { return titles().size() == 3 && songRequests().size() > 4; }));
    app->cancel();
    server->releaseSongs();
    settle();
    ASSERT_TRUE(readersStopped());
    EXPECT_EQ(titles(), (QStringList{"Dawn", "Noon", "Dusk"}));
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(status(), "Cancelled");
    expectInStep();
    expectIdle();

    const struct {
        const char* name;
        SongIds ids;
        QString report;
    } failures[] = {
        {"refused", ids({4, 5, 6, 7, 999, 8, 9}), "Song not found[Sonaric Error: 404]"},
        {"no usable id", {4, 5, 6, 7, std::nullopt, 8, 9}, AddSongCommand::idNotANumber()},
    };
    for (const auto& c : failures) {
        app->player().clear();
        reports.clear();
        reportedWhileBusy.clear();
        server->clearRequests();
        server->holdSong(4);
        app->addSongs(c.ids);
        ASSERT_TRUE(eventually([&] { return songRequests().size() >= 4; })) << c.name;
        server->releaseSongs();
        settle();
        EXPECT_EQ(titles(), (QStringList{"Rock & Roll #1", "Encore < Finale", "Smaller Than Life",
                                         "Žluťoučký kůň"}))
            << c.name;
        EXPECT_EQ(reports, QStringList{c.report}) << c.name;
        EXPECT_EQ(reportedWhileBusy, std::vector<bool>{false}) << c.name;
        expectInStep();
    }
    // Nothing after a song that cannot be asked for is.
    server->clearRequests();
    addSongs({10, 11, std::nullopt, 12});
    EXPECT_FALSE(songRequests().contains("12"));
    EXPECT_EQ(titles().mid(4), (QStringList{"Applause & Echo", "Beach Song"}));
}

// A session that lapsed during a batch is renewed once, however many requests it refused, and
// the refused ones asked again: every song lands, in order. A renewal the server refuses ends the
// batch with the sign-in's report.
TEST_F(AddSongs, ALapsedSessionIsRenewedOnceForTheBatch) {
    QSignalSpy passing(&app->status(), &StatusText::textChanged);
    server->expireSessions();
    server->clearRequests();
    addSongs(ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(titles().size(), 12);
    EXPECT_EQ(titles().first(), "Dawn");
    EXPECT_EQ(titles().last(), "Sunset Song");
    EXPECT_EQ(server.requestsOf("handshake").size(), 1u);
    int renewals = 0;
    for (const auto& text : passing)
        renewals += text.at(0).toString() == "Signing in again...";
    EXPECT_EQ(renewals, 1);
    EXPECT_EQ(status(), "Added 12 songs");
    EXPECT_TRUE(reports.isEmpty());

    app->player().clear();
    server->expireSessions();
    server->setErrorReply("handshake", "401", "Error Authenticating");
    addSongs(ids({1, 2, 3}));
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_EQ(reports, QStringList{"Error Authenticating[Sonaric Error: 401]"});
    expectIdle();
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
