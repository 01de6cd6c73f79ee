#include "WindowsMediaControls.h"

#include "MediaPlayer.h"
#include "TransportIcons.h"

#include <QCoreApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <string>

#include <windows.h>

#include <commctrl.h>
#include <shobjidl.h>
#include <wrl/client.h>

namespace {

using Command = WindowsMediaControls::Command;

struct HotKey {
    UINT key;
    Command command;
};
constexpr HotKey HotKeys[] = {{VK_MEDIA_PLAY_PAUSE, Command::PlayPause},
                              {VK_MEDIA_STOP, Command::Stop},
                              {VK_MEDIA_NEXT_TRACK, Command::Next},
                              {VK_MEDIA_PREV_TRACK, Command::Previous}};
// The thumbnail's buttons, left to right; their ids are their commands.
constexpr Command Buttons[] = {Command::Previous, Command::PlayPause, Command::Next};

int idOf(Command command) {
    return WindowsMediaControls::commandId(command);
}

struct DestroyIcon {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIcon>;

// Light on the taskbar's dark thumbnail.
Icon drawIcon(TransportIcons::Kind kind) {
    QPalette light;
    light.setColor(QPalette::ButtonText, Qt::white);
    const int side = GetSystemMetrics(SM_CXSMICON);
    return Icon(TransportIcons::icon(kind, light).pixmap(side, side).toImage().toHICON());
}

} // namespace

struct WindowsMediaControls::Native {
    HWND hotKeyWindow = nullptr;
    QList<Command> registered;
    UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
    Microsoft::WRL::ComPtr<ITaskbarList3> taskbar;
    bool comStarted = false;
    Icon previous = drawIcon(TransportIcons::Kind::Previous);
    Icon play = drawIcon(TransportIcons::Kind::Play);
    Icon pause = drawIcon(TransportIcons::Kind::Pause);
    Icon next = drawIcon(TransportIcons::Kind::Next);
};

WindowsMediaControls::WindowsMediaControls(MediaPlayer& player, QObject* parent)
    : QObject(parent), m_player(player), m_native(std::make_unique<Native>()) {
    m_native->comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    m_native->hotKeyWindow =
        CreateWindowExW(0, L"STATIC", L"Sonaric media keys", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    for (const HotKey& key : HotKeys)
        if (m_native->hotKeyWindow &&
            RegisterHotKey(m_native->hotKeyWindow, idOf(key.command), MOD_NOREPEAT, key.key))
            m_native->registered << key.command;
    QCoreApplication::instance()->installNativeEventFilter(this);
    connect(&m_player, &MediaPlayer::playbackStateChanged, this,
            &WindowsMediaControls::updateButtons);
    connect(&m_player, &MediaPlayer::transportChanged, this, &WindowsMediaControls::updateButtons);
}

void WindowsMediaControls::detach() {
    if (m_window)
        RemoveWindowSubclass(reinterpret_cast<HWND>(m_window), &WindowsMediaControls::windowProc,
                             1);
    m_window = 0;
}

WindowsMediaControls::~WindowsMediaControls() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    detach();
    if (m_native->hotKeyWindow) {
        for (Command command : m_native->registered)
            UnregisterHotKey(m_native->hotKeyWindow, idOf(command));
        DestroyWindow(m_native->hotKeyWindow);
    }
    m_native->taskbar.Reset();
    if (m_native->comStarted)
        CoUninitialize();
}

QList<WindowsMediaControls::Command> WindowsMediaControls::registeredKeys() const {
    return m_native->registered;
}

WId WindowsMediaControls::hotKeyWindow() const {
    return reinterpret_cast<WId>(m_native->hotKeyWindow);
}

// The window's own procedure sees the taskbar's messages first: Qt passes on to its filters
// only the messages it knows.
LRESULT CALLBACK WindowsMediaControls::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto* controls = reinterpret_cast<WindowsMediaControls*>(self);
    if (message == controls->m_native->taskbarCreated) {
        controls->addButtons();
    } else if (message == WM_COMMAND && HIWORD(wParam) == THBN_CLICKED) {
        for (Command command : Buttons)
            if (LOWORD(wParam) == idOf(command)) {
                controls->run(command);
                return 0;
            }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void WindowsMediaControls::attach(WId window) {
    detach();
    m_window = window;
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!SetWindowSubclass(hwnd, &WindowsMediaControls::windowProc, 1,
                           reinterpret_cast<DWORD_PTR>(this))) {
        m_window = 0;
        return;
    }
    // Also when the program runs with more rights than the taskbar.
    ChangeWindowMessageFilterEx(hwnd, m_native->taskbarCreated, MSGFLT_ALLOW, nullptr);
    ChangeWindowMessageFilterEx(hwnd, WM_COMMAND, MSGFLT_ALLOW, nullptr);
    addButtons();
}

void WindowsMediaControls::addButtons() {
    m_buttonsAdded = false;
    m_native->taskbar.Reset();
    if (!m_window ||
        FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&m_native->taskbar))) ||
        FAILED(m_native->taskbar->HrInit()))
        return;
    THUMBBUTTON buttons[std::size(Buttons)] = {};
    for (std::size_t i = 0; i < std::size(Buttons); ++i) {
        buttons[i].dwMask = THB_FLAGS;
        buttons[i].iId = static_cast<UINT>(idOf(Buttons[i]));
        buttons[i].dwFlags = THBF_DISABLED;
    }
    m_buttonsAdded = SUCCEEDED(m_native->taskbar->ThumbBarAddButtons(
        reinterpret_cast<HWND>(m_window), static_cast<UINT>(std::size(buttons)), buttons));
    updateButtons();
}

