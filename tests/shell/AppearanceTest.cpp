// The window with the desktop's colours and fonts: a dark palette and an 18 pt font, checked by
// the pixels it paints.
#include "ClientFixture.h"

#include <QSlider>
#include <QToolButton>

#include <cmath>

namespace {

double luminance(QColor c) {
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// The WCAG contrast ratio of two colours, 1 to 21.
double contrast(QColor a, QColor b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pixels of a widget as it paints itself.
std::vector<QColor> pixelsOf(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    std::vector<QColor> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(image.pixelColor(x, y));
    return out;
}

// The strongest contrast any painted pixel has with the background at the top-left corner.
double strongestContrast(QWidget* widget) {
    const QColor background = widget->grab().toImage().pixelColor(1, 1);
    double best = 1;
    for (const QColor& c : pixelsOf(widget))
        best = std::max(best, contrast(c, background));
    return best;
}

// Pixels painted in (nearly) the given colour: a caption's ink.
qsizetype inkOf(QWidget* widget, QColor ink) {
    const std::vector<QColor> pixels = pixelsOf(widget);
    return std::count_if(pixels.begin(), pixels.end(), [ink](QColor c) {
        return std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green()) +
                   std::abs(c.blue() - ink.blue()) <
               120;
    });
}

QPalette darkPalette() {
    const QColor window(45, 45, 48), base(30, 30, 30), text(235, 235, 235);
    QPalette p(text, window, window.lighter(), window.darker(), window, text, text, base, window);
    for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, r, QColor(120, 120, 120));
    return p;
}

class Appearance : public ClientFixture {
protected:
    QFont savedFont = QApplication::font();
    QPalette savedPalette = QApplication::palette();

    void TearDown() override {
        ClientFixture::TearDown();
        QApplication::setFont(savedFont);
        QApplication::setPalette(savedPalette);
    }

