#include "PlaylistController.h"

#include "HttpClient.h"
#include "MediaPlayer.h"
#include "RequestUrl.h"
#include "ServerFailure.h"
#include "SessionState.h"
#include "SongDetails.h"
#include "XmlDocument.h"

#include <QScopeGuard>

namespace {

const QString TitleInfo = QStringLiteral("SNR/Title");
const QString ArtistInfo = QStringLiteral("SNR/Artist");
const QString AlbumInfo = QStringLiteral("SNR/Album");

} // namespace

PlaylistController::PlaylistController(SessionState& session, HttpClient& http, MediaPlayer& player,
                                       QObject* parent)
    : QObject(parent), m_session(session), m_http(http), m_player(player) {
    connect(&m_player, &MediaPlayer::CurrentItemChange, this, &PlaylistController::showCurrentItem);
    connect(&m_player, &MediaPlayer::itemFailed, this,
            [this](const std::shared_ptr<MediaItem>& item) {
                emit statusTextChanged(statusOfFailedItem(item->getItemInfo(TitleInfo)));
            });
}

QString PlaylistController::statusOfFailedItem(const QString& title) {
    return tr("Could not play \"%1\"").arg(title);
}

void PlaylistController::setBusy(bool busy) {
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

void PlaylistController::setNowPlaying(const QString& text) {
    m_nowPlaying = text;
    emit nowPlayingChanged(text);
}

// The label's three lines follow every change of the current item, playing or not.
void PlaylistController::showCurrentItem(const std::shared_ptr<MediaItem>& item) {
    if (!item)
        return;
    setNowPlaying(item->getItemInfo(TitleInfo) + QLatin1Char('\n') + item->getItemInfo(ArtistInfo) +
                  QLatin1Char('\n') + item->getItemInfo(AlbumInfo));
}

void PlaylistController::addSong(std::int64_t songId) {
    if (m_busy)
        return;
    setBusy(true);
    const auto idle = qScopeGuard([this] { setBusy(false); });

    XmlDocument reply;
    reply.load(RequestUrl::song(m_session.servername, m_session.authToken, songId), m_http);
    // Every field is read before anything changes, so a line never lacks its item.
    const std::optional<SongDetails> song = SongDetails::read(reply);
    if (!song) {
        emit failureReported(ServerFailure::message(reply));
        emit statusTextChanged(QString());
        return;
    }
    std::shared_ptr<MediaItem> item = m_player.newMedia(QUrl(song->url, QUrl::TolerantMode));
    item->setItemInfo(TitleInfo, song->title);
    item->setItemInfo(ArtistInfo, song->artist);
    item->setItemInfo(AlbumInfo, song->album);

    const int line = count();
    m_lines.insertRows(line, 1);
    m_lines.setData(m_lines.index(line), song->title);
    emit selectRequested(line);
    m_player.currentPlaylist().appendItem(std::move(item));
    if (m_session.autoPlay && count() == 1)
        m_player.play();
}

void PlaylistController::jumpTo(int line) {
    if (line < 0 || line >= count())
        return;
    m_player.setCurrentItem(m_player.currentPlaylist().Item(line));
}

void PlaylistController::deleteLine(int line) {
    if (line < 0 || line >= count())
        return;
    MediaPlaylist& playlist = m_player.currentPlaylist();
    playlist.removeItem(playlist.Item(line));
    m_lines.removeRows(line, 1);
    // Repeated deletes walk down the list; deleting the last line leaves no selection.
    emit selectRequested(line < count() ? line : -1);
}

void PlaylistController::clear() {
    m_player.currentPlaylist().clear();
    m_lines.setStringList({});
    setNowPlaying(QString());
}
