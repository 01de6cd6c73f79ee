#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <QString>
#include <QWindow>

#include <array>
#include <memory>

#include <windows.h>

class MediaPlayer;

// Windows' media keys and the taskbar thumbnail's buttons, driving the player wherever the
// focus is. The keys are taken as the system's hot keys, each as far as no other program holds
// it already (that program keeps it; the window's own keys still work while it has the focus).
// The thumbnail shows Previous, Play or Pause, and Next, each enabled as the player can do it.
class WindowsMediaControls : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    enum class Command { PlayPause, Stop, Next, Previous };
    // A thumbnail button as it is shown.
    struct Button {
        QString tip;
        bool enabled = false;
    };

    explicit WindowsMediaControls(MediaPlayer& player, QObject* parent = nullptr);
    ~WindowsMediaControls() override;

    // The id a hot key and a thumbnail button of this command carry in their messages.
    static int commandId(Command command) { return static_cast<int>(command) + 1; }
    // The keys the system gave us.
    QList<Command> registeredKeys() const;
    // The hidden window that receives the keys.
    WId hotKeyWindow() const;
    // The buttons go on this top-level window's taskbar button, now or once the taskbar has made
    // it; its clicks come to the window.
    void attach(WId window);
    // Whether the taskbar took the buttons.
    bool hasThumbnailButtons() const { return m_buttonsAdded; }
    std::array<Button, 3> thumbnailButtons() const;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Native;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
    void detach();
    void run(Command command);
    void addButtons();
    void updateButtons();

    MediaPlayer& m_player;
    std::unique_ptr<Native> m_native;
    WId m_window = 0;
    bool m_buttonsAdded = false;
};
