// Adding many songs at once: each song asked for on its own, several at a time, added in the
// order asked for whatever order the answers come in, and what a cancel, a failure or a lapsed
// session leaves; the rules on calls the test answers, the requests and playback against the
// application object and the test server.
#include "AddSongsCommand.h"
#include "AddSongCommand.h"
#include "AppFixture.h"
#include "CommandRunner.h"
#include "ScriptedSession.h"
#include "SessionState.h"

#include <QUrlQuery>

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

// Twelve songs over HTTP: several requests under way at once, so the first song, held back by the
// server, is answered last; still twelve entries in the order asked for, and auto-play starts the
// first because the playlist was empty. A batch onto a playlist that has entries starts nothing.
TEST_F(AddSongs, ABatchAsksSideBySideAndPlaysTheFirst) {
    app->setAutoPlay(true);
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    server->clearRequests();
    server->holdSong(12);
    app->addSongs(ids({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    ASSERT_TRUE(eventually([&] { return songRequests().size() == 12; }));
    EXPECT_TRUE(titles().isEmpty());
    server->releaseSongs();
    settle();
    EXPECT_EQ(titles().first(), "Sunset Song");
    EXPECT_EQ(titles().last(), "Dawn");
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

// A batch on scripted calls, answered by the test in whatever order and however it likes.
class Batch : public ::testing::Test {
protected:
    SessionState state = scriptedState("first");
    ScriptedSession session{state};
    MediaPlayer player{[] {
        MpvPlayer::Options options;
        options.nullAudio = true;
        return options;
    }()};
    CommandRunner runner;
    QStringList statuses, passing, reports;

    Batch() {
        QObject::connect(&runner, &CommandRunner::statusTextChanged, &runner,
                         [this](const QString& text) { statuses << text; });
        QObject::connect(&runner, &CommandRunner::passingStatusTextChanged, &runner,
                         [this](const QString& text) { passing << text; });
        QObject::connect(&runner, &CommandRunner::failureReported, &runner,
                         [this](const QString& message) { reports << message; });
    }

    void add(SongIds songIds) {
        ASSERT_TRUE(runner.run(std::make_unique<AddSongsCommand>(session, player, songIds)));
    }
    // The request under way for a song, or for the sign-in (0).
    ScriptedCall* asked(std::int64_t id) {
        for (ScriptedCall* call : session.fetching()) {
            const QUrlQuery query(call->url());
            if (id == 0 ? query.queryItemValue("action") == "handshake"
                        : query.queryItemValue("filter") == QString::number(id))
                return call;
        }
        return nullptr;
    }
    void answer(std::int64_t id, QByteArray reply = {}) {
        ScriptedCall* call = asked(id);
        ASSERT_NE(call, nullptr) << id;
        if (reply.isEmpty())
            reply = QString("<root><song id=\"%1\"><title>%1</title><artist>A</artist><album>B"
                            "</album><url>http://server/play?id=%1</url></song></root>")
                        .arg(id)
                        .toUtf8();
        call->answer(reply);
    }
    QString tokenOf(std::int64_t id) { return QUrlQuery(asked(id)->url()).queryItemValue("auth"); }
    QStringList titles() { return player.playlist().titles(); }
};

constexpr char Lapsed[] = "<root><error code=\"401\">Session expired</error></root>";

// No more than a few requests at once; each answer lets the next request go; the songs are added
// in the order asked for, as soon as each one and all before it are answered, with the progress.
TEST_F(Batch, AddsInTheOrderAskedWhateverOrderTheAnswersComeIn) {
    add(ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(session.fetching().size(), std::size_t(AddSongsCommand::MaxRequests));
    for (std::int64_t id : {6, 5, 4, 3, 2, 1, 12, 11, 10, 9, 8, 7}) {
        answer(id);
        EXPECT_LE(session.fetching().size(), std::size_t(AddSongsCommand::MaxRequests));
        if (id == 2) {
            EXPECT_TRUE(titles().isEmpty());
        }
    }
    EXPECT_EQ(titles(),
              (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    QStringList expected;
    for (int i = 1; i <= 12; ++i)
        expected << AddSongsCommand::progressText(i, 12);
    EXPECT_EQ(statuses, expected << "Added 12 songs");
    EXPECT_EQ(expected.front(), "Adding songs (1 of 12)...");
    EXPECT_FALSE(runner.isRunning());
    EXPECT_TRUE(reports.isEmpty());
}

// A cancel keeps the songs added before it, and drops the rest with their requests; a song the
// server refuses, or one listed without a usable id, stops the batch with the single add's report,
// once, keeping the songs before it even when those after it were answered first; nothing after
// such a song is asked for.
TEST_F(Batch, ACancelOrAFailureKeepsWhatWasAddedBefore) {
    add(ids({1, 2, 3, 4, 5, 6, 7, 8}));
    for (std::int64_t id : {1, 2, 3, 5, 6})
        answer(id);
    runner.cancel();
    EXPECT_TRUE(session.fetching().empty());
    EXPECT_EQ(titles(), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(passing, QStringList{"Cancelled"});

    player.clear();
    add(ids({1, 2, 3, 4, 5, 6, 7, 8}));
    answer(6);
    answer(5, "<root><error code=\"404\">Song not found</error></root>");
    EXPECT_EQ(asked(8), nullptr);
    for (std::int64_t id : {4, 3, 2, 1})
        answer(id);
    EXPECT_EQ(titles(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(reports, QStringList{"Song not found[Sonaric Error: 404]"});
    EXPECT_TRUE(session.fetching().empty());

    player.clear();
    reports.clear();
    add({1, 2, std::nullopt, 3});
    EXPECT_EQ(asked(3), nullptr);
    answer(2);
    answer(1);
    EXPECT_EQ(titles(), (QStringList{"1", "2"}));
    EXPECT_EQ(reports, QStringList{AddSongCommand::idNotANumber()});
}

// A session that lapsed is renewed once for the whole batch, however many requests it refused,
// and those, and any sent before the renewal, are asked again with the new token; a refusal of
// the new token is the answer. A
// renewal the server refuses ends the batch with the sign-in's report.
TEST_F(Batch, ALapsedSessionIsRenewedOnceForTheBatch) {
    add(ids({1, 2, 3, 4, 5}));
    answer(1);
    answer(2, Lapsed);
    answer(3, Lapsed);
    ASSERT_NE(asked(0), nullptr);
    answer(4, Lapsed);
    EXPECT_EQ(passing, QStringList{"Signing in again..."});
    answer(0, "<root><auth>second</auth></root>");
    EXPECT_EQ(asked(0), nullptr);
    for (std::int64_t id : {2, 3, 4})
        EXPECT_EQ(tokenOf(id), "second") << id;
    for (std::int64_t id : {4, 3, 2})
        answer(id);
    answer(5, Lapsed); // sent before the renewal
    EXPECT_EQ(tokenOf(5), "second");
    answer(5, Lapsed);
    EXPECT_EQ(asked(0), nullptr);
    EXPECT_EQ(titles(), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(reports, QStringList{"Session expired[Sonaric Error: 401]"});

    reports.clear();
    add(ids({6}));
    answer(6, Lapsed);
    answer(0, "<root><error code=\"401\">Error Authenticating</error></root>");
    EXPECT_EQ(reports, QStringList{"Error Authenticating[Sonaric Error: 401]"});
    EXPECT_EQ(state.authToken, "second");
    EXPECT_EQ(titles().size(), 4);
}

} // namespace
