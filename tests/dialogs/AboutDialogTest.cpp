#include "AboutDialog.h"
#include "ScriptedDialogs.h"
#include "SystemInfo.h"
#include "WindowsRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
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

const QString ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QString FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

// The keys the About window reads: on Windows the system's own registry, written with reg.exe as
// an installer would; elsewhere the stand-in above. The tool in the folder is a real file.
class SystemInfoKeys : public ::testing::Test {
protected:
    QTemporaryDir temp;
    const QString folder = QDir::toNativeSeparators(temp.path() + "/tools");
    QStringList started;
    bool startWorks = true;

#ifdef _WIN32
    std::unique_ptr<Registry> registry = systemRegistry();

    static int reg(const QStringList& arguments) {
        QProcess process;
        process.start("reg", arguments);
        return process.waitForFinished(30000) ? process.exitCode() : -1;
    }
    void SetUp() override {
        TearDown();
    }
    void TearDown() override {
        reg({"delete", "HKLM\\" + ToolKey, "/f"});
        reg({"delete", "HKLM\\" + FolderKey, "/v", "MSINFO", "/f"});
    }
    void put(const QString& key, const QString& name, const QString& data, bool number = false) {
        ASSERT_EQ(reg({"add", "HKLM\\" + key, "/v", name, "/t", number ? "REG_DWORD" : "REG_SZ",
                       "/d", data, "/f"}),
                  0);
    }
#else
    std::unique_ptr<FakeRegistry> registry = std::make_unique<FakeRegistry>();

    void put(const QString& key, const QString& name, const QString& data, bool number = false) {
        if (number) {
            const quint32 value = data.toUInt();
            registry->put(key, name, QByteArray(reinterpret_cast<const char*>(&value), 4),
                          Registry::NumberValue);
        } else {
            registry->put(key, name, data.toLocal8Bit() + '\0');
        }
    }
#endif

    QString toolInFolder() {
        QDir().mkpath(temp.path() + "/tools");
        const QString tool = folder + "\\MSINFO32.EXE";
        QFile file(tool);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return tool;
    }
    bool startSysInfo() {
        SystemInfo info(
            *registry, [](const QString& path) { return QFile::exists(path); },
            [this](const QString& path) {
                started << path;
                return startWorks;
            });
        return info.startTool();
    }
};

// Nothing found is no start; the folder counts only with the tool in it, a number where the path
// should be is passed over, the tool's own path wins without a check that it is there, and a start
// that fails is no start either.
TEST_F(SystemInfoKeys, TheToolsOwnPathWinsElseTheFolderWithTheToolInIt) {
    EXPECT_FALSE(registry->read(Registry::LocalMachine, ToolKey, "PATH"));
    EXPECT_FALSE(startSysInfo());
    put(FolderKey, "MSINFO", folder);
    EXPECT_FALSE(startSysInfo());
    put(ToolKey, "PATH", "7", true);
    const std::optional<Registry::Value> value =
        registry->read(Registry::LocalMachine, ToolKey, "PATH");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, Registry::NumberValue);
    EXPECT_FALSE(startSysInfo());
    const QString tool = toolInFolder();
    EXPECT_TRUE(startSysInfo());
    put(ToolKey, "PATH", "C:\\Tools\\msinfo32.exe");
    EXPECT_TRUE(startSysInfo());
    startWorks = false;
    EXPECT_FALSE(startSysInfo());
    EXPECT_EQ(started, (QStringList{tool, "C:\\Tools\\msinfo32.exe", "C:\\Tools\\msinfo32.exe"}));
}

#ifdef _WIN32
// The About window's button with the system's own program launcher: the tool the registry names is
// started (Wine's hostname.exe, which ends by itself), and nothing is said.
TEST_F(SystemInfoKeys, TheAboutWindowStartsTheToolTheRegistryNames) {
    put(ToolKey, "PATH", "C:\\windows\\system32\\hostname.exe");
    ScriptedDialogs dialogs;
    AboutDialog about(dialogs);
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown.empty()) << "the tool was not started";
}
#endif

#ifndef _WIN32
TEST(SystemInfo, GetKeyValueTrimsOnlyATrailingNulAndReadsOnlyStrings) {
    FakeRegistry registry;
    registry.put("k", "nul", QByteArray("abc\0", 4));
    registry.put("k", "plain", "abc");
    registry.put("k", "number", QByteArray("\x2A\0\0\0", 4), Registry::NumberValue);
    registry.put("k", "binary", "xyz", 3);
    SystemInfo info(registry, nullptr, nullptr);
    for (const char* name : {"nul", "plain", "number", "binary", "missing"}) {
        const bool isText = QByteArray(name) == "nul" || QByteArray(name) == "plain";
        QString value = "before";
        EXPECT_EQ(info.readString(Registry::LocalMachine, "k", name, value), isText) << name;
        EXPECT_EQ(value, isText ? "abc" : "") << name;
    }
}

#endif

TEST(AboutDialog, ShowsItsTextsAndSaysSystemInfoIsUnavailableHere) {
    QApplication::setApplicationName("Windows Sonaric Client");
    ScriptedDialogs dialogs;
    AboutDialog about(dialogs);
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
