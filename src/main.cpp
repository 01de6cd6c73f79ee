#include "ApplicationIcon.h"
#include "QtTranslation.h"
#include "QtUserDialogs.h"
#include "SonaricVersion.h"
#include "frmPlayer.h"

#include <QApplication>
#include <QLocale>

#include <clocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(frmPlayer::applicationTitle());
    QApplication::setApplicationVersion(QLatin1String(SonaricVersion::Text));
    QApplication::setWindowIcon(ApplicationIcon::icon());
    QtTranslation::install(app, QLocale());
    // QApplication takes the user's numeric locale; libmpv refuses to start under anything but C.
    std::setlocale(LC_NUMERIC, "C");

    QtUserDialogs dialogs;
    frmPlayer player(dialogs);
    player.Form_Load();
    player.show();
    return QApplication::exec();
}
