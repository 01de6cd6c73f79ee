#include "App.h"

#include "AddSongCommand.h"
#include "AddSongsCommand.h"
#include "CommandRunner.h"
#include "HttpClient.h"
#include "HttpSession.h"
#include "Library.h"
#include "MediaPlayer.h"
#include "PlaylistKeeper.h"
#include "RefreshLibraryCommand.h"
#include "SettingsFile.h"
#include "SonaricVersion.h"
#include "SongListCommand.h"
#include "TransferProgress.h"

#ifdef Q_OS_WIN
#include "WindowsMediaControls.h"
#endif

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
      m_server(std::make_unique<HttpSession>(m_session, *m_http, std::move(options.clock))),
      m_library(std::make_unique<Library>()),
      m_player(std::make_unique<MediaPlayer>(playerOptions(options))),
      m_progress(std::make_unique<TransferProgress>(*m_http, m_time)),
      m_commands(std::make_unique<CommandRunner>()) {
    connect(m_commands.get(), &CommandRunner::statusTextChanged, &m_status, &StatusText::show);
    connect(m_commands.get(), &CommandRunner::passingStatusTextChanged, &m_status,
            &StatusText::showPassing);
    connect(m_player.get(), &MediaPlayer::itemFailed, &m_status,
            [this](const std::shared_ptr<MediaItem>& item) {
                m_status.show(failedTrackText(item->track().title));
            });
    // A song is in the playlist: what an earlier add or a cancel left in the status is over.
    connect(m_player.get(), &MediaPlayer::added, &m_status, &StatusText::endPassing);

    connect(m_commands.get(), &CommandRunner::busyChanged, &m_status, [this](bool busy) {
        if (busy)
            m_status.commandStarted();
    });
    connect(m_commands.get(), &CommandRunner::busyChanged, this, &App::busyChanged);
    connect(m_commands.get(), &CommandRunner::failureReported, this, &App::failureReported);
    connect(m_commands.get(), &CommandRunner::ended, this, &App::commandEnded);

    m_playlists = std::make_unique<PlaylistKeeper>(*m_server, *m_player, *m_commands,
                                                   SettingsFile::folderPath() + QLatin1Char('/') +
                                                       PlaylistKeeper::rememberedFileName());
    connect(m_playlists.get(), &PlaylistKeeper::rememberingChanged, this,
            &App::rememberPlaylistChanged);
    connect(m_playlists.get(), &PlaylistKeeper::rememberFailed, &m_status, &StatusText::show);

#ifdef Q_OS_WIN
    m_mediaControls = std::make_unique<WindowsMediaControls>(*m_player);
#endif
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

QString App::failedTrackText(const QString& title) {
    return tr("Could not play \"%1\"").arg(title);
}

#ifdef Q_OS_WIN
void App::attachMediaControls(WId window) {
    m_mediaControls->attach(window);
}
#endif

QString App::title() {
    return QString::fromUtf8(SonaricVersion::Title);
}

bool App::loadSettings() {
    m_playlists->loadRemembered();
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
    auto refresh = std::make_unique<RefreshLibraryCommand>(*m_server, *m_library);
    // Once the refresh has ended: the runner takes one command at a time.
    connect(refresh.get(), &Command::finished, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (const std::optional<QString> failure = m_playlists->restoreRemembered())
                    emit failureReported(*failure);
            },
            Qt::QueuedConnection);
    });
    m_commands->run(std::move(refresh));
}

void App::savePlaylist(const QString& path) {
    if (const std::optional<QString> failure = m_playlists->save(path))
        return emit failureReported(*failure);
    m_status.show(tr("Playlist saved"));
}

void App::openPlaylist(const QString& path) {
    if (const std::optional<QString> failure = m_playlists->open(path))
        emit failureReported(*failure);
}

bool App::remembersPlaylist() const {
    return m_playlists->isRemembering();
}

void App::setRememberPlaylist(bool remember) {
    m_playlists->setRemembering(remember);
}

void App::showTracks(const QString& nodeKey) {
    m_commands->run(SongListCommand::tracks(*m_server, *m_library, nodeKey));
}

void App::search(const QString& text) {
    m_commands->run(SongListCommand::search(*m_server, *m_library, text));
}

void App::addSong(std::optional<std::int64_t> songId) {
    m_commands->run(std::make_unique<AddSongCommand>(*m_server, *m_player, songId));
}

void App::addSongs(const std::vector<std::optional<std::int64_t>>& songIds) {
    if (songIds.size() == 1)
        return addSong(songIds.front());
    if (!songIds.empty())
        m_commands->run(std::make_unique<AddSongsCommand>(*m_server, *m_player, songIds));
}

void App::addTracksOf(const QString& nodeKey) {
    m_commands->run(AddSongsCommand::tracksOf(*m_server, *m_library, *m_player, nodeKey));
}

bool App::isBusy() const {
    return m_commands->isRunning();
}

void App::cancel() {
    m_commands->cancel();
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
