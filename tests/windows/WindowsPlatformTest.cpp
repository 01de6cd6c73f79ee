// What only Windows has: the user's own %APPDATA% and the pixels of 96 dots per inch. The registry
// the About window reads is tested with the About window.
#include "ScriptedDialogs.h"
#include "SettingsFile.h"
#include "frmPlayer.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace {

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
