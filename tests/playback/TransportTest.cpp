#include "ClientFixture.h"

#include <QToolButton>

#include <array>
#include <optional>

namespace {

enum class Via { Window, Mpris };
// The window's buttons everywhere, and the desktop's media controls where there is a bus.
#ifdef SONARIC_DESKTOP_BUS
const Via Ways[] = {Via::Window, Via::Mpris};
#else
const Via Ways[] = {Via::Window};
#endif
enum class Act { Play, Pause, Stop, Next, Previous, PlayToEnd, Delete0, Delete1, Delete2, Clear };

struct Step {
    Act act;
    // The state to wait for before the next step; none when the step should change nothing.
    std::optional<PlaybackState> settles;
};

struct TransportCase {
    const char* name;
    int start; // the entry double-clicked first
    std::vector<Step> steps;
    PlaybackState state;
    int current; // the player's current entry afterwards, -1 for none
    QString title;
    int lines = 3;
};

void PrintTo(const TransportCase& c, std::ostream* out) {
    *out << c.name;
}

// MPRIS's name of each state, in the enumeration's order.
const char* statusText(PlaybackState state) {
    return std::array{"Stopped", "Paused", "Playing"}[static_cast<int>(state)];
}

using enum PlaybackState;
// Songs 1, 2 and 3 of the demo catalogue: "Dawn", "Noon" and "Dusk".
using enum Act;
const TransportCase Cases[] = {
    {"StopThenNext", 0, {{Stop, Stopped}, {Next, Playing}}, Playing, 1, "Noon"},
    {"StopThenPrevious", 1, {{Stop, Stopped}, {Previous, Playing}}, Playing, 0, "Dawn"},
    {"NextOnTheLast", 2, {{Next, {}}}, Playing, 2, "Dusk"},
    {"PreviousOnTheFirst", 0, {{Previous, {}}}, Playing, 0, "Dawn"},
    {"NextWhilePaused", 0, {{Pause, Paused}, {Next, Playing}}, Playing, 1, "Noon"},
    {"PreviousWhilePaused", 2, {{Pause, Paused}, {Previous, Playing}}, Playing, 1, "Noon"},
    {"PauseThenPlay", 1, {{Pause, Paused}, {Play, Playing}}, Playing, 1, "Noon"},
    {"EndOfTheListStopsOnTheFirst", 2, {{PlayToEnd, Stopped}}, Stopped, 0, "Dawn"},
    {"EndOfTheListThenPlay", 2, {{PlayToEnd, Stopped}, {Play, Playing}}, Playing, 0, "Dawn"},
    {"StopThenPlayResumesTheCurrent", 1, {{Stop, Stopped}, {Play, Playing}}, Playing, 1, "Noon"},
    {"DeleteThePlayingEntry", 1, {{Delete1, Playing}}, Playing, 1, "Dusk", 2},
    {"DeleteThePlayingLastEntry", 2, {{Delete2, Stopped}}, Stopped, 0, "Dawn", 2},
    {"DeleteAnotherEntry", 1, {{Delete0, {}}}, Playing, 0, "Noon", 2},
    {"DeleteWhileStopped", 0, {{Stop, Stopped}, {Delete0, {}}}, Stopped, 0, "Noon", 2},
    {"ClearThePlaylist", 0, {{Clear, Stopped}}, Stopped, -1, "", 0},
};

class Transport : public ClientFixture,
                  public ::testing::WithParamInterface<std::tuple<Via, TransportCase>> {
protected:
    Via via() const { return std::get<0>(GetParam()); }
    const TransportCase& testCase() const { return std::get<1>(GetParam()); }
#ifdef SONARIC_DESKTOP_BUS
    PrivateBus bus;
    std::unique_ptr<MprisClient> mpris;
#endif

    void SetUp() override {
#ifdef SONARIC_DESKTOP_BUS
        mpris = makeWindowOnBus(bus);
#else
        openWindow();
#endif
        window->show();
        for (std::int64_t id : {1, 2, 3})
            addSong(id);
        ASSERT_EQ(app->player().count(), 3);
    }

    // A transport command through the window's button or the desktop's media controls.
    void perform(Act act) {
        const char* buttons[] = {"playerPlayPause", "playerPlayPause", "playerStop", "playerNext",
                                 "playerPrevious"};
        const char* methods[] = {"Play", "Pause", "Stop", "Next", "Previous"};
        if (act <= Previous) {
            const char *button = buttons[static_cast<int>(act)],
                       *method = methods[static_cast<int>(act)];
            if (via() == Via::Window)
                return control<QToolButton>(button)->click();
#ifdef SONARIC_DESKTOP_BUS
            mpris->call(method);
#else
            ADD_FAILURE() << method << ": no desktop bus on this system";
#endif
        } else if (act == PlayToEnd) {
            ASSERT_TRUE(eventually([&] { return player().canSeek() && player().duration() > 1; }));
            player().seek(player().duration() - 0.3);
        } else if (act == Clear) {
            app->player().clear();
        } else {
            app->player().deleteLine(static_cast<int>(act) - static_cast<int>(Delete0));
        }
    }
};

TEST_P(Transport, FollowsOneRuleSet) {
    const TransportCase& c = testCase();
    app->player().jumpTo(c.start);
    ASSERT_TRUE(eventually([&] { return player().playbackState() == Playing; }));
    ASSERT_TRUE(eventually([&] { return engine().position() > 0.1; }));
    for (const Step& step : c.steps) {
        const double before = engine().position();
        perform(step.act);
        if (step.settles) {
            ASSERT_TRUE(eventually([&] { return player().playbackState() == *step.settles; }))
                << "still " << statusText(player().playbackState());
        } else {
            // Nothing was to change: playback goes on from where it was, or stays as it was.
            if (c.state == Playing) {
                EXPECT_TRUE(eventually([&] { return engine().position() > before + 0.3; }));
            } else {
                letThePlayerCatchUp();
            }
            EXPECT_EQ(player().playbackState(), c.state);
        }
    }

    EXPECT_EQ(player().playbackState(), c.state);
    EXPECT_EQ(player().currentIndex(), c.current);
    EXPECT_EQ(app->player().count(), c.lines);
    EXPECT_EQ(nowPlaying().value(0), c.title);
    if (c.state == Playing) {
        // What plays is the current entry, and it is moving.
        ASSERT_TRUE(eventually([&] { return engine().playlistPos() == c.current; }));
        const double at = engine().position();
        EXPECT_TRUE(eventually([&] { return engine().position() > at + 0.2; }, 3000));
    } else if (c.state == Stopped) {
        EXPECT_TRUE(engine().isIdle());
    }

    // The window, the bus and the bus's signals all say the same.
    EXPECT_EQ(control<QToolButton>("playerPlayPause")->accessibleName(),
              c.state == Playing ? "Pause" : "Play");
#ifdef SONARIC_DESKTOP_BUS
    EXPECT_EQ(mpris->property("PlaybackStatus").toString(), statusText(c.state));
    EXPECT_TRUE(eventually(
        [&] { return mpris->lastAnnounced("PlaybackStatus").toString() == statusText(c.state); }));
    EXPECT_EQ(mpris->metadata().value("xesam:title").toString(), c.title);
    EXPECT_TRUE(eventually([&] {
        return mpris->lastAnnounced("Metadata").toMap().value("xesam:title").toString() == c.title;
    }));
    EXPECT_EQ(mpris->property("CanGoNext").toBool(), c.current >= 0 && c.current + 1 < c.lines);
    EXPECT_EQ(mpris->property("CanGoPrevious").toBool(), c.current > 0);
    EXPECT_EQ(mpris->property("CanPlay").toBool(), c.lines > 0);
#endif
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Via, TransportCase>>& info) {
    return std::string(std::get<0>(info.param) == Via::Window ? "Buttons_" : "Mpris_") +
           std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Transport,
                         ::testing::Combine(::testing::ValuesIn(Ways), ::testing::ValuesIn(Cases)),
                         caseName);

} // namespace
