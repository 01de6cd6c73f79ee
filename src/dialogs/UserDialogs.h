#pragma once

#include <QString>

#include <functional>

class QWidget;
class SessionSettings;

// Every message box and dialog the main window opens goes through here, so that tests can answer
// them without a person at the screen. Boxes and the settings dialog are modal to their window
// but never wait: each call returns at once, and what follows an answer is given to run then, so
// no box runs an event loop of its own inside whatever raised it.
class UserDialogs {
public:
    enum class Icon { None, Question };
    enum class FileAction { Save, Open };

    virtual ~UserDialogs() = default;

    virtual void critical(QWidget* parent, const QString& title, const QString& text) = 0;
    // OK only, no icon.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    // `yes` runs once the user has answered Yes; nothing runs for No.
    virtual void askYesNo(QWidget* parent, const QString& title, const QString& text, Icon icon,
                          std::function<void()> yes) = 0;
    // The settings dialog, which changes these settings.
    virtual void showSettings(QWidget* parent, SessionSettings& settings) = 0;
    // The same, at the first start, before the program has anything else to do: returns once the
    // dialog has closed.
    virtual void askFirstSettings(QWidget* parent, SessionSettings& settings) = 0;
    // Modeless: returns at once.
    virtual void showAbout(QWidget* parent) = 0;
    // The platform's file dialog for a playlist to save or open; `chosen` runs with the file's
    // path once the user has chosen one, nothing runs when the dialog is cancelled.
    virtual void choosePlaylistFile(QWidget* parent, FileAction action,
                                    std::function<void(const QString& path)> chosen) = 0;
    // Ends the program at once; nothing is saved.
    virtual void quit() = 0;
};
