// Reordering, repeat and shuffle with libmpv playing the test server's tones (4 s each): what
// plays next by itself is what the player says comes next.
#include "AppFixture.h"

namespace {

constexpr int PlaybackWait = 8000;

class PlayerOrder : public AppFixture {
protected:
    void SetUp() override {
        openLibrary();
        for (std::int64_t id : {1, 2, 3, 4})
            addSong(id); // Dawn, Noon, Dusk, Rock & Roll #1
    }

    QString current() { return PlaylistModel::title(*player().currentItem()); }
    QString next() {
        const std::shared_ptr<MediaItem> item = player().nextItem();
        return item ? PlaylistModel::title(*item) : QString();
    }
    bool playing(int index) {
        return eventually(
            [&] {
                return engine().playlistPos() == index &&
                       player().playbackState() == PlaybackState::Playing &&
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

// The current entry stays current and playing wherever it moves; Next, and libmpv when the entry
// ends, follow the new order.
TEST_F(PlayerOrder, MovingTheCurrentEntryKeepsItPlayingAndChangesWhatComesNext) {
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    app->player().jumpTo(1);
    ASSERT_TRUE(playing(1));
    EXPECT_EQ(next(), "Dusk");
    player().moveLine(1, 3);
    EXPECT_EQ(player().playlist().titles(),
              (QStringList{"Dawn", "Dusk", "Rock & Roll #1", "Noon"}));
    EXPECT_EQ(current(), "Noon");
    EXPECT_EQ(engine().playlistPos(), 3);
    EXPECT_FALSE(player().canGoNext());
    EXPECT_TRUE(player().canGoPrevious());
    player().moveLine(3, 0);
    EXPECT_EQ(next(), "Dawn");
    expectInStep();
    // Playback goes on: a restart would have begun again from nothing.
    const double position = engine().position();
    ASSERT_TRUE(eventually([&] { return engine().position() > position + 0.3; }));
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(player().playbackState(), PlaybackState::Playing);

    nearTheEnd();
    ASSERT_TRUE(playing(1));
    EXPECT_EQ(current(), "Dawn");
    EXPECT_EQ(next(), "Dusk");
    player().moveLine(2, 3); // the entry after the current one moves away: another comes next
    EXPECT_EQ(next(), "Rock & Roll #1");
    expectInStep();
    player().next();
    ASSERT_TRUE(playing(2));
    EXPECT_EQ(current(), "Rock & Roll #1");
}

// Entries asked for one after another quicker than libmpv starts them: the last one asked for is
// current, and stays current, also when playback stops before it starts.
TEST_F(PlayerOrder, QuickStepsEndOnTheLastAskedFor) {
    QStringList currents;
    QObject::connect(&player(), &MediaPlayer::currentItemChanged, app.get(),
                     [&](const std::shared_ptr<MediaItem>& item) {
                         currents << (item ? PlaylistModel::title(*item) : QString());
                     });
    app->player().jumpTo(2);
    app->player().jumpTo(1);
    app->player().jumpTo(3);
    player().stop();
    letThePlayerCatchUp();
    EXPECT_EQ(currents, (QStringList{"Dusk", "Noon", "Rock & Roll #1"}));
    app->player().jumpTo(1);
    app->player().jumpTo(0);
    ASSERT_TRUE(playing(0));
    ASSERT_TRUE(eventually([&] { return engine().position() > 0.3; }));
    EXPECT_EQ(currents.mid(3), (QStringList{"Noon", "Dawn"}));
}

// Repeat One plays the same entry again; repeat All goes from the last entry to the first, where
// without it the player stops on the first.
TEST_F(PlayerOrder, RepeatOneReplaysAndRepeatAllWraps) {
    QSignalSpy ended(&engine(), &MpvPlayer::entryEnded);
    player().setRepeat(RepeatMode::One);
    app->player().jumpTo(3);
    ASSERT_TRUE(playing(3));
    nearTheEnd();
    ASSERT_TRUE(eventually([&] { return engine().position() > 0.1 && engine().position() < 1; },
                           PlaybackWait));
    EXPECT_EQ(engine().playlistPos(), 3);
    EXPECT_TRUE(ended.isEmpty());

    player().setRepeat(RepeatMode::All);
    EXPECT_EQ(next(), "Dawn");
    expectInStep();
    nearTheEnd();
    ASSERT_TRUE(playing(0));
    EXPECT_EQ(current(), "Dawn");

    player().setRepeat(RepeatMode::Off);
    app->player().jumpTo(3);
    ASSERT_TRUE(playing(3));
    EXPECT_FALSE(player().canGoNext());
    nearTheEnd();
    ASSERT_TRUE(eventually([&] { return player().playbackState() == PlaybackState::Stopped; },
                           PlaybackWait));
    EXPECT_EQ(current(), "Dawn");
}

// Shuffled, libmpv moves on by itself to the entry the player drew; Next plays every entry once
// before the round is over, and Previous goes back the way it came.
TEST_F(PlayerOrder, ShuffledEveryEntryPlaysOncePerRound) {
    player().setShuffled(true);
    app->player().jumpTo(0);
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
    EXPECT_EQ(played.size(), 4);
    played.removeDuplicates();
    EXPECT_EQ(played.size(), 4);
    player().previous();
    EXPECT_EQ(current(), played.value(2));
    player().setRepeat(RepeatMode::All);
    EXPECT_EQ(next(), played.value(3));
    player().next();
    EXPECT_TRUE(player().canGoNext()); // a new round
    player().setShuffled(false);
    EXPECT_EQ(player().canGoNext(), true);
    EXPECT_EQ(player().nextItem(), player().playlist().item((player().currentIndex() + 1) % 4));
    expectInStep();
}

} // namespace
