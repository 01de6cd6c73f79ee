#include "QtUserDialogs.h"

#include "frmPlayer.h"

#include <QApplication>
#include <QMessageBox>

void QtUserDialogs::critical(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::critical(parent, title, text);
}

bool QtUserDialogs::askYesNo(QWidget* parent, const QString& title, const QString& text,
                             Icon icon) {
    QMessageBox box(icon == Icon::Question ? QMessageBox::Question : QMessageBox::NoIcon, title,
                    text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtUserDialogs::showSettings(frmPlayer& player) {
    QMessageBox::information(nullptr, player.ProgramName(),
                             QObject::tr("No settings file was found."));
}

void QtUserDialogs::showAbout(frmPlayer& player) {
    QMessageBox::about(&player, player.ProgramName(), player.ProgramName());
}

void QtUserDialogs::quit() {
    // Close every window without asking anything further, then leave the event loop.
    QApplication::closeAllWindows();
    QApplication::exit(0);
}