std::array<WindowsMediaControls::Button, 3> WindowsMediaControls::thumbnailButtons() const {
    const bool playing = m_player.playbackState() == PlaybackState::Playing;
    return {Button{tr("Previous"), m_player.canGoPrevious()},
            Button{playing ? tr("Pause") : tr("Play"), playing || m_player.canPlay()},
            Button{tr("Next"), m_player.canGoNext()}};
}

void WindowsMediaControls::updateButtons() {
    if (!m_buttonsAdded)
        return;
    const bool playing = m_player.playbackState() == PlaybackState::Playing;
    const HICON icons[] = {m_native->previous.get(),
                           playing ? m_native->pause.get() : m_native->play.get(),
                           m_native->next.get()};
    const std::array<Button, 3> shown = thumbnailButtons();
    THUMBBUTTON buttons[std::size(Buttons)] = {};
    for (std::size_t i = 0; i < std::size(Buttons); ++i) {
        buttons[i].dwMask = THB_ICON | THB_TOOLTIP | THB_FLAGS;
        buttons[i].iId = static_cast<UINT>(idOf(Buttons[i]));
        buttons[i].hIcon = icons[i];
        buttons[i].dwFlags = shown[i].enabled ? THBF_ENABLED : THBF_DISABLED;
        const std::wstring tip = shown[i].tip.toStdWString();
        const std::size_t length = std::min(tip.size(), std::size(buttons[i].szTip) - 1);
        std::copy_n(tip.begin(), length, buttons[i].szTip);
    }
    m_native->taskbar->ThumbBarUpdateButtons(reinterpret_cast<HWND>(m_window),
                                             static_cast<UINT>(std::size(buttons)), buttons);
}

void WindowsMediaControls::run(Command command) {
    switch (command) {
    case Command::PlayPause:
        return m_player.togglePause();
    case Command::Stop:
        return m_player.stop();
    case Command::Next:
        return m_player.next();
    case Command::Previous:
        return m_player.previous();
    }
}

// The hot keys come posted to their window, through the event loop.
bool WindowsMediaControls::nativeEventFilter(const QByteArray&, void* message, qintptr*) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_HOTKEY || msg->hwnd != m_native->hotKeyWindow)
        return false;
    for (const HotKey& key : HotKeys)
        if (msg->wParam == static_cast<WPARAM>(idOf(key.command)))
            run(key.command);
    return true;
}
