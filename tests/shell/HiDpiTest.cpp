// Run at the normal scale and again with QT_SCALE_FACTOR=2: the window and the dialogs keep
// their proportions, whatever the screen's pixel density.
#include "ClientFixture.h"
#include "frmAbout.h"
#include "frmSettings.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QTabBar>

namespace {

using HiDpi = ClientFixture;

TEST_F(HiDpi, TheLayoutAndTheDialogsKeepTheirProportions) {
    openWindow();
    window->resize(800, 560);
    window->show();
    QCoreApplication::processEvents();
    const double scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                             ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                             : 1.0;
    EXPECT_DOUBLE_EQ(window->devicePixelRatio(), scale);

    // Proportions of the window's outer width, as the layout's arithmetic gives them.
    const double w = window->frameGeometry().width();
    const double tpp = 1440.0 / window->logicalDpiX();
    auto fraction = [&](const char* name) { return control<QWidget>(name)->width() / w; };
    EXPECT_NEAR(fraction("SSTab"), (w * tpp - 500) / (w * tpp), 0.01);
    EXPECT_NEAR(fraction("lstPlaylist"), (w * tpp - 1000) / 2 / (w * tpp), 0.01);
    const double tabs = w * tpp - 500;
    EXPECT_NEAR(fraction("tvMusic"), (tabs - 500) / 2 / (w * tpp), 0.01);
    EXPECT_NEAR(fraction("lstSongs0"), (tabs - 1000) / 2 / (w * tpp), 0.01);
    // The tab row fits above the lists, whose top is 480 twips into the tab control.
    EXPECT_LE(control<QTabBar>("SSTabBar")->height(), control<QWidget>("tvMusic")->y() + 1);

    frmSettings settings(*window, dialogs);
    settings.show();
    const QSize size = settings.size();
    EXPECT_NEAR(double(size.width()) / size.height(), 7740.0 / 3765.0, 0.02);
    const QWidget* server = settings.findChild<QGroupBox*>("fraServer");
    EXPECT_NEAR(double(server->width()) / size.width(), 7455.0 / 7740.0, 0.01);
    EXPECT_GE(settings.findChild<QWidget*>("txtServername")->height(),
              settings.findChild<QWidget*>("txtServername")->sizeHint().height());

    frmAbout about(dialogs);
    about.show();
    EXPECT_GT(about.width(), about.height());
}

} // namespace
