#include "SettingsDialog.h"

#include "SessionSettings.h"
#include "SettingsFile.h"
#include "SettingsForm.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

SettingsDialog::SettingsDialog(SessionSettings& mainWindow, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_session(mainWindow), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(tr("Settings"));
    setWindowIcon(QApplication::windowIcon());

    m_save = named(new QPushButton(tr("Save"), this), "cmdSave");
    m_cancel = named(new QPushButton(tr("Cancel"), this), "cmdCancel");
    m_serverFrame = named(new QGroupBox(tr("Sonaric Server Details"), this), "fraServer");
    m_password = named(new QLineEdit(m_serverFrame), "txtPassword");
    m_username = named(new QLineEdit(m_serverFrame), "txtUsername");
    m_servername = named(new QLineEdit(m_serverFrame), "txtServername");
    m_serverLabel = named(new QLabel(tr("Servername"), m_serverFrame), "Label1");
    m_passwordLabel = named(new QLabel(tr("Password"), m_serverFrame), "Label3");
    m_usernameLabel = named(new QLabel(tr("Username"), m_serverFrame), "Label2");
    m_optionsFrame = named(new QGroupBox(tr("Options"), this), "fraOptions");
    m_autoRefresh =
        named(new QCheckBox(tr("Automatically refresh the library on load"), m_optionsFrame),
              "chkAutoRefresh");
    m_autoPlay = named(new QCheckBox(tr("Automatically start playing when a song is added to the "
                                        "playlist"),
                                     m_optionsFrame),
                       "chkAutoPlay");
    // Below the buttons, only when a settings file is there but could not be read, so that the
    // user knows why the form is empty.
    m_readProblem = named(new QLabel(this), "lblReadProblem");
    m_readProblem->setTextFormat(Qt::PlainText);
    m_readProblem->setWordWrap(true);
    m_readProblem->hide();

    m_password->setEchoMode(QLineEdit::Password);
    m_serverLabel->setBuddy(m_servername);
    m_usernameLabel->setBuddy(m_username);
    m_passwordLabel->setBuddy(m_password);
    // From the text and check boxes Enter means Save; a focused button of a dialog answers Enter
    // itself (Qt's auto-default), so Enter on Cancel cancels.
    m_save->setDefault(true);

    setTabOrder(m_save, m_cancel);
    setTabOrder(m_cancel, m_password);
    setTabOrder(m_password, m_username);
    setTabOrder(m_username, m_servername);
    setTabOrder(m_servername, m_autoRefresh);
    setTabOrder(m_autoRefresh, m_autoPlay);

    connect(m_save, &QPushButton::clicked, this, &SettingsDialog::save);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsDialog::cancel);
    load();
    placeControls();
    m_save->setFocus();
}

// The dialog's design, in twips, at the screen's resolution.
void SettingsDialog::placeControls() {
    const double tpp = 1440.0 / logicalDpiX();
    auto px = [tpp](int twips) { return static_cast<int>(std::lround(twips / tpp)); };
    auto place = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(px(left), px(top), px(width), px(height));
    };
    int problemHeight = 0;
    if (!m_readProblem->text().isEmpty()) {
        m_readProblem->setGeometry(px(120), px(3705), px(7455), 0);
        problemHeight = m_readProblem->heightForWidth(px(7455));
        m_readProblem->resize(px(7455), problemHeight);
        m_readProblem->show();
        problemHeight += px(120);
    }
    setFixedSize(px(7740), px(3765) + problemHeight);
    place(m_save, 120, 3240, 2175, 375);
    place(m_cancel, 5760, 3240, 1815, 375);
    place(m_serverFrame, 120, 120, 7455, 1815);
    place(m_password, 1920, 1320, 5415, 285);
    place(m_username, 1920, 840, 5415, 285);
    place(m_servername, 1920, 360, 5415, 285);
    place(m_serverLabel, 120, 360, 1575, 255);
    place(m_passwordLabel, 120, 1320, 1695, 375);
    place(m_usernameLabel, 120, 840, 1695, 255);
    place(m_optionsFrame, 120, 2040, 7455, 975);
    place(m_autoRefresh, 240, 240, 4695, 255);
    place(m_autoPlay, 240, 600, 6135, 255);
    // Text boxes and check boxes need their font's height, whatever the twips say.
    for (QWidget* w : {static_cast<QWidget*>(m_password), static_cast<QWidget*>(m_username),
                       static_cast<QWidget*>(m_servername), static_cast<QWidget*>(m_autoRefresh),
                       static_cast<QWidget*>(m_autoPlay)})
        w->resize(w->width(), std::max(w->height(), w->sizeHint().height()));
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SettingsDialog::load() {
    const SettingsForm form = SettingsForm::load();
    m_servername->setText(form.servername);
    m_username->setText(form.username);
    m_autoRefresh->setChecked(form.autoRefresh);
    m_autoPlay->setChecked(form.autoPlay);
    m_password->clear();
    m_readProblem->setText(
        form.readProblem.isEmpty()
            ? QString()
            : tr("The settings file could not be read: %1").arg(form.readProblem));
    // Only a saved password can be kept by leaving the box empty.
    m_password->setPlaceholderText(
        form.hasSavedPassword ? tr("Leave empty to keep the saved password") : QString());
}

void SettingsDialog::save() {
    SettingsForm form;
    form.servername = m_servername->text();
    form.username = m_username->text();
    form.password = m_password->text();
    form.autoRefresh = m_autoRefresh->isChecked();
    form.autoPlay = m_autoPlay->isChecked();
    const std::variant<StoredSettings, QString> saved = form.save();
    if (const QString* failure = std::get_if<QString>(&saved)) {
        // Nothing has changed: the old file and the session stay, and so does what was typed.
        m_dialogs.critical(this, QApplication::applicationName(),
                           tr("The settings could not be saved to %1:\n%2")
                               .arg(SettingsFile::filePath(), *failure));
        return;
    }
    const StoredSettings& stored = std::get<StoredSettings>(saved);
    m_session.setServername(stored.servername);
    m_session.setUsername(stored.username);
    m_session.setHashKey(stored.passwordDigest);
    m_session.setAutoRefresh(stored.autoRefresh);
    m_session.setAutoPlay(stored.autoPlay);
    hide();
    m_dialogs.askYesNo(parentWidget(), QApplication::applicationName(),
                       tr("Would you like to refresh the library now?"),
                       UserDialogs::Icon::Question,
                       [&session = m_session] { session.refreshLibrary(); });
    accept();
}

void SettingsDialog::cancel() {
    reject();
}

// No button answers Escape; only Cancel or the close box leave without saving.
void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
