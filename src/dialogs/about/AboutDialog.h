#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class Registry;
class SystemInfo;
class UserDialogs;

// The About window: name, version, credits and terms, and the system information tool.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(UserDialogs& dialogs, QWidget* parent = nullptr);
    ~AboutDialog() override;

    // For tests: another registry and program starter than the system's.
    void setSystemInfo(std::unique_ptr<SystemInfo> systemInfo);

private:
    void load();
    void startSystemInfo();

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
