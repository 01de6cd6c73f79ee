#pragma once

#include "UserDialogs.h"

#include <QStringList>

#include <functional>

// Answers the main window's dialogs the way a test tells it to, and records what was shown.
class ScriptedDialogs : public UserDialogs {
public:
    struct Shown {
        QString kind; // "critical", "question", "yesno", "settings", "about", "save", "open"
        QString title;
        QString text;
        bool busyPointer = false; // the busy pointer was still set when it was shown
    };

    bool answerYes = false;
    std::function<void(QWidget* parent, SessionSettings& settings)> onSettings;
    std::vector<Shown> shown;
    int quitCount = 0;
    QString fileToChoose; // none: the file dialog is cancelled

    void critical(QWidget* parent, const QString& title, const QString& text) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void askYesNo(QWidget* parent, const QString& title, const QString& text, Icon icon,
                  std::function<void()> yes) override;
    void showSettings(QWidget* parent, SessionSettings& settings) override;
    void askFirstSettings(QWidget* parent, SessionSettings& settings) override {
        showSettings(parent, settings);
    }
    void showAbout(QWidget* parent) override;
    void choosePlaylistFile(QWidget* parent, FileAction action,
                            std::function<void(const QString& path)> chosen) override;
    void quit() override;

    QStringList texts(const QString& kind) const;
};
