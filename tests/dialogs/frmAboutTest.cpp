#include "frmAbout.h"
#include "ScriptedDialogs.h"
#include "SystemInfo.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

// A registry holding exactly the values a test puts in it.
class FakeRegistry : public Registry {
public:
    std::map<QString, Value> values; // "key|value name"

    void put(const QString& key, const QString& name, QByteArray data, std::uint32_t type = 1) {
        values[key + "|" + name] = {type, data, static_cast<std::uint32_t>(data.size())};
    }
    std::optional<Value> read(std::uint32_t root, const QString& key,
                              const QString& name) const override {
        EXPECT_EQ(root, LocalMachine);
        const auto found = values.find(key + "|" + name);
        return found == values.end() ? std::nullopt : std::optional<Value>(found->second);
    }
};

const QString toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QString folderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct Launch {
    FakeRegistry registry;
    QStringList existing;
    QStringList started;
    bool startWorks = true;

    bool run() {
        SystemInfo info(
            registry, [this](const QString& p) { return existing.contains(p); },
            [this](const QString& p) {
                started << p;
                return startWorks;
            });
        return info.StartSysInfo();
    }
};

TEST(SystemInfo, TheToolsOwnPathWinsWithoutAnExistenceCheck) {
    Launch l;
    l.registry.put(toolKey, "PATH", QByteArray("C:\\Tools\\msinfo.exe\0", 20));
    l.registry.put(folderKey, "MSINFO", "C:\\Other");
    EXPECT_TRUE(l.run());
    EXPECT_EQ(l.started, QStringList{"C:\\Tools\\msinfo.exe"});
}

TEST(SystemInfo, TheFolderNeedsTheFileInIt) {
    Launch l;
    l.registry.put(folderKey, "MSINFO", QByteArray("C:\\Info\0", 8));
    EXPECT_FALSE(l.run());
    EXPECT_TRUE(l.started.isEmpty());
    l.existing << "C:\\Info\\MSINFO32.EXE";
    EXPECT_TRUE(l.run());
    EXPECT_EQ(l.started, QStringList{"C:\\Info\\MSINFO32.EXE"});
}

TEST(SystemInfo, NothingFoundOrAFailedStartIsUnavailable) {
    Launch none;
    EXPECT_FALSE(none.run());
    Launch failing;
    failing.registry.put(toolKey, "PATH", "C:\\missing.exe");
    failing.startWorks = false;
    EXPECT_FALSE(failing.run());
    EXPECT_EQ(failing.started, QStringList{"C:\\missing.exe"});
    EXPECT_EQ(SystemInfo::unavailableMessage(), "System Information Is Unavailable At This Time");
}

TEST(SystemInfo, ANumberWhereThePathShouldBeTriesTheFolder) {
    Launch l;
    l.registry.put(toolKey, "PATH", QByteArray("\x2A\0\0\0", 4), Registry::NumberValue);
    l.registry.put(folderKey, "MSINFO", QByteArray("C:\\Info\0", 8));
    l.existing << "C:\\Info\\MSINFO32.EXE";
    EXPECT_TRUE(l.run());
    EXPECT_EQ(l.started, QStringList{"C:\\Info\\MSINFO32.EXE"});
}

TEST(SystemInfo, GetKeyValueTrimsOnlyATrailingNulAndReadsOnlyStrings) {
    FakeRegistry registry;
    registry.put("k", "nul", QByteArray("abc\0", 4));
    registry.put("k", "plain", "abc");
    registry.put("k", "number", QByteArray("\x2A\0\0\0", 4), Registry::NumberValue);
    registry.put("k", "binary", "xyz", 3);
    SystemInfo info(registry, nullptr, nullptr);
    QString value = "before";
    EXPECT_TRUE(info.GetKeyValue(Registry::LocalMachine, "k", "nul", value));
    EXPECT_EQ(value, "abc");
    EXPECT_TRUE(info.GetKeyValue(Registry::LocalMachine, "k", "plain", value));
    EXPECT_EQ(value, "abc");
    EXPECT_FALSE(info.GetKeyValue(Registry::LocalMachine, "k", "number", value));
    EXPECT_EQ(value, "");
    value = "before";
    EXPECT_FALSE(info.GetKeyValue(Registry::LocalMachine, "k", "binary", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(info.GetKeyValue(Registry::LocalMachine, "k", "missing", value));
    EXPECT_EQ(value, "");
}

TEST(frmAbout, ShowsItsTextsAndSaysSystemInfoIsUnavailableHere) {
    QApplication::setApplicationName("Windows Sonaric Client");
    ScriptedDialogs dialogs;
    frmAbout about(dialogs);
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Windows Sonaric Client");
    auto label = [&](const char* name) { return about.findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(label("lblVersion"), "Version 1.0.4");
    EXPECT_EQ(label("lblTitle"), "Windows Sonaric Client");
    EXPECT_TRUE(about.findChild<QLabel*>("lblTitle")->font().bold());
    EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->font().pointSize(), 18);
    const QStringList description = label("lblDescription").split('\n');
    ASSERT_EQ(description.size(), 3);
    EXPECT_EQ(description[2], "Developed using mpv media player technology.");
    EXPECT_TRUE(label("lblDisclaimer").startsWith("Warning"));
    EXPECT_EQ(about.findChild<QPushButton*>("cmdSysInfo")->text(), "&System Info...");

    QTest::mouseClick(about.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "inform");
    EXPECT_EQ(dialogs.shown[0].text, "System Information Is Unavailable At This Time");
    EXPECT_TRUE(about.isVisible());

    // Enter on the focused button starts the tool; elsewhere it is OK.
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    about.findChild<QPushButton*>("cmdSysInfo")->setFocus();
    QTest::keyClick(about.focusWidget(), Qt::Key_Return);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, "inform");
    EXPECT_TRUE(about.isVisible());

    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    about.show();
    about.findChild<QPushButton*>("cmdOK")->setFocus();
    QTest::keyClick(about.focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
