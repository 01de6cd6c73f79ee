#pragma once

#include "UserDialogs.h"

#include <QPointer>

class AboutDialog;

// The real message boxes and dialogs.
class QtUserDialogs : public UserDialogs {
public:
    void critical(QWidget* parent, const QString& title, const QString& text) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void askYesNo(QWidget* parent, const QString& title, const QString& text, Icon icon,
                  std::function<void()> yes) override;
    void showSettings(QWidget* parent, SessionSettings& settings) override;
    void askFirstSettings(QWidget* parent, SessionSettings& settings) override;
    void showAbout(QWidget* parent) override;
    void choosePlaylistFile(QWidget* parent, FileAction action,
                            std::function<void(const QString& path)> chosen) override;
    void quit() override;

private:
    QPointer<AboutDialog> m_about;
};
