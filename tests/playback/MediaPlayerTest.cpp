// The player as a listener knows it, with libmpv playing the test server's tones (4 s each): one
// set of transport rules whoever gives the command, the play order that libmpv follows by itself,
// and streams that fail or break. The window's buttons, the keys and the desktop's media controls
// only pass commands on to these; their own tests check that they do.
#include "AppFixture.h"

#include <optional>

namespace {

using enum PlaybackState;
constexpr int PlaybackWait = 8000;

class Player : public AppFixture {
protected:
    void SetUp() override {
        openLibrary();
        for (std::int64_t id : {1, 2, 3, 4})
            addSong(id); // Dawn, Noon, Dusk, Rock & Roll #1
    }

    static QString title(const std::shared_ptr<MediaItem>& item) {
        return item ? PlaylistModel::title(*item) : QString();
    }
    QString current() { return title(player().currentItem()); }
    QString next() { return title(player().nextItem()); }
    bool playing(int index) {
        return eventually(
            [&] {
                return engine().playlistPos() == index && player().playbackState() == Playing &&
                       engine().position() > 0.1;
            },
            PlaybackWait);
    }
    // Seeks to just before the end of the entry playing.
    void nearTheEnd() {
        ASSERT_TRUE(eventually([&] { return player().canSeek() && player().duration() > 1; }));
        player().seek(player().duration() - 0.4);
    }
};

enum class Act { Play, Pause, Stop, Next, Previous, PlayToEnd, Delete, Clear };

struct Step {
    Act act;
    // The state to wait for before the next step; none when the step should change nothing.
    std::optional<PlaybackState> settles;
    int line = 0; // the line deleted
};

struct TransportCase {
    const char* name;
    int start; // the entry played first
    std::vector<Step> steps;
    PlaybackState state;
    int current; // the player's current entry afterwards, -1 for none
    QString title;
    int lines = 4;
};

void PrintTo(const TransportCase& c, std::ostream* out) {
    *out << c.name;
}

using enum Act;
const TransportCase Cases[] = {
    {"StopThenNext", 0, {{Stop, Stopped}, {Next, Playing}}, Playing, 1, "Noon"},
    {"StopThenPrevious", 1, {{Stop, Stopped}, {Previous, Playing}}, Playing, 0, "Dawn"},
    {"NextOnTheLast", 3, {{Next, {}}}, Playing, 3, "Rock & Roll #1"},
    {"PreviousOnTheFirst", 0, {{Previous, {}}}, Playing, 0, "Dawn"},
    {"NextWhilePaused", 0, {{Pause, Paused}, {Next, Playing}}, Playing, 1, "Noon"},
    {"PreviousWhilePaused", 2, {{Pause, Paused}, {Previous, Playing}}, Playing, 1, "Noon"},
    {"PauseThenPlay", 1, {{Pause, Paused}, {Play, Playing}}, Playing, 1, "Noon"},
    {"EndOfTheListStopsOnTheFirst", 3, {{PlayToEnd, Stopped}}, Stopped, 0, "Dawn"},
    {"EndOfTheListThenPlay", 3, {{PlayToEnd, Stopped}, {Play, Playing}}, Playing, 0, "Dawn"},
    {"StopThenPlayResumesTheCurrent", 1, {{Stop, Stopped}, {Play, Playing}}, Playing, 1, "Noon"},
    {"DeleteThePlayingEntry", 1, {{Delete, Playing, 1}}, Playing, 1, "Dusk", 3},
    {"DeleteThePlayingLastEntry", 3, {{Delete, Stopped, 3}}, Stopped, 0, "Dawn", 3},
    {"DeleteAnotherEntry", 1, {{Delete, {}, 0}}, Playing, 0, "Noon", 3},
    {"DeleteWhileStopped", 0, {{Stop, Stopped}, {Delete, {}, 0}}, Stopped, 0, "Noon", 3},
    {"ClearThePlaylist", 0, {{Clear, Stopped}}, Stopped, -1, "", 0},
};

class Transport : public Player, public ::testing::WithParamInterface<TransportCase> {
protected:
    void perform(const Step& step) {
        switch (step.act) {
        case Play:
            return player().play();
        case Pause:
            return player().pause();
        case Stop:
            return player().stop();
        case Next:
            return player().next();
        case Previous:
            return player().previous();
        case PlayToEnd:
            return nearTheEnd();
        case Delete:
            return player().deleteLine(step.line);
        case Clear:
            return player().clear();
        }
    }
};

TEST_P(Transport, FollowsOneRuleSet) {
    const TransportCase& c = GetParam();
    player().jumpTo(c.start);
    ASSERT_TRUE(playing(c.start));
    for (const Step& step : c.steps) {
        const double before = engine().position();
        perform(step);
        if (step.settles) {
            ASSERT_TRUE(eventually([&] { return player().playbackState() == *step.settles; }));
        } else if (c.state == Playing) {
            // Nothing was to change: playback goes on from where it was.
            EXPECT_TRUE(eventually([&] { return engine().position() > before + 0.3; }));
        } else {
            letThePlayerCatchUp();
        }
        EXPECT_EQ(player().playbackState(), step.settles.value_or(c.state));
    }

    EXPECT_EQ(player().currentIndex(), c.current);
    EXPECT_EQ(current(), c.title);
    EXPECT_EQ(player().count(), c.lines);
    EXPECT_EQ(player().canGoNext(), c.current >= 0 && c.current + 1 < c.lines);
    EXPECT_EQ(player().canGoPrevious(), c.current > 0);
    EXPECT_EQ(player().canPlay(), c.lines > 0);
    if (c.state == Playing) {
        // What plays is the current entry, and it is moving.
        ASSERT_TRUE(eventually([&] { return engine().playlistPos() == c.current; }));
        const double at = engine().position();
        EXPECT_TRUE(eventually([&] { return engine().position() > at + 0.2; }));
    } else if (c.state == Stopped) {
        EXPECT_TRUE(engine().isIdle());
    }
    expectInStep();
}

INSTANTIATE_TEST_SUITE_P(Cases, Transport, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// The current entry stays current and playing wherever it moves; Next, and libmpv when the entry
// ends, follow the new order.
TEST_F(Player, MovingTheCurrentEntryKeepsItPlayingAndChangesWhatComesNext) {
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    player().jumpTo(1);
    ASSERT_TRUE(playing(1));
    EXPECT_EQ(next(), "Dusk");
    player().moveLine(1, 3);
    EXPECT_EQ(player().playlist().titles(),
              (QStringList{"Dawn", "Dusk", "Rock & Roll #1", "Noon"}));
    EXPECT_EQ(current(), "Noon");
    EXPECT_EQ(engine().playlistPos(), 3);
    EXPECT_FALSE(player().canGoNext());
    player().moveLine(3, 0);
    EXPECT_EQ(next(), "Dawn");
    expectInStep();
    // Playback goes on: a restart would have begun again from nothing.
    const double position = engine().position();
    ASSERT_TRUE(eventually([&] { return engine().position() > position + 0.3; }));
    EXPECT_EQ(started.size(), 1);

    nearTheEnd();
    ASSERT_TRUE(playing(1));
    EXPECT_EQ(current(), "Dawn");
    player().moveLine(2, 3); // the entry after the current one moves away: another comes next
    EXPECT_EQ(next(), "Rock & Roll #1");
    expectInStep();
    player().next();
    ASSERT_TRUE(playing(2));
    EXPECT_EQ(current(), "Rock & Roll #1");
}

// Entries asked for one after another quicker than libmpv starts them: the last one asked for is
// current, and stays current, also when playback stops before it starts.
TEST_F(Player, QuickStepsEndOnTheLastAskedFor) {
    QStringList currents;
    QObject::connect(&player(), &MediaPlayer::currentItemChanged, app.get(),
                     [&](const std::shared_ptr<MediaItem>& item) { currents << title(item); });
    player().jumpTo(2);
    player().jumpTo(1);
    player().jumpTo(3);
    player().stop();
    letThePlayerCatchUp();
    EXPECT_EQ(currents, (QStringList{"Dusk", "Noon", "Rock & Roll #1"}));
    player().jumpTo(1);
    player().jumpTo(0);
    ASSERT_TRUE(playing(0));
    ASSERT_TRUE(eventually([&] { return engine().position() > 0.3; }));
    EXPECT_EQ(currents.mid(3), (QStringList{"Noon", "Dawn"}));
}

// Repeat One plays the same entry again; repeat All goes from the last entry to the first, where
// without it the player stops on the first (the transport table).
TEST_F(Player, RepeatOneReplaysAndRepeatAllWraps) {
    QSignalSpy ended(&engine(), &MpvPlayer::entryEnded);
    player().setRepeat(RepeatMode::One);
    player().jumpTo(3);
    ASSERT_TRUE(playing(3));
    nearTheEnd();
    ASSERT_TRUE(eventually([&] { return engine().position() > 0.1 && engine().position() < 1; },
                           PlaybackWait));
    EXPECT_EQ(engine().playlistPos(), 3);
    EXPECT_TRUE(ended.isEmpty());

    player().setRepeat(RepeatMode::All);
    EXPECT_EQ(next(), "Dawn");
    EXPECT_TRUE(player().canGoNext());
    expectInStep();
    nearTheEnd();
    ASSERT_TRUE(playing(0));
    EXPECT_EQ(current(), "Dawn");
    EXPECT_TRUE(player().canGoPrevious());
}

// Shuffled, libmpv moves on by itself to the entry the player drew; Next plays every entry once
// before the round is over, and Previous goes back the way it came.
TEST_F(Player, ShuffledEveryEntryPlaysOncePerRound) {
    player().setShuffled(true);
    player().jumpTo(0);
    ASSERT_TRUE(playing(0));
    const QString drawn = next();
    ASSERT_FALSE(drawn.isEmpty());
    expectInStep();
    nearTheEnd();
    ASSERT_TRUE(eventually([&] { return current() == drawn; }, PlaybackWait));
    QStringList played{"Dawn", drawn};
    while (player().canGoNext()) {
        player().next();
        played << current();
        expectInStep();
    }
    played.removeDuplicates();
    EXPECT_EQ(played.size(), 4);
    player().previous();
    EXPECT_EQ(current(), played.value(2));
    player().setRepeat(RepeatMode::All);
    EXPECT_EQ(next(), played.value(3));
    player().next();
    EXPECT_TRUE(player().canGoNext()); // a new round
    player().setShuffled(false);
    EXPECT_EQ(player().nextItem(), player().playlist().item((player().currentIndex() + 1) % 4));
    expectInStep();
}

TEST_F(Player, AStreamThatCannotBePlayedIsSkippedWithANote) {
    server->setFault(SonaricTestServer::Fault::NotFound, "stream", 0, 1);
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    player().jumpTo(0);
    ASSERT_TRUE(!started.isEmpty() || started.wait(PlaybackWait));
    EXPECT_EQ(engine().playlistPos(), 1);
    EXPECT_EQ(status(), "Could not play \"Dawn\"");
    EXPECT_EQ(current(), "Noon");
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(Player, ADroppedConnectionResumesWhereItStopped) {
    server->clearRequests();
    server->setFault(SonaricTestServer::Fault::CloseMidReply, "stream", 0, 1);
    QSignalSpy ended(&engine(), &MpvPlayer::entryEnded);
    double furthest = 0;
    QObject::connect(&engine(), &MpvPlayer::positionChanged, app.get(),
                     [&](double s) { furthest = std::max(furthest, s); });
    player().jumpTo(3);
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(ended.first().at(1).value<MpvPlayer::EndReason>(), MpvPlayer::EndReason::Finished);
    // The tone lasts 4 s; without the resume it would end at the 2 s where the connection broke.
    EXPECT_GT(furthest, 3.0);
    EXPECT_GE(server.requestsOf("stream").size(), 2u);
}

} // namespace
