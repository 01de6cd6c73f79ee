// What only Windows has: the user's own %APPDATA%. The registry the About window reads is tested
// with the About window, and the pixels of 96 dots per inch with the window's appearance.
#include "SettingsFile.h"
#include "WindowsRegistry.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// The settings file lives in the user's own roaming profile; its bytes are the same as on Linux,
// which the settings file's own tests show here too.
TEST(WindowsSettings, LiveInTheRoamingProfile) {
    const QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    EXPECT_TRUE(appData.endsWith("/AppData/Roaming")) << appData.toStdString();
    EXPECT_EQ(SettingsFile::filePath(), appData + "/Windows Sonaric Client/settings.xml");
}

// The root key is the system's own handle, sign-extended on 64-bit Windows, never the number
// widened with zeros (which Wine forgives and Windows need not). Reading through it is the About
// window's test.
TEST(WindowsRegistry, ReadsThroughTheSystemsOwnRootKey) {
    EXPECT_EQ(windowsRootKey(Registry::LocalMachine), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(windowsRootKey(0x80000001), nullptr);
}

} // namespace
