#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SessionSettings;
class UserDialogs;

// The settings dialog: connection settings and the two options. Save writes the settings file,
// applies it to the main window and offers a library refresh; Cancel changes nothing.
class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(SessionSettings& mainWindow, UserDialogs& dialogs, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    void save();
    void cancel();
    void placeControls();

    SessionSettings& m_session;
    UserDialogs& m_dialogs;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
    QGroupBox* m_serverFrame = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_username = nullptr;
    QLineEdit* m_servername = nullptr;
    QLabel* m_serverLabel = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLabel* m_usernameLabel = nullptr;
    QGroupBox* m_optionsFrame = nullptr;
    QCheckBox* m_autoRefresh = nullptr;
    QCheckBox* m_autoPlay = nullptr;
    QLabel* m_readProblem = nullptr;
};
