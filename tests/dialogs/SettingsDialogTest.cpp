#include "SettingsDialog.h"
#include "ClientFixture.h"

#include <QCheckBox>

#ifndef _WIN32
#include "FileSizeLimit.h"
#endif

namespace {

class Settings : public ClientFixture {
protected:
    std::unique_ptr<::SettingsDialog> dialog;

    void SetUp() override { makeApp(); }
    void TearDown() override {
        dialog.reset();
        ClientFixture::TearDown();
    }

    ::SettingsDialog& open() {
        dialog = std::make_unique<::SettingsDialog>(*app, dialogs);
        dialog->show();
        return *dialog;
    }
    template <typename T> T* field(const char* name) {
        T* found = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void fill(const QString& server, const QString& user, const QString& password, bool refresh,
              bool play) {
        field<QLineEdit>("txtServername")->setText(server);
        field<QLineEdit>("txtUsername")->setText(user);
        field<QLineEdit>("txtPassword")->setText(password);
        field<QCheckBox>("chkAutoRefresh")->setChecked(refresh);
        field<QCheckBox>("chkAutoPlay")->setChecked(play);
    }
    void save() { QTest::mouseClick(field<QPushButton>("cmdSave"), Qt::LeftButton); }
};

TEST_F(Settings, FirstStartShowsTheDesignContentsInTheDesignOrder) {
    open();
    EXPECT_EQ(dialog->windowTitle(), "Settings");
    EXPECT_EQ(field<QLineEdit>("txtServername")->text(), "http://localhost/sonaric");
    EXPECT_EQ(field<QLineEdit>("txtUsername")->text(), "");
    EXPECT_EQ(field<QLineEdit>("txtPassword")->text(), "");
    EXPECT_EQ(field<QLineEdit>("txtPassword")->echoMode(), QLineEdit::Password);
    // Nothing is saved, so there is nothing to keep.
    EXPECT_EQ(field<QLineEdit>("txtPassword")->placeholderText(), "");
    EXPECT_FALSE(field<QCheckBox>("chkAutoRefresh")->isChecked());
    EXPECT_FALSE(field<QCheckBox>("chkAutoPlay")->isChecked());
    EXPECT_EQ(field<QCheckBox>("chkAutoRefresh")->text(),
              "Automatically refresh the library on load");
    EXPECT_EQ(field<QCheckBox>("chkAutoPlay")->text(),
              "Automatically start playing when a song is added to the playlist");
    EXPECT_EQ(dialog->focusWidget(), field<QPushButton>("cmdSave"));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    // Tab visits the controls in the design's order.
    QStringList order;
    QWidget* w = field<QPushButton>("cmdSave");
    for (int i = 0; i < 7; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    EXPECT_EQ(order, (QStringList{"cmdSave", "cmdCancel", "txtPassword", "txtUsername",
                                  "txtServername", "chkAutoRefresh", "chkAutoPlay"}));
}

// A settings file that is there but cannot be read leaves the form empty, and the dialog says why
// on a line of its own below its buttons (the reasons are the settings file's test); a file
// simply not there is the first start, and says nothing.
TEST_F(Settings, SaysWhyASettingsFileCouldNotBeRead) {
    for (const QByteArray& bytes : {QByteArray(), QByteArray("<settings><servername>x")}) {
        if (!bytes.isNull())
            appData.writeSettings(bytes);
        open();
        EXPECT_EQ(field<QLineEdit>("txtServername")->text(), "http://localhost/sonaric");
        auto* line = field<QLabel>("lblReadProblem");
        EXPECT_EQ(line->text(), bytes.isNull() ? QString()
                                               : "The settings file could not be read: It is not "
                                                 "a well-formed settings document.");
        EXPECT_EQ(line->isVisible(), !bytes.isNull());
        if (line->isVisible()) {
            EXPECT_TRUE(dialog->rect().contains(line->geometry()));
            EXPECT_GT(line->geometry().top(), field<QPushButton>("cmdSave")->geometry().bottom());
        }
    }
}

// Save writes the file and sets the session, and No means no request. Reopened, the dialog shows
// what was saved, and an empty password keeps the saved digest.
TEST_F(Settings, SaveWritesTheFileSetsTheSessionAndReopeningShowsIt) {
    open();
    fill("http://a&b/<x>", "Ann", "secret", true, false);
    dialogs.answerYes = false;
    save();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const QString digest = Sha256().hex(QStringLiteral("secret"));
    EXPECT_EQ(SettingsFile::read(), (StoredSettings{"http://a&b/<x>", "Ann", digest, true, false}));
    EXPECT_EQ(app->session().servername, "http://a&b/<x>");
    EXPECT_EQ(app->session().username, "Ann");
    EXPECT_EQ(app->session().hashKey, digest);
    EXPECT_TRUE(app->session().autoRefresh);
    EXPECT_FALSE(app->session().autoPlay);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "question");
    EXPECT_EQ(dialogs.shown[0].text, "Would you like to refresh the library now?");
    EXPECT_EQ(dialogs.shown[0].title, "Windows Sonaric Client");

    open();
    EXPECT_EQ(field<QLineEdit>("txtServername")->text(), "http://a&b/<x>");
    EXPECT_EQ(field<QLineEdit>("txtUsername")->text(), "Ann");
    EXPECT_EQ(field<QLineEdit>("txtPassword")->text(), "");
    EXPECT_EQ(field<QLineEdit>("txtPassword")->placeholderText(),
              "Leave empty to keep the saved password");
    EXPECT_TRUE(field<QCheckBox>("chkAutoRefresh")->isChecked());
    EXPECT_FALSE(field<QCheckBox>("chkAutoPlay")->isChecked());
    field<QCheckBox>("chkAutoPlay")->setChecked(true);
    save();
    EXPECT_EQ(SettingsFile::read(), (StoredSettings{"http://a&b/<x>", "Ann", digest, true, true}));
    EXPECT_EQ(app->session().hashKey, digest);
    EXPECT_TRUE(server->requests().empty());
}

// Cancel clicked, or Enter on a focused Cancel: nothing is written or set.
TEST_F(Settings, CancelAfterEditsChangesNothing) {
    appData.writeSettings(settingsText("0"));
    const QByteArray before = appData.settingsBytes();
    app->setServername("kept");
    for (bool byKey : {false, true}) {
        open();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        fill("http://other", "other", "other", true, true);
        if (byKey) {
            field<QPushButton>("cmdSave")->setFocus();
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            ASSERT_EQ(dialog->focusWidget(), field<QPushButton>("cmdCancel"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        } else {
            QTest::mouseClick(field<QPushButton>("cmdCancel"), Qt::LeftButton);
        }
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(appData.settingsBytes(), before);
        EXPECT_EQ(app->session().servername, "kept");
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

TEST_F(Settings, EnterSavesAndEscapeDoesNot) {
    open();
    fill(server.url(), "demo", "demo", false, false);
    QTest::keyClick(field<QLineEdit>("txtServername"), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(appData.settingsBytes().isEmpty());
    // From a check box too.
    QTest::keyClick(field<QCheckBox>("chkAutoPlay"), Qt::Key_Return);
    EXPECT_FALSE(appData.settingsBytes().isEmpty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    open();
    field<QLineEdit>("txtUsername")->setText("other");
    QTest::keyClick(field<QLineEdit>("txtUsername"), Qt::Key_Return);
    EXPECT_EQ(SettingsFile::read().value_or(StoredSettings{}).username, "other");
}

// The write is made to fail with POSIX's file size limit.
#ifndef _WIN32
TEST_F(Settings, AFailedWriteIsShownAndKeepsEverything) {
    appData.writeSettings(settingsText("0"));
    const QByteArray before = appData.settingsBytes();
    open();
    fill("http://new", "new", "new", true, true);
    {
        const FileSizeLimit limit(16);
        save();
    }
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "critical");
    EXPECT_EQ(dialogs.shown[0].title, "Windows Sonaric Client");
    EXPECT_TRUE(dialogs.shown[0].text.contains("settings.xml"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(field<QLineEdit>("txtUsername")->text(), "new");
    EXPECT_EQ(appData.settingsBytes(), before);
    EXPECT_TRUE(app->session().servername.isEmpty());
}
#endif

// The window is there first, so the sign-in that follows Save has its Escape and close box.
TEST_F(Settings, FirstStartOpensItOverTheWindowAndSaveYesSignsIn) {
    makeWindow();
    dialogs.answerYes = true;
    dialogs.onSettings = [&](QWidget* parent, SessionSettings& settings) {
        EXPECT_TRUE(parent == window.get() && parent->isVisible());
        dialog = std::make_unique<::SettingsDialog>(settings, dialogs);
        EXPECT_EQ(field<QLineEdit>("txtServername")->text(), "http://localhost/sonaric");
        fill(server.url(), "demo", "demo", true, true);
        save();
    };
    window->load();
    settle();
    EXPECT_EQ(server.requestsOf("handshake").size(), 1u);
    EXPECT_FALSE(app->session().authToken.isEmpty());
    EXPECT_EQ(library().catalogue()->artistCount(), 8);
    EXPECT_TRUE(app->session().autoPlay);

    QFile::remove(SettingsFile::filePath());
    makeWindow();
    server->setFault(SonaricTestServer::Fault::Trickle, "handshake", 1000);
    QTimer::singleShot(500, window.get(), [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    window->load();
    settle();
    EXPECT_EQ(status(), "Cancelled");
    EXPECT_EQ(library().catalogue()->artistCount(), 0);

    // The close box during that sign-in closes the window and ends the sign-in.
    QFile::remove(SettingsFile::filePath());
    makeWindow();
    QTimer::singleShot(500, window.get(), [&] { window->close(); });
    EXPECT_TRUE(window->start());
    settle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(status(), "Cancelled");
}

} // namespace
