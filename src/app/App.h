#pragma once

#include "Clock.h"
#include "SessionSettings.h"
#include "SessionState.h"
#include "StatusText.h"

#include <QObject>
#ifdef SONARIC_DESKTOP_BUS
#include <QDBusConnection>
#endif

#include <memory>
#include <optional>

class HttpClient;
class LibraryBrowser;
class MediaPlayer;
class PlaylistController;
class ServerSession;
class TransferProgress;

// The program without its windows: builds every service once (the session and its server calls,
// the library, the playlist and its player, the desktop's media controls and notifications, the
// progress of a request) and says what goes on: the status text, whether a command waits for the
// server, the failures to report. A window shows what it says and forwards what the user asks.
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
    QString programName() const override;
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
    void refreshLibrary() override;

    HttpClient& http() {
        return *m_http;
    }
    ServerSession& server() {
        return *m_server;
    }
    LibraryBrowser& library() {
        return *m_library;
    }
    MediaPlayer& player() {
        return *m_player;
    }
    PlaylistController& playlist() {
        return *m_playlist;
    }
    TransferProgress& progress() {
        return *m_progress;
    }
    StatusText& status() {
        return m_status;
    }

    // A command waits for the server.
    bool isBusy() const;
    // Ends the wait of the running command, if any.
    void cancel();

signals:
    // A request to the server started or ended: the user's input is held back meanwhile.
    void requestRunningChanged(bool running);
    // The busy pointer: a command waits for the server.
    void busyChanged(bool busy);
    void failureReported(const QString& message);
    // The desktop asked for the window.
    void raiseRequested();

private:
#ifdef SONARIC_DESKTOP_BUS
    void connectDesktop(const QDBusConnection& bus);
#endif

    SessionState m_session;
    StatusText m_status;
    std::unique_ptr<HttpClient> m_http;
    std::unique_ptr<ServerSession> m_server;
    std::unique_ptr<LibraryBrowser> m_library;
    std::unique_ptr<MediaPlayer> m_player;
    std::unique_ptr<PlaylistController> m_playlist;
    std::unique_ptr<TransferProgress> m_progress;
};
