// Windows' media keys and the taskbar thumbnail's buttons, under Wine on Windows' own platform:
// the messages the system would send drive the real player.
#include "WindowsMediaControls.h"
#include "AppFixture.h"

#include <QGuiApplication>
#include <QWidget>

#include <windows.h>

#include <shobjidl.h>

#include <iostream>

namespace {

using Command = WindowsMediaControls::Command;

class MediaControls : public AppFixture {
protected:
    void SetUp() override {
        openLibrary();
        addSong(1);
        addSong(2);
    }
    bool becomes(PlaybackState state, int current) {
        return eventually(
            [&] { return player().playbackState() == state && player().currentIndex() == current; },
            8000);
    }
};

// Each key the system gave is one a second holder cannot have: it falls back without a word. A
// hot key's message plays, pauses, steps and stops.
TEST_F(MediaControls, HotKeysDriveThePlayerWithoutTheFocus) {
    WindowsMediaControls controls(player());
    const QList<Command> first = controls.registeredKeys();
    std::cout << "hot keys registered: " << first.size() << " of 4\n";
    {
        WindowsMediaControls second(player());
        for (Command command : second.registeredKeys())
            EXPECT_FALSE(first.contains(command)) << static_cast<int>(command);
    }
    const HWND keys = reinterpret_cast<HWND>(controls.hotKeyWindow());
    ASSERT_NE(keys, nullptr);
    auto press = [&](Command command) {
        PostMessageW(keys, WM_HOTKEY, WindowsMediaControls::commandId(command), 0);
    };
    press(Command::PlayPause);
    EXPECT_TRUE(becomes(PlaybackState::Playing, 0));
    press(Command::Next);
    EXPECT_TRUE(becomes(PlaybackState::Playing, 1));
    press(Command::Previous);
    EXPECT_TRUE(becomes(PlaybackState::Playing, 0));
    press(Command::PlayPause);
    EXPECT_TRUE(becomes(PlaybackState::Paused, 0));
    press(Command::Stop);
    EXPECT_TRUE(becomes(PlaybackState::Stopped, 0));
}

// The buttons show what the player can do and whether it plays; their clicks, as the taskbar
// sends them to the window, drive it.
TEST_F(MediaControls, ThumbnailButtonsShowAndDriveThePlayer) {
    ASSERT_EQ(QGuiApplication::platformName(), "windows");
    QWidget window;
    window.show();
    WindowsMediaControls controls(player());
    controls.attach(window.winId());
    std::cout << "thumbnail buttons taken by the taskbar: " << controls.hasThumbnailButtons()
              << "\n";
    auto shown = [&] {
        QStringList out;
        for (const WindowsMediaControls::Button& b : controls.thumbnailButtons())
            out << b.tip + (b.enabled ? "" : " (disabled)");
        return out;
    };
    EXPECT_EQ(shown(), (QStringList{"Previous (disabled)", "Play", "Next (disabled)"}));
    auto click = [&](Command command) {
        SendMessageW(reinterpret_cast<HWND>(window.winId()), WM_COMMAND,
                     MAKEWPARAM(WindowsMediaControls::commandId(command), THBN_CLICKED), 0);
    };
    click(Command::PlayPause);
    EXPECT_TRUE(becomes(PlaybackState::Playing, 0));
    EXPECT_EQ(shown(), (QStringList{"Previous (disabled)", "Pause", "Next"}));
    click(Command::Next);
    EXPECT_TRUE(becomes(PlaybackState::Playing, 1));
    EXPECT_EQ(shown(), (QStringList{"Previous", "Pause", "Next (disabled)"}));
    click(Command::Previous);
    EXPECT_TRUE(becomes(PlaybackState::Playing, 0));
    click(Command::PlayPause);
    EXPECT_TRUE(becomes(PlaybackState::Paused, 0));
    EXPECT_EQ(shown().value(1), "Play");
}

} // namespace
