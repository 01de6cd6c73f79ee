#include "ClientFixture.h"
#include "QtUserDialogs.h"
#include "frmAbout.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using StartUp = ClientFixture;

TEST_F(StartUp, TheFileDecidesWhetherTheLibraryIsFetchedAndSongsPlay) {
    const struct {
        QByteArray autoRefresh, autoPlay;
        bool refreshes, plays;
    } cases[] = {{"1", "True", true, true},
                 {"0", "0", false, false},
                 {QByteArray(), "2", false, true},
                 {"True", "true", true, true},
                 {"2", "1", true, true}};
    for (const auto& c : cases) {
        server->clearRequests();
        appData.writeSettings(settingsText(c.autoRefresh, "demo", c.autoPlay));
        makeWindow();
        startUp();
        EXPECT_EQ(window->AutoRefresh(), c.refreshes) << c.autoRefresh.constData();
        EXPECT_EQ(window->AutoPlay(), c.plays) << c.autoPlay.constData();
        EXPECT_EQ(server.requestsOf("handshake").size(), c.refreshes ? 1u : 0u)
            << c.autoRefresh.constData();
        EXPECT_EQ(library().catalogue()->artistCount(), c.refreshes ? 8 : 0);
        EXPECT_EQ(window->Servername(), server.url());
        EXPECT_EQ(window->Username(), "demo");
        EXPECT_EQ(window->HashKey(), CSHA256().SHA256(QStringLiteral("demo")));
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartUp, WithoutAReadableFileTheSettingsDialogOpensOverTheWindow) {
    for (const QByteArray& file : {QByteArray(), QByteArray("<settings><servername>")}) {
        dialogs.shown.clear();
        if (!file.isNull())
            appData.writeSettings(file);
        bool shownOverWindow = false;
        dialogs.onSettings = [&](frmPlayer& player) { shownOverWindow = player.isVisible(); };
        makeWindow();
        window->Form_Load();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, "settings");
        EXPECT_TRUE(shownOverWindow);
        EXPECT_TRUE(window->Servername().isEmpty());
        EXPECT_FALSE(window->AutoRefresh());
    }
    EXPECT_TRUE(server->requests().empty());
}

#ifndef _WIN32
// A FIFO where the file should be once kept the program from ever showing a window; a link to
// /dev/zero made it read until memory ran out.
TEST_F(StartUp, WhatIsNoFileIsNoSettingsFile) {
    QDir().mkpath(SettingsFile::folderPath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(SettingsFile::filePath()), 0600), 0);
    makeWindow();
    QElapsedTimer clock;
    clock.start();
    window->Form_Load();
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "settings");
    EXPECT_FALSE(QFileInfo(SettingsFile::filePath()).isFile()) << "nothing written";

    QFile::remove(SettingsFile::filePath());
    ASSERT_TRUE(QFile::link("/dev/zero", SettingsFile::filePath()));
    dialogs.shown.clear();
    makeWindow();
    window->Form_Load();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "settings");
    EXPECT_TRUE(QFileInfo(SettingsFile::filePath()).isSymLink());
}
#endif

TEST_F(StartUp, AFailedRefreshReportsAndStartUpGoesOn) {
    appData.writeSettings(settingsText("1", "wrong"));
    makeWindow();
    startUp();
    EXPECT_EQ(dialogs.texts("critical"), QStringList{"Error Authenticating[Sonaric Error: 401]"});
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), "Library refresh failed");
}

using MainWindow = ClientFixture;

TEST_F(MainWindow, HasItsTitleMenuAndControls) {
    openWindow();
    EXPECT_EQ(window->windowTitle(), "Windows Sonaric Client");
    EXPECT_EQ(window->ProgramName(), "Windows Sonaric Client");
    QMenu* menu = control<QMenu>("mnuLibrary");
    ASSERT_NE(menu, nullptr);
    // Mnemonics underline a letter; the captions read the same.
    EXPECT_EQ(menu->title().remove('&'), "Library");
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? "-" : a->text().remove('&'));
    EXPECT_EQ(items,
              (QStringList{"Refresh Library", "-", "Settings...", "-", "About", "-", "Exit"}));
    for (QAction* a : menu->actions())
        EXPECT_TRUE(a->shortcut().isEmpty());
    EXPECT_FALSE(control<QPushButton>("cmdBasicSearch")->isEnabled());
    EXPECT_EQ(control<QPushButton>("cmdDeleteItem")->text(), "Delete Item");
    EXPECT_EQ(control<QPushButton>("cmdClearPlaylist")->text(), "Clear Playlist");
    QTabBar* tabs = control<QTabBar>("SSTabBar");
    EXPECT_EQ(tabs->tabText(0), "Library");
    EXPECT_EQ(tabs->tabText(1), "Search");
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(MainWindow, TheMenuOpensItsDialogsAndExitAsksFirst) {
    openWindow();
    control<QAction>("mnuSettings")->trigger();
    control<QAction>("mnuAbout")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].kind, "settings");
    EXPECT_EQ(dialogs.shown[1].kind, "about");
    dialogs.shown.clear();
    QAction* exit = control<QAction>("mnuExit");
    dialogs.answerYes = false;
    exit->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "yesno");
    EXPECT_EQ(dialogs.shown[0].text, "Are you sure you want to exit?");
    EXPECT_EQ(dialogs.shown[0].title, "Windows Sonaric Client");
    EXPECT_EQ(dialogs.quitCount, 0);
    EXPECT_EQ(window->Servername(), server.url());
    dialogs.answerYes = true;
    exit->trigger();
    EXPECT_EQ(dialogs.quitCount, 1);
}

TEST_F(MainWindow, ASecondAboutCommandRaisesTheOpenWindow) {
    QtUserDialogs real;
    frmPlayer::Options options;
    options.nullAudio = true;
    window = std::make_unique<frmPlayer>(real, options);
    window->show();
    real.showAbout(*window);
    real.showAbout(*window);
    EXPECT_EQ(window->findChildren<frmAbout*>().size(), 1);
    EXPECT_TRUE(window->findChild<frmAbout*>()->isVisible());
    window->findChild<frmAbout*>()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChildren<frmAbout*>().size(), 0);
    real.showAbout(*window);
    EXPECT_EQ(window->findChildren<frmAbout*>().size(), 1);
}

} // namespace
