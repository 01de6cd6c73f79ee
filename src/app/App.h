#pragma once

#include "Clock.h"
#include "SessionSettings.h"
#include "SessionState.h"
#include "StatusText.h"
#include "SystemTimeline.h"

#include <QObject>
#ifdef Q_OS_WIN
#include <QWindow>
#endif
#ifdef SONARIC_DESKTOP_BUS
#include <QDBusConnection>
#endif

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CommandRunner;
class HttpClient;
class Library;
class MediaPlayer;
class PlaylistKeeper;
class ServerSession;
class TransferProgress;
class WindowsMediaControls;

// The program without its windows: builds every service once (the session and its server calls,
// the library, the playlist and its player, the desktop's media controls and notifications, the
// progress of a request) and says what goes on: the status text, whether a command waits for the
// server, the failures to report. A window shows what it says and forwards what the user asks.
// The commands run one at a time: one asked for while another runs is dropped.
class App : public QObject, public SessionSettings {
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

    App();
    explicit App(Options options, QObject* parent = nullptr);
    ~App() override;

    // Reads the settings file into the session; with auto-refresh on, the refresh is queued to
    // run once the event loop does. False when there is no readable settings file.
    bool loadSettings();

    const SessionState& session() const {
        return m_session;
    }
    // The program's title: its windows' captions, the name desktops show.
    static QString title();
    void setServername(const QString& value) override {
        m_session.servername = value;
    }
    void setUsername(const QString& value) override {
        m_session.username = value;
    }
    void setHashKey(const QString& value) override {
        m_session.hashKey = value;
    }
    void setAutoRefresh(bool value) override {
        m_session.autoRefresh = value;
    }
    void setAutoPlay(bool value) override {
        m_session.autoPlay = value;
    }
    // Signs in and builds the catalogue tree.
    void refreshLibrary() override;
    // Lists the tracks of a tree node ("artist<id>" or "album<id>").
    void showTracks(const QString& nodeKey);
    void search(const QString& text);
    // A song of one of the lists; no id when the server listed it with none that is usable.
    void addSong(std::optional<std::int64_t> songId);
    // Songs of one of the lists, in list order; one alone is added as addSong() adds it.
    void addSongs(const std::vector<std::optional<std::int64_t>>& songIds);
    // All the tracks of a tree node, listed first as showTracks() lists them.
    void addTracksOf(const QString& nodeKey);

    // The playlist in files; failures are reported.
    void savePlaylist(const QString& path);
    void openPlaylist(const QString& path);
    bool remembersPlaylist() const;
    void setRememberPlaylist(bool remember);

    HttpClient& http() {
        return *m_http;
    }
    ServerSession& server() {
        return *m_server;
    }
    Library& library() {
        return *m_library;
    }
    MediaPlayer& player() {
        return *m_player;
    }
    TransferProgress& progress() {
        return *m_progress;
    }
    StatusText& status() {
        return m_status;
    }

#ifdef Q_OS_WIN
    // The taskbar buttons go on this top-level window's taskbar button.
    void attachMediaControls(WId window);
#endif
    // What the status bar says when an entry's stream could not be played.
    static QString failedTrackText(const QString& title);

    // A command runs, or its failure is being reported.
    bool isBusy() const;
    // Ends the running command, if any, as if it had not started.
    void cancel();

signals:
    // A command waits for the server: the pointer says so, and the user's input is held back.
    void busyChanged(bool busy);
    void failureReported(const QString& message);
    // A command is over, its failure reported.
    void commandEnded();
    // The desktop asked for the window.
    void raiseRequested();
    void rememberPlaylistChanged(bool remember);

private:
#ifdef SONARIC_DESKTOP_BUS
    void connectDesktop(const QDBusConnection& bus);
#endif

    SessionState m_session;
    StatusText m_status;
    std::unique_ptr<HttpClient> m_http;
    std::unique_ptr<ServerSession> m_server;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<MediaPlayer> m_player;
    SystemTimeline m_time;
    std::unique_ptr<TransferProgress> m_progress;
#ifdef Q_OS_WIN
    std::unique_ptr<WindowsMediaControls> m_mediaControls;
#endif
    std::unique_ptr<PlaylistKeeper> m_playlists;
    // Last: a command still running is cancelled before what it works on goes.
    std::unique_ptr<CommandRunner> m_commands;
};
