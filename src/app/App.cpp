#include "App.h"

#include "HttpClient.h"
#include "LibraryBrowser.h"
#include "MediaPlayer.h"
#include "PlaylistController.h"
#include "ServerSession.h"
#include "SettingsFile.h"
#include "SonaricVersion.h"
#include "TransferProgress.h"

#ifdef SONARIC_DESKTOP_BUS
#include "DesktopBus.h"
#include "MprisService.h"
#include "TrackNotifier.h"

#include <QGuiApplication>
#endif

namespace {

MpvPlayer::Options playerOptions(const App::Options& options) {
    MpvPlayer::Options player;
    player.nullAudio = options.nullAudio;
    player.tlsCaFile = options.tlsCaFile;
    return player;
}

} // namespace

App::App() : App(Options{}) {
}

App::App(Options options, QObject* parent)
    : QObject(parent), m_http(std::make_unique<HttpClient>()),
      m_server(std::make_unique<ServerSession>(m_session, *m_http, std::move(options.clock))),
      m_library(std::make_unique<LibraryBrowser>(*m_server)),
      m_player(std::make_unique<MediaPlayer>(playerOptions(options))),
      m_playlist(std::make_unique<PlaylistController>(*m_server, *m_player)),
      m_progress(std::make_unique<TransferProgress>(*m_http)) {
    connect(m_http.get(), &HttpClient::busyChanged, this, &App::requestRunningChanged);

    connect(m_server.get(), &ServerSession::statusTextChanged, &m_status, &StatusText::showPassing);
    connect(m_library.get(), &LibraryBrowser::statusTextChanged, &m_status, &StatusText::show);
    connect(m_library.get(), &LibraryBrowser::passingStatusTextChanged, &m_status,
            &StatusText::showPassing);
    connect(m_playlist.get(), &PlaylistController::statusTextChanged, &m_status, &StatusText::show);
    connect(m_playlist.get(), &PlaylistController::passingStatusTextChanged, &m_status,
            &StatusText::showPassing);
    connect(m_playlist.get(), &PlaylistController::added, &m_status, &StatusText::endPassing);

    connect(m_library.get(), &LibraryBrowser::busyChanged, this, &App::busyChanged);
    connect(m_playlist.get(), &PlaylistController::busyChanged, this, &App::busyChanged);
    connect(m_library.get(), &LibraryBrowser::failureReported, this, &App::failureReported);
    connect(m_playlist.get(), &PlaylistController::failureReported, this, &App::failureReported);

#ifdef SONARIC_DESKTOP_BUS
    // Once the event loop runs, after the window is shown: the window never waits for the bus.
    QMetaObject::invokeMethod(
        this,
        [this, bus = std::move(options.bus)] {
            connectDesktop(bus ? *bus : DesktopBus::connect());
        },
        Qt::QueuedConnection);
#endif
}

App::~App() = default;

QString App::programName() const {
    return QString::fromUtf8(SonaricVersion::Title);
}

bool App::loadSettings() {
    const std::optional<StoredSettings> stored = SettingsFile::read();
    if (!stored)
        return false;
    m_session.servername = stored->servername;
    m_session.username = stored->username;
    m_session.hashKey = stored->passwordDigest;
    m_session.autoRefresh = stored->autoRefresh;
    m_session.autoPlay = stored->autoPlay;
    // Queued: the window is shown first, so a slow server never keeps it from appearing.
    if (m_session.autoRefresh)
        QMetaObject::invokeMethod(this, &App::refreshLibrary, Qt::QueuedConnection);
    return true;
}

void App::refreshLibrary() {
    m_library->refreshLibrary();
}

bool App::isBusy() const {
    return m_library->isBusy() || m_playlist->isBusy() || m_http->isBusy();
}

void App::cancel() {
    m_http->cancel();
}

#ifdef SONARIC_DESKTOP_BUS
// Media keys, the shell's media controls and notifications, where the desktop offers them. A
// song is announced only while no window of the program has the keyboard.
void App::connectDesktop(const QDBusConnection& bus) {
    auto* mpris = new MprisService(*m_player, this);
    connect(mpris, &MprisService::raiseRequested, this, &App::raiseRequested);
    mpris->registerOn(bus);
    new TrackNotifier(
        *m_player, bus, [] { return QGuiApplication::focusWindow() != nullptr; }, this);
}
#endif
