#include "QtUserDialogs.h"

#include "AboutDialog.h"
#include "SettingsDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Message texts can carry a server's words: always shown as plain text, never as markup that
// could load images, draw anything or hold links. The box goes once it has been answered.
QMessageBox* openBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                     QMessageBox::StandardButtons buttons, QWidget* parent) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    return box;
}

} // namespace

void QtUserDialogs::critical(QWidget* parent, const QString& title, const QString& text) {
    openBox(QMessageBox::Critical, title, text, QMessageBox::Ok, parent)->open();
}

void QtUserDialogs::askYesNo(QWidget* parent, const QString& title, const QString& text, Icon icon,
                             std::function<void()> yes) {
    QMessageBox* box = openBox(icon == Icon::Question ? QMessageBox::Question : QMessageBox::NoIcon,
                               title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::Yes);
    QObject::connect(box, &QMessageBox::finished, box, [yes = std::move(yes)](int answer) {
        if (answer == QMessageBox::Yes)
            yes();
    });
    box->open();
}

void QtUserDialogs::inform(QWidget* parent, const QString& title, const QString& text) {
    openBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent)->open();
}

void QtUserDialogs::choosePlaylistFile(QWidget* parent, FileAction action,
                                       std::function<void(const QString& path)> chosen) {
    const bool saving = action == FileAction::Save;
    auto* dialog = new QFileDialog(parent, saving ? QObject::tr("Save Playlist")
                                                  : QObject::tr("Open Playlist"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setNameFilters({QObject::tr("XSPF playlists (*.xspf)"), QObject::tr("All files (*)")});
    dialog->setDefaultSuffix(QStringLiteral("xspf"));
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [chosen = std::move(chosen)](const QString& path) { chosen(path); });
    dialog->open();
}

void QtUserDialogs::showSettings(QWidget* parent, SessionSettings& settings) {
    auto* dialog = new SettingsDialog(settings, *this, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// The one dialog that waits: at the first start the event loop has not begun, and without
// settings there is nothing else the program could do meanwhile.
void QtUserDialogs::askFirstSettings(QWidget* parent, SessionSettings& settings) {
    SettingsDialog dialog(settings, *this, parent);
    dialog.exec();
}

// One About window at a time: asking again brings it to the front. It belongs to the main
// window, so it closes with it.
void QtUserDialogs::showAbout(QWidget* parent) {
    if (!m_about)
        m_about = new AboutDialog(*this, parent);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void QtUserDialogs::quit() {
    // Close every window without asking anything further, then leave the event loop.
    QApplication::closeAllWindows();
    QApplication::exit(0);
}
