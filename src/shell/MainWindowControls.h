#pragma once

#include <array>

class ControlLayout;
class QAction;
class PlayerControlBar;
class PlaylistView;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QTreeView;
class QWidget;
class SectionTabBar;
class SpokenLabel;

// The main window's controls: made with their names, described for screen readers, and placed
// where the layout says. What they do is the window's business.
struct MainWindowControls {
    void create(QMainWindow& window);
    void describe(QMainWindow& window);
    // The layout's geometry, in pixels; at a font larger than the controls were laid out for,
    // a control grows to what its text needs and what lies below it moves down, so no caption
    // is cut.
    void place(const ControlLayout& layout, double twipsPerPixel);

    QWidget* client = nullptr;
    PlayerControlBar* player = nullptr;
    PlaylistView* playlist = nullptr;
    SpokenLabel* nowPlaying = nullptr;
    QPushButton* deleteItem = nullptr;
    QPushButton* clearPlaylist = nullptr;
    QWidget* tabs = nullptr;
    SectionTabBar* tabBar = nullptr;
    // By song list: Library::LibraryList, Library::SearchList.
    std::array<QFrame*, 2> pages{};
    QLineEdit* libraryFilter = nullptr; // above the tree
    QTreeView* tree = nullptr;
    std::array<QListView*, 2> songs{};
    // Their context menus' "Add to Playlist": the selected songs, the current node's tracks.
    std::array<QAction*, 2> addSongs{};
    QAction* addTracks = nullptr;
    QGroupBox* searchFrame = nullptr;
    QLineEdit* searchText = nullptr;
    QPushButton* searchButton = nullptr;
    SpokenLabel* statusText = nullptr;  // the status bar's first panel
    SpokenLabel* artistCount = nullptr; // and its second
    QLabel* transferText = nullptr;
    QProgressBar* transferBar = nullptr;
    QLabel* cancelHint = nullptr;
};
