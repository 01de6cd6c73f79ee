// The play order on its own, without an engine: a playlist model's entries, stepped through as
// the player steps through them.
#include "PlayOrder.h"
#include "PlaylistModel.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class Order : public ::testing::Test {
protected:
    PlaylistModel list;
    std::shared_ptr<MediaItem> current;

    void fill(int count) {
        for (int i = 0; i < count; ++i)
            list.append(std::make_shared<MediaItem>(
                Track{i, {}, {}, {}, *StreamAddress::from("http://host/" + QString::number(i))},
                std::uint64_t(i)));
    }
    int row(const std::shared_ptr<MediaItem>& item) const { return list.indexOf(item); }
    // Plays the entry at `at`, as the player does when it becomes current.
    void play(PlayOrder& order, int at) {
        current = list.item(at);
        order.enter(current);
    }
    // Next, as the player does it: -1 when the order ends there.
    int next(PlayOrder& order) {
        const std::shared_ptr<MediaItem> after = order.after(list, current);
        if (after)
            play(order, row(after));
        return row(after);
    }
    int previous(PlayOrder& order) {
        const std::shared_ptr<MediaItem> before = order.before(list, current);
        if (before)
            play(order, row(before));
        return row(before);
    }
};

TEST_F(Order, InOrderStepsToTheNeighboursAndRepeatWrapsAtTheEnds) {
    fill(3);
    PlayOrder order;
    play(order, 1);
    EXPECT_EQ(next(order), 2);
    EXPECT_EQ(next(order), -1);
    EXPECT_EQ(previous(order), 1);
    EXPECT_EQ(previous(order), 0);
    EXPECT_EQ(previous(order), -1);
    for (RepeatMode repeat : {RepeatMode::All, RepeatMode::One}) {
        order.setRepeat(repeat);
        EXPECT_EQ(previous(order), 2);
        EXPECT_EQ(next(order), 0);
    }
    list.move(0, 2); // the current entry moves; its neighbours are the new ones
    EXPECT_EQ(row(current), 2);
    order.setRepeat(RepeatMode::Off);
    EXPECT_EQ(order.after(list, current), nullptr);
    EXPECT_EQ(row(order.before(list, current)), 1);
}

// Every entry once per round, in an order that differs from run to run; without repeat the order
// ends with the round, with repeat a new round follows that does not start with the last entry.
TEST_F(Order, ShufflePlaysEveryEntryOncePerRound) {
    fill(7);
    std::set<std::vector<int>> orders;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        PlayOrder order(seed);
        order.setShuffled(true);
        play(order, 3);
        std::vector<int> played{3};
        for (int step = 0; step < 6; ++step)
            played.push_back(next(order));
        EXPECT_EQ(std::set<int>(played.begin(), played.end()).size(), 7u) << seed;
        EXPECT_EQ(order.after(list, current), nullptr) << seed;
        orders.insert(played);

        order.setRepeat(RepeatMode::All);
        std::vector<int> second;
        for (int step = 0; step < 7; ++step)
            second.push_back(next(order));
        EXPECT_NE(second.front(), played.back()) << seed;
        EXPECT_EQ(std::set<int>(second.begin(), second.end()).size(), 7u) << seed;
    }
    EXPECT_GT(orders.size(), 10u);
}

// Previous walks back through what has played and Next forward again over the same steps; a
// jump elsewhere starts a new path. What the draw picked stays picked until it plays.
TEST_F(Order, ShuffledPreviousWalksBackThroughWhatPlayed) {
    fill(6);
    PlayOrder order(7);
    order.setShuffled(true);
    play(order, 0);
    const int drawn = row(order.after(list, current));
    EXPECT_EQ(row(order.after(list, current)), drawn);
    const int a = next(order), b = next(order), c = next(order);
    EXPECT_EQ(a, drawn);
    EXPECT_EQ(previous(order), b);
    EXPECT_EQ(previous(order), a);
    EXPECT_EQ(previous(order), 0);
    EXPECT_EQ(previous(order), -1);
    EXPECT_EQ(next(order), a);
    EXPECT_EQ(next(order), b);
    EXPECT_EQ(next(order), c);
    const int d = next(order);
    EXPECT_EQ(std::set<int>({0, a, b, c, d}).size(), 5u);

    // A removed entry leaves the path; the rest of the round is still drawn from the others.
    list.remove(row(list.item(c)));
    order.forget(list.item(c)); // no longer listed: nothing happens
    const std::shared_ptr<MediaItem> gone = list.item(row(order.before(list, current)));
    order.forget(gone);
    list.remove(row(gone));
    EXPECT_NE(order.before(list, current), gone);
    const int last = next(order);
    EXPECT_NE(last, -1);
    EXPECT_EQ(next(order), -1);
}

} // namespace
