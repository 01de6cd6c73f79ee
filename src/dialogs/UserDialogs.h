#pragma once

#include <QString>

class QWidget;
class SessionSettings;

// Every message box and dialog the main window opens goes through here, so that tests can answer
// them without a person at the screen.
class UserDialogs {
public:
    enum class Icon { None, Question };

    virtual ~UserDialogs() = default;

    virtual void critical(QWidget* parent, const QString& title, const QString& text) = 0;
    // OK only, no icon.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text,
                          Icon icon) = 0;
    // Modal: returns when the settings dialog, which changes these settings, has closed.
    virtual void showSettings(QWidget* parent, SessionSettings& settings) = 0;
    // Modeless: returns at once.
    virtual void showAbout(QWidget* parent) = 0;
    // Ends the program at once; nothing is saved.
    virtual void quit() = 0;
};
