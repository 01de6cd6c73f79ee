#pragma once

#include "Clock.h"
#include "ControlLayout.h"
#include "SessionSettings.h"
#include "SessionState.h"
#include "StatusText.h"

#include <QMainWindow>
#ifdef SONARIC_DESKTOP_BUS
#include <QDBusConnection>
#endif

#include <array>
#include <memory>
#include <optional>

class HttpClient;
class LibraryBrowser;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class TransferProgress;
class QLineEdit;
class QListView;
class MediaPlayer;
class PlayerControlBar;
class PlaylistController;
class QPushButton;
class RequestInputGate;
class ServerSession;
class SpokenLabel;
class SectionTabBar;
class QTreeView;
class UserDialogs;

// The main window: session state, the Library menu, the catalogue tree, both song lists, the
// playlist and the player area. Controls carry their names as object names.
class frmPlayer : public QMainWindow, public SessionSettings {
    Q_OBJECT

public:
    struct Options {
        UnixClock clock = systemUnixClock();
        bool nullAudio = false; // play to no sound device (tests)
        QByteArray tlsCaFile;   // certificate authorities for https streams besides the system's
#ifdef SONARIC_DESKTOP_BUS
        // For media keys and notifications; by default the session's, where there is one.
        std::optional<QDBusConnection> bus;
#endif
    };

    explicit frmPlayer(UserDialogs& dialogs, QWidget* parent = nullptr);
    frmPlayer(UserDialogs& dialogs, Options options, QWidget* parent = nullptr);
    ~frmPlayer() override;

    // Lays out, reads the settings file and asks for settings when there are none (showing the
    // window first, as the dialog's owner). The library refresh it calls for runs once the event
    // loop does, after the window has been shown.
    void Form_Load();
    // Start-up as the program runs it: Form_Load, then the window is shown unless start-up has
    // shown it already. False when the user closed the window during start-up: the program ends.
    bool start();

    void RefreshLibrary() override;
    QString ProgramName() const override;
    // Shown, restored from minimized and made the active window, when the user asks for the
    // client again (a second start, the desktop's media controls).
    void bringToFront();

    QString Servername() const {
        return m_session.servername;
    }
    void setServername(const QString& value) override {
        m_session.servername = value;
    }
    QString Username() const {
        return m_session.username;
    }
    void setUsername(const QString& value) override {
        m_session.username = value;
    }
    QString HashKey() const {
        return m_session.hashKey;
    }
    void setHashKey(const QString& value) override {
        m_session.hashKey = value;
    }
    bool AutoRefresh() const {
        return m_session.autoRefresh;
    }
    void setAutoRefresh(bool value) override {
        m_session.autoRefresh = value;
    }
    bool AutoPlay() const {
        return m_session.autoPlay;
    }
    void setAutoPlay(bool value) override {
        m_session.autoPlay = value;
    }

    QString authToken() const {
        return m_session.authToken;
    }
    HttpClient& httpClient() {
        return *m_http;
    }
    ServerSession& serverSession() {
        return *m_server;
    }
    LibraryBrowser& library() {
        return *m_library;
    }
    PlaylistController& playlist() {
        return *m_playlistController;
    }
    MediaPlayer& mediaPlayer() {
        return *m_mediaPlayer;
    }
    const ControlLayout& controlLayout() const {
        return m_layout;
    }

    static QString applicationTitle();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createMenu();
    void createControls();
    void connectRequestGate();
    void showTransferProgress();
    void connectLibrary();
    void describeControls();
    void ResizeControls();
    void applyLayout();
    void SSTab_Click(int previousTab);
    void tvMusic_NodeClick(const QModelIndex& index);
    void cmdBasicSearch_Click();
    void lstSongs_DblClick(int index);
    void lstPlaylist_DblClick();
    void cmdDeleteItem_Click();
    void cmdClearPlaylist_Click();
    void connectPlayback();
    void connectPlayerKeys();
    void showTab(int tab);
#ifdef SONARIC_DESKTOP_BUS
    void connectDesktop(const QDBusConnection& bus);
#endif
    int playlistSelection() const;
    void selectPlaylistLine(int line);
    void mnuExit_Click();
    void setBusyPointer(bool busy);
    double twipsPerPixel() const;

    UserDialogs& m_dialogs;
    SessionState m_session;
    ControlLayout m_layout;
    StatusText m_statusText;
    std::unique_ptr<HttpClient> m_http;
    std::unique_ptr<ServerSession> m_server;
    std::unique_ptr<LibraryBrowser> m_library;
    std::unique_ptr<MediaPlayer> m_mediaPlayer;
    std::unique_ptr<PlaylistController> m_playlistController;

    RequestInputGate* m_inputGate = nullptr;
    QWidget* m_client = nullptr;
    PlayerControlBar* m_player = nullptr;
    QListView* m_playlist = nullptr;
    SpokenLabel* m_nowPlaying = nullptr;
    QPushButton* m_deleteItem = nullptr;
    QPushButton* m_clearPlaylist = nullptr;
    QWidget* m_tabs = nullptr;
    SectionTabBar* m_tabBar = nullptr;
    std::array<QFrame*, 2> m_pages{};
    QTreeView* m_tree = nullptr;
    std::array<QListView*, 2> m_songs{};
    QGroupBox* m_searchFrame = nullptr;
    QLineEdit* m_searchText = nullptr;
    QPushButton* m_searchButton = nullptr;
    SpokenLabel* m_statusPanel1 = nullptr;
    SpokenLabel* m_statusPanel2 = nullptr;
    TransferProgress* m_transferProgress = nullptr;
    QLabel* m_transferText = nullptr;
    QProgressBar* m_transferBar = nullptr;
    QLabel* m_cancelHint = nullptr;
    int m_currentTab = 0;
    bool m_busyPointer = false;
    bool m_closePending = false;
    bool m_shown = false;
};
