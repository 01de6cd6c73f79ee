#pragma once

#include "ControlLayout.h"
#include "MainWindowControls.h"

#include <QMainWindow>

class App;
class UserDialogs;

// The main window: the Library menu, the catalogue tree, both song lists, the playlist and the
// player area, showing what the application object says and forwarding what the user asks.
// Controls carry their names as object names.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(App& app, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Lays out, and has the settings file read; asks for settings when there are none (showing
    // the window first, as the dialog's owner). The library refresh that start-up may call for
    // runs once the event loop does, after the window has been shown.
    void load();
    // Start-up as the program runs it: load, then the window is shown unless start-up has
    // shown it already. False when the user closed the window during start-up: the program ends.
    bool start();
    // Shown, restored from minimized and made the active window, when the user asks for the
    // client again (a second start, the desktop's media controls).
    void bringToFront();

    const ControlLayout& controlLayout() const { return m_layout; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenu();
    void createControls();
    void connectRequestGate();
    void showTransferProgress();
    void connectLibrary();
    void layOutControls();
    void showSongList(int previousTab);
    void showTracksOf(const QModelIndex& index);
    void search();
    void addSelectedSongs(int index);
    void playSelected();
    void deleteSelected();
    void clearPlaylist();
    void connectPlayback();
    void connectPlayerKeys();
    void showTab(int tab);
    int playlistSelection() const;
    void moveLine(int line, int to);
    void selectPlaylistLine(int line);
    void askToExit();
    void setBusyPointer(bool busy);
    void showBusyPointer();
    double twipsPerPixel() const;

    App& m_app;
    UserDialogs& m_dialogs;
    ControlLayout m_layout;

    MainWindowControls m_ui;
    int m_currentTab = 0;
    bool m_busy = false;
    bool m_busyPointer = false;
    bool m_pointerOnTransport = false;
    bool m_shown = false;
#ifdef Q_OS_WIN
#endif
};
