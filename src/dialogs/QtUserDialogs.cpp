#include "QtUserDialogs.h"

#include "AboutDialog.h"
#include "SettingsDialog.h"

#include <QApplication>
#include <QMessageBox>

// Message texts can carry a server's words: always shown as plain text, never as markup that
// could load images, draw anything or hold links.
void QtUserDialogs::critical(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUserDialogs::askYesNo(QWidget* parent, const QString& title, const QString& text,
                             Icon icon) {
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::NoIcon, title,
                    text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtUserDialogs::showSettings(QWidget* parent, SessionSettings& settings) {
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
