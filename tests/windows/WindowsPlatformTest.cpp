// What only Windows has: the registry the About dialog reads and the program it starts, and the
// user's own %APPDATA%. Keys are written with the system's reg.exe, as an installer would.
#include "ScriptedDialogs.h"
#include "SettingsFile.h"
#include "SystemInfo.h"
#include "frmAbout.h"
#include "frmPlayer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString ToolKey = QStringLiteral("HKLM\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString FolderKey = QStringLiteral("HKLM\\SOFTWARE\\Microsoft\\Shared Tools Location");

int reg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("reg"), arguments);
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitCode();
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        reg({"delete", ToolKey, "/f"});
        reg({"delete", FolderKey, "/v", "MSINFO", "/f"});
    }
    void set(const QString& key, const QString& name, const QString& type, const QString& data) {
        ASSERT_EQ(reg({"add", key, "/v", name, "/t", type, "/d", data, "/f"}), 0)
            << key.toStdString();
    }
};

// The About window's button, with the system's own registry and program launcher: a tool that is
// there is started (Wine's hostname.exe, which ends by itself), none is "unavailable".
TEST_F(Registry, TheAboutWindowStartsTheToolTheRegistryNames) {
    ScriptedDialogs dialogs;
    frmAbout about(dialogs);
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    about.show();
    auto* button = about.findChild<QPushButton*>("cmdSysInfo");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, SystemInfo::unavailableMessage());
    set(ToolKey, "PATH", "REG_SZ", "C:\\windows\\system32\\hostname.exe");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(dialogs.shown.size(), 1u) << "the tool was not started";
}

// The settings file lives in the user's own roaming profile, in the same bytes as on Linux.
TEST(WindowsSettings, LiveInTheRoamingProfileWithCrlfLines) {
    const QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    ASSERT_FALSE(appData.isEmpty());
    EXPECT_TRUE(appData.endsWith("/AppData/Roaming")) << appData.toStdString();
    EXPECT_EQ(SettingsFile::filePath(), appData + "/Windows Sonaric Client/settings.xml");

    QFile file(SettingsFile::filePath());
    const bool existed = file.exists();
    QByteArray before;
    if (existed && file.open(QIODevice::ReadOnly)) {
        before = file.readAll();
        file.close();
    }
    ASSERT_EQ(SettingsFile::write({"http://server", "ann", QString(64, 'a'), true, false}),
              std::nullopt);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("<settings>\r\n<servername>http://server</servername>\r\n"
                                         "<username>ann</username>\r\n<password>" +
                                         QByteArray(64, 'a') +
                                         "</password>\r\n<autorefresh>1</autorefresh>\r\n"
                                         "<autoplay>0</autoplay>\r\n</settings>\r\n"));
    file.close();
    // Replaced in one step: no temporary file is left beside it.
    EXPECT_EQ(QDir(SettingsFile::folderPath()).entryList(QDir::Files), QStringList{"settings.xml"});
    if (existed) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(before);
    } else {
        file.remove();
    }
}

// The window in the pixels of Windows' 96 dots per inch: 15 twips a pixel.
TEST(WindowsLayout, TheDesignSizeInPixelsAt96Dpi) {
    ScriptedDialogs dialogs;
    frmPlayer::Options options;
    options.nullAudio = true;
    frmPlayer window(dialogs, options);
    window.show();
    EXPECT_EQ(window.logicalDpiX(), 96);
    // 9885 twips wide, or wider where the system's font needs room for the player's controls.
    EXPECT_GE(window.width(), 659);
    const TwipRect tabs = window.controlLayout().tabs;
    const auto px = [](float twips) { return static_cast<int>(std::lround(twips / 15)); };
    EXPECT_EQ(window.findChild<QWidget*>("SSTab")->geometry(),
              QRect(px(tabs.left), px(tabs.top), px(tabs.width), px(tabs.height)));
    const QRect playlist = window.findChild<QWidget*>("lstPlaylist")->geometry();
    EXPECT_EQ(playlist.top(), 240 / 15);
    EXPECT_EQ(playlist.height(), 1020 / 15);
}

} // namespace
