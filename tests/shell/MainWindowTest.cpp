#include "AboutDialog.h"
#include "ClientFixture.h"
#include "QtUserDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using StartUp = ClientFixture;

TEST_F(StartUp, TheFileDecidesWhetherTheLibraryIsFetchedAndSongsPlay) {
    const struct {
        QByteArray autoRefresh, autoPlay;
        bool refreshes, plays;
    } cases[] = {
        {"1", "True", true, true}, {"0", "0", false, false}, {QByteArray(), "2", false, true}};
    for (const auto& c : cases) {
        server->clearRequests();
        appData.writeSettings(settingsText(c.autoRefresh, "demo", c.autoPlay));
        makeWindow();
        startUp();
        EXPECT_EQ(app->session().autoRefresh, c.refreshes) << c.autoRefresh.constData();
        EXPECT_EQ(app->session().autoPlay, c.plays) << c.autoPlay.constData();
        EXPECT_EQ(server.requestsOf("handshake").size(), c.refreshes ? 1u : 0u)
            << c.autoRefresh.constData();
        EXPECT_EQ(library().catalogue()->artistCount(), c.refreshes ? 8 : 0);
        EXPECT_EQ(app->session().servername, server.url());
        EXPECT_EQ(app->session().username, "demo");
        EXPECT_EQ(app->session().hashKey, Sha256().hex(QStringLiteral("demo")));
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

// Whatever is no readable settings file opens the settings dialog over the shown window at once,
// and nothing is written before Save: a FIFO once kept the window from ever appearing, a link to
// /dev/zero made it read until memory ran out.
TEST_F(StartUp, WithoutAReadableFileTheSettingsDialogOpensOverTheWindow) {
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
    } files[] = {
        {"none", [](const QString&) {}},
        {"ill-formed", [this](const QString&) { appData.writeSettings("<settings><server>"); }},
#ifndef _WIN32
        {"FIFO", [](const QString& path) { ::mkfifo(QFile::encodeName(path), 0600); }},
        {"link to /dev/zero", [](const QString& path) { QFile::link("/dev/zero", path); }},
#endif
    };
    for (const auto& file : files) {
        QDir().mkpath(SettingsFile::folderPath());
        QFile::remove(SettingsFile::filePath());
        file.make(SettingsFile::filePath());
        const QFileInfo before(SettingsFile::filePath());
        ASSERT_EQ(before.exists(), QByteArray(file.name) != "none") << file.name;
        dialogs.shown.clear();
        bool shownOverWindow = false;
        dialogs.onSettings = [&](QWidget* parent, SessionSettings&) {
            shownOverWindow = parent == window.get() && parent->isVisible();
        };
        makeWindow();
        QElapsedTimer clock;
        clock.start();
        window->load();
        EXPECT_LT(clock.elapsed(), 2000) << file.name;
        ASSERT_EQ(dialogs.shown.size(), 1u) << file.name;
        EXPECT_EQ(dialogs.shown[0].kind, "settings");
        EXPECT_TRUE(shownOverWindow) << file.name;
        EXPECT_TRUE(app->session().servername.isEmpty());
        EXPECT_FALSE(app->session().autoRefresh);
        const QFileInfo after(SettingsFile::filePath());
        EXPECT_EQ(after.exists(), before.exists()) << file.name;
        EXPECT_EQ(after.isSymLink(), before.isSymLink()) << file.name;
        EXPECT_EQ(after.lastModified(), before.lastModified()) << file.name;
    }
    EXPECT_TRUE(server->requests().empty());
}

using TheMainWindow = ClientFixture;

TEST_F(TheMainWindow, HasItsTitleMenuAndControlsAndExitAsksFirst) {
    openWindow();
    EXPECT_EQ(window->windowTitle(), "Windows Sonaric Client");
    EXPECT_EQ(App::title(), "Windows Sonaric Client");
    QMenu* menu = control<QMenu>("mnuLibrary");
    ASSERT_NE(menu, nullptr);
    // Mnemonics underline a letter; the captions read the same.
    EXPECT_EQ(menu->title().remove('&'), "Library");
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? "-" : a->text().remove('&')) + a->shortcut().toString();
    EXPECT_EQ(items, (QStringList{"Refresh Library", "-", "Save Playlist...Ctrl+S",
                                  "Open Playlist...Ctrl+O", "Remember Playlist", "-", "Settings...",
                                  "-", "About", "-", "Exit"}));
    // The playlist's items go through the platform's file dialog; remembering is a check item.
    const QTemporaryDir folder;
    dialogs.fileToChoose = folder.filePath("saved.xspf");
    control<QAction>("mnuSavePlaylist")->trigger();
    EXPECT_TRUE(QFile::exists(dialogs.fileToChoose));
    control<QAction>("mnuOpenPlaylist")->trigger();
    EXPECT_FALSE(control<QAction>("mnuRememberPlaylist")->isChecked());
    control<QAction>("mnuRememberPlaylist")->trigger();
    EXPECT_TRUE(app->remembersPlaylist());
    app->setRememberPlaylist(false);
    EXPECT_FALSE(control<QAction>("mnuRememberPlaylist")->isChecked());
    dialogs.shown.clear();
    EXPECT_FALSE(control<QPushButton>("cmdBasicSearch")->isEnabled());
    EXPECT_EQ(control<QPushButton>("cmdDeleteItem")->text(), "Delete Item");
    EXPECT_EQ(control<QPushButton>("cmdClearPlaylist")->text(), "Clear Playlist");
    QTabBar* tabs = control<QTabBar>("SSTabBar");
    EXPECT_EQ(tabs->tabText(0) + tabs->tabText(1), "LibrarySearch");
    EXPECT_EQ(tabs->currentIndex(), 0);

    control<QAction>("mnuSettings")->trigger();
    control<QAction>("mnuAbout")->trigger();
    dialogs.answerYes = false;
    control<QAction>("mnuExit")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0].kind + dialogs.shown[1].kind + dialogs.shown[2].kind,
              "settingsaboutyesno");
    EXPECT_EQ(dialogs.shown[2].text, "Are you sure you want to exit?");
    EXPECT_EQ(dialogs.shown[2].title, "Windows Sonaric Client");
    EXPECT_EQ(dialogs.quitCount, 0);
    EXPECT_EQ(app->session().servername, server.url());
    dialogs.answerYes = true;
    control<QAction>("mnuExit")->trigger();
    EXPECT_EQ(dialogs.quitCount, 1);
}

TEST_F(TheMainWindow, ASecondAboutCommandRaisesTheOpenWindow) {
    QtUserDialogs real;
    makeWindow(App::Options(), &real).show();
    real.showAbout(window.get());
    real.showAbout(window.get());
    EXPECT_EQ(window->findChildren<AboutDialog*>().size(), 1);
    EXPECT_TRUE(window->findChild<AboutDialog*>()->isVisible());
    window->findChild<AboutDialog*>()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChildren<AboutDialog*>().size(), 0);
    real.showAbout(window.get());
    EXPECT_EQ(window->findChildren<AboutDialog*>().size(), 1);
}

} // namespace
