#include "ApplicationIcon.h"
#include "QtTranslation.h"
#include "QtUserDialogs.h"
#include "SingleInstance.h"
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
    SingleInstance instance;
    if (!instance.claim())
        return 0; // the running client has come to the front
    // QApplication takes the user's numeric locale; libmpv refuses to start under anything but C.
    std::setlocale(LC_NUMERIC, "C");

    QtUserDialogs dialogs;
    frmPlayer player(dialogs);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &player, &frmPlayer::bringToFront);
    if (!player.start())
        return 0; // closed during start-up
    return QApplication::exec();
}