    void showWindow() {
        openWindow();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        refresh();
        for (std::int64_t id : {1, 2})
            addSong(id);
        app->player().jumpTo(0);
        ASSERT_TRUE(
            eventually([&] { return !control<QLabel>("lblNowPlaying")->text().isEmpty(); }));
        QCoreApplication::processEvents();
    }
};

TEST_F(Appearance, TheDefaultFontKeepsTheSpecifiedGeometry) {
    showWindow();
#ifdef _WIN32
    EXPECT_EQ(window->logicalDpiX(), 96); // 15 twips a pixel
#endif
    const double tpp = 1440.0 / window->logicalDpiX();
    // 9885 twips wide, or wider where the system's font needs room for the player's controls.
    EXPECT_GE(window->width(), std::lround(9885 / tpp));
    const ControlLayout& layout = window->controlLayout();
    const auto expected = [tpp](const TwipRect& r) {
        const auto px = [tpp](float t) { return static_cast<int>(std::lround(t / tpp)); };
        return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
    };
    const std::pair<const char*, TwipRect> controls[] = {{"WindowsMediaPlayer1", layout.player},
                                                         {"lstPlaylist", layout.playlist},
                                                         {"lblNowPlaying", layout.nowPlaying},
                                                         {"cmdDeleteItem", layout.deleteItem},
                                                         {"cmdClearPlaylist", layout.clearPlaylist},
                                                         {"SSTab", layout.tabs},
                                                         {"tvMusic", layout.tree},
                                                         {"lstSongs0", layout.songs[0]},
                                                         {"txtBasicSearch", layout.searchText},
                                                         {"cmdBasicSearch", layout.searchButton}};
    // Where the system's font fits the design, the design stands; a wider font (Wine's
    // stand-in for the Windows one) only widens what needs it.
    for (const auto& [name, twips] : controls) {
        QWidget* widget = control<QWidget>(name);
        const QRect design = expected(twips);
        if (qobject_cast<QPushButton*>(widget) && widget->sizeHint().width() > design.width()) {
            EXPECT_EQ(widget->width(), widget->sizeHint().width()) << name;
            EXPECT_EQ(widget->y(), design.y()) << name;
            continue;
        }
        // The tree shares its place with the library filter above it.
        const QRect shown =
            QByteArray(name) == "tvMusic"
                ? widget->geometry().united(control<QWidget>("txtLibraryFilter")->geometry())
                : widget->geometry();
        EXPECT_EQ(shown, design) << name;
    }
}

TEST_F(Appearance, AnEighteenPointFontCutsNoCaption) {
    QFont large = QApplication::font();
    large.setPointSize(18);
    QApplication::setFont(large);
    showWindow();

    for (const char* name : {"cmdDeleteItem", "cmdClearPlaylist", "cmdBasicSearch"}) {
        auto* button = control<QPushButton>(name);
        EXPECT_GE(button->width(), button->sizeHint().width()) << name;
        EXPECT_GE(button->height(), button->sizeHint().height()) << name;
        // By the pixels: the caption has as much ink as on a button of its natural size.
        QPushButton reference(button->text());
        reference.resize(reference.sizeHint());
        const QColor ink = button->palette().color(QPalette::ButtonText);
        EXPECT_GE(inkOf(button, ink), inkOf(&reference, ink) * 9 / 10) << name;
    }
    auto* nowPlaying = control<QLabel>("lblNowPlaying");
    EXPECT_GE(nowPlaying->height(), nowPlaying->fontMetrics().lineSpacing() * 3);
    auto* seek = control<QSlider>("playerSeek");
    EXPECT_GE(seek->width(), seek->minimumWidth());
    EXPECT_GT(seek->minimumWidth(), 50);
    // Grown controls push what lies below them down instead of covering it.
    const auto bottom = [&](const char* name) {
        return control<QWidget>(name)->geometry().bottom();
    };
    const int tabsTop = control<QWidget>("SSTab")->y();
    EXPECT_LT(bottom("lblNowPlaying"), control<QWidget>("WindowsMediaPlayer1")->y());
    EXPECT_LT(bottom("WindowsMediaPlayer1"), tabsTop);
    EXPECT_LT(bottom("cmdDeleteItem"), tabsTop);
    EXPECT_LT(control<QWidget>("cmdDeleteItem")->geometry().right(),
              control<QWidget>("cmdClearPlaylist")->x());
    EXPECT_LE(bottom("tvMusic"), control<QWidget>("SSTab")->height());
    EXPECT_GT(control<QWidget>("txtLibraryFilter")->y(), control<QWidget>("SSTabBar")->height());
    EXPECT_GT(control<QWidget>("tvMusic")->y(), bottom("txtLibraryFilter"));
    auto* frame = control<QWidget>("fraBasicSearch");
    EXPECT_GE(control<QWidget>("txtBasicSearch")->y(), frame->fontMetrics().height());
    EXPECT_LT(bottom("txtBasicSearch"), control<QWidget>("cmdBasicSearch")->y());
    EXPECT_LT(bottom("cmdBasicSearch"), frame->height());
    auto* volume = control<QSlider>("playerVolume");
    EXPECT_GE(volume->width(), volume->fontMetrics().horizontalAdvance("0000"));
}

TEST_F(Appearance, ADarkPaletteKeepsEverythingReadable) {
    QApplication::setPalette(darkPalette());
    showWindow();

    // The now-playing box brings its own pair of colours.
    const double label = strongestContrast(control<QLabel>("lblNowPlaying"));
    std::printf("[ measure  ] dark palette: now playing %.1f:1", label);
    EXPECT_GE(label, 7.0);
    for (const char* name : {"playerPlayPause", "playerStop", "playerNext", "playerMute"}) {
        auto* button = control<QToolButton>(name);
        button->setEnabled(true);
        const double icon = strongestContrast(button);
        std::printf(", %s %.1f:1", name, icon);
        EXPECT_GE(icon, 4.5) << name;
    }
    std::printf("\n");
}

} // namespace
