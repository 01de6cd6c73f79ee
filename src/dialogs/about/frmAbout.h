#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class Registry;
class SystemInfo;
class UserDialogs;

// The About window: name, version, credits and terms, and the system information tool.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(UserDialogs& dialogs, QWidget* parent = nullptr);
    ~frmAbout() override;

    // For tests: another registry and program starter than the system's.
    void setSystemInfo(std::unique_ptr<SystemInfo> systemInfo);

private:
    void Form_Load();
    void cmdSysInfo_Click();

    UserDialogs& m_dialogs;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<SystemInfo> m_systemInfo;
    QLabel* m_icon = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_disclaimer = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_sysInfo = nullptr;
};
