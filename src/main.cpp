#include "QtUserDialogs.h"
#include "frmPlayer.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(frmPlayer::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(SONARIC_VERSION));

    QtUserDialogs dialogs;
    frmPlayer player(dialogs);
    player.Form_Load();
    player.show();
    return QApplication::exec();
}
