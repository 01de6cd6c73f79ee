#pragma once

// Geometry of the main window's controls in twips (1/1440 inch), kept in proportion to the
// window's outer size. Values are not rounded here; the window rounds when it applies them.
struct TwipRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

enum class WindowState { Normal, Minimized, Maximized };

struct ControlLayout {
    TwipRect player{240, 1200, 4500, 675};
    TwipRect playlist{5040, 240, 4500, 1020};
    TwipRect nowPlaying{250, 240, 4500, 855};
    TwipRect deleteItem{5040, 1440, 1665, 450};
    TwipRect clearPlaylist{7800, 1440, 1665, 450};
    TwipRect statusBar{0, 5940, 9885, 375};
    TwipRect tabs{240, 2160, 9375, 3615};
    TwipRect tree{240, 480, 4215, 2775};
    TwipRect songs[2] = {{4680, 480, 4455, 2700}, {4680, 480, 4455, 2700}};
    TwipRect searchFrame{240, 480, 4215, 1335};
    TwipRect searchText{120, 360, 3855, 375};
    TwipRect searchButton{2520, 840, 1455, 375};

    static constexpr float DesignClientWidth = 9885;
    static constexpr float DesignClientHeight = 6315;
    // Below these outer sizes some widths or heights would turn zero or negative.
    static constexpr float MinimumOuterWidth = 6000;
    static constexpr float MinimumOuterHeight = 5000;

    // Lays the controls out for the outer size W x H. A minimized window keeps its layout.
    void resizeControls(float outerWidth, float outerHeight, WindowState state);
};
