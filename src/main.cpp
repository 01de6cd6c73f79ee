#include "App.h"
#include "ApplicationIcon.h"
#include "MainWindow.h"
#include "QtTranslation.h"
#include "QtUserDialogs.h"
#include "SingleInstance.h"
#include "SonaricVersion.h"

#include <QApplication>
#include <QLocale>

#include <clocale>

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(App::title());
    QApplication::setApplicationVersion(QLatin1String(SonaricVersion::Text));
    QApplication::setWindowIcon(ApplicationIcon::icon());
    QtTranslation::install(qt, QLocale());
    SingleInstance instance;
    if (!instance.claim())
        return 0; // the running client has come to the front
    // QApplication takes the user's numeric locale; libmpv refuses to start under anything but C.
    std::setlocale(LC_NUMERIC, "C");

    App app;
    QtUserDialogs dialogs;
    MainWindow window(app, dialogs);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window,
                     &MainWindow::bringToFront);
    if (!window.start())
        return 0; // closed during start-up
    return QApplication::exec();
}
