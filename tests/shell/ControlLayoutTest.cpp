#include "ControlLayout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(ControlLayout, FollowsTheOuterSize) {
    ControlLayout l;
    l.resizeControls(10005, 7125, WindowState::Normal);
    for (const TwipRect* half : {&l.nowPlaying, &l.player, &l.playlist, &l.tree, &l.searchFrame})
        EXPECT_FLOAT_EQ(half->width, 4502.5f);
    EXPECT_FLOAT_EQ(l.tabs.width, 9505);
    EXPECT_FLOAT_EQ(l.tabs.height, 3590);
    EXPECT_FLOAT_EQ(l.searchText.width, 4262.5f);
    EXPECT_FLOAT_EQ(l.searchButton.left, 2927.5f);
    for (const TwipRect& list : l.songs)
        EXPECT_EQ(std::tuple(list.left, list.top, list.width, list.height),
                  std::tuple(5002.5f, 480.f, 4252.5f, 2860.f));
    EXPECT_FLOAT_EQ(l.tree.height, 2860);
    EXPECT_FLOAT_EQ(l.playlist.left, 5252.5f);
    EXPECT_FLOAT_EQ(l.deleteItem.left, 5252.5f);
    EXPECT_FLOAT_EQ(l.clearPlaylist.left, 8090);
    // What the routine never touches keeps its design value.
    EXPECT_FLOAT_EQ(l.nowPlaying.left, 250);
    EXPECT_FLOAT_EQ(l.tabs.top, 2160);
    EXPECT_FLOAT_EQ(l.playlist.height, 1020);
    EXPECT_FLOAT_EQ(l.searchFrame.height, 1335);
}

TEST(ControlLayout, MinimizedKeepsTheLastLayoutAndRestoreLaysOutAgain) {
    ControlLayout l;
    l.resizeControls(10005, 7125, WindowState::Normal);
    l.resizeControls(200, 200, WindowState::Minimized);
    EXPECT_FLOAT_EQ(l.tabs.width, 9505);
    l.resizeControls(20005, 9125, WindowState::Maximized);
    EXPECT_FLOAT_EQ(l.tabs.width, 19505);
    EXPECT_FLOAT_EQ(l.tabs.height, 5590);
}

TEST(ControlLayout, TheMinimumSizeKeepsEverySizePositive) {
    ControlLayout l;
    l.resizeControls(ControlLayout::MinimumOuterWidth, ControlLayout::MinimumOuterHeight,
                     WindowState::Normal);
    for (const TwipRect* r : {&l.nowPlaying, &l.player, &l.playlist, &l.tabs, &l.tree, &l.songs[0],
                              &l.songs[1], &l.searchFrame, &l.searchText}) {
        EXPECT_GT(r->width, 0);
        EXPECT_GT(r->height, 0);
    }
    EXPECT_GT(l.searchButton.left, 0);
}

} // namespace
