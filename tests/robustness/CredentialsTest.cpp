// The password never leaves the settings dialog: only its digest is kept and sent on, and the
// token and passphrase are never shown to the user. The file is the owner's alone, as the
// settings file's own tests show.
#include "AppFixture.h"
#include "ScriptedDialogs.h"
#include "SettingsDialog.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

class Credentials : public AppFixture {
protected:
    ScriptedDialogs dialogs;
};

TEST_F(Credentials, ThePasswordAppearsNowhere) {
    const QString password = QStringLiteral("pässwörd-Secret-123");
    SonaricTestServer::Options options;
    options.password = password.toStdString();
    TestServer secretServer(Catalogue::demo(), options);
    makeApp();
    QtMessageHandler previous = qInstallMessageHandler(nullptr);
    static QStringList logged;
    logged.clear();
    qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });

    for (int save = 0; save < 2; ++save) {
        SettingsDialog dialog(*app, dialogs);
        dialog.findChild<QLineEdit*>("txtServername")->setText(secretServer.url());
        dialog.findChild<QLineEdit*>("txtUsername")->setText("demo");
        dialog.findChild<QLineEdit*>("txtPassword")->setText(save == 0 ? password : QString());
        dialogs.answerYes = true;
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
    }
    search("dawn");
    addSong(1);
    secretServer->setFault(SonaricTestServer::Fault::NotFound, "search_songs");
    search("x");
    app->setHashKey("wrong");
    refresh();
    qInstallMessageHandler(previous);

    ASSERT_FALSE(app->session().authToken.isEmpty());
    const QByteArray file = appData.settingsBytes();
    EXPECT_FALSE(file.contains(password.toUtf8()));
    EXPECT_TRUE(file.contains(Sha256().hex(password).toUtf8()));
    const auto requests = secretServer->requests();
    ASSERT_GE(requests.size(), 6u);
    std::vector<std::string> passphrases;
    for (const auto& r : requests)
        for (const auto& [name, value] : r.parameters) {
            EXPECT_EQ(value.find(password.toStdString()), std::string::npos) << name;
            if (r.action == "handshake" && name == "auth")
                passphrases.push_back(value);
        }
    QStringList shown = logged;
    for (const auto& s : dialogs.shown)
        shown << s.title << s.text;
    shown << reports << status();
    for (const QString& text : shown) {
        EXPECT_FALSE(text.contains(password)) << text.toStdString();
        EXPECT_FALSE(text.contains(app->session().authToken)) << text.toStdString();
        for (const std::string& p : passphrases)
            EXPECT_FALSE(text.contains(QString::fromStdString(p))) << text.toStdString();
    }
}

} // namespace
