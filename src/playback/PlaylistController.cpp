#include "PlaylistController.h"

#include "MediaPlayer.h"
#include "RequestUrl.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "SongDetails.h"
#include "StreamAddress.h"
#include "XmlDocument.h"

#include <QScopeGuard>

namespace {

const QString TitleInfo = QStringLiteral("SNR/Title");
const QString ArtistInfo = QStringLiteral("SNR/Artist");
const QString AlbumInfo = QStringLiteral("SNR/Album");

// One line of the now-playing label, isolated so that direction marks in one field (a
// right-to-left override in a title, say) cannot reorder the others.
QString isolated(const QString& field) {
    return QChar(0x2068) + field + QChar(0x2069);
}

} // namespace

PlaylistController::PlaylistController(ServerSession& server, MediaPlayer& player, QObject* parent)
    : QObject(parent), m_server(server), m_player(player), m_lines(player) {
    connect(&m_player, &MediaPlayer::currentItemChanged, this,
            &PlaylistController::showCurrentItem);
    connect(&m_player, &MediaPlayer::itemFailed, this,
            [this](const std::shared_ptr<MediaItem>& item) {
                emit statusTextChanged(statusOfFailedItem(item->info(TitleInfo)));
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

// The label's three lines follow every change of the current item, playing or not; with no
// current item left, it is empty.
void PlaylistController::showCurrentItem(const std::shared_ptr<MediaItem>& item) {
    if (!item) {
        setNowPlaying(QString());
        return;
    }
    setNowPlaying(isolated(item->info(TitleInfo)) + QLatin1Char('\n') +
                  isolated(item->info(ArtistInfo)) + QLatin1Char('\n') +
                  isolated(item->info(AlbumInfo)));
}

void PlaylistController::addSong(std::optional<std::int64_t> songId) {
    if (m_busy)
        return;
    if (!songId) {
        reportFailure(idNotANumber());
        return;
    }
    setBusy(true);
    const auto idle = qScopeGuard([this] { setBusy(false); });

    XmlDocument reply;
    m_server.load(
        [songId = *songId](const SessionState& s) {
            return RequestUrl::song(s.servername, s.authToken, songId);
        },
        reply);
    if (reply.wasCancelled()) {
        emit passingStatusTextChanged(tr("Cancelled"));
        return;
    }
    // Every field is read before anything changes, so a line never lacks its item.
    const std::optional<SongDetails> song = readSong(reply);
    if (!song)
        return;
    std::shared_ptr<MediaItem> item = m_player.createItem(StreamAddress::parse(song->url));
    item->setInfo(TitleInfo, song->title);
    item->setInfo(ArtistInfo, song->artist);
    item->setInfo(AlbumInfo, song->album);
    if (!m_player.append(std::move(item))) {
        reportFailure(notHttpAddress());
        return;
    }
    const int line = count();
    m_lines.insertRows(line, 1);
    m_lines.setData(m_lines.index(line), song->title);
    emit selectRequested(line);
    emit added();
    if (m_server.state().autoPlay && count() == 1)
        m_player.play();
}

std::optional<SongDetails> PlaylistController::readSong(const XmlDocument& reply) {
    SongDetails song = SongDetails::read(reply);
    switch (song.problem) {
    case SongDetails::Problem::None:
        return song;
    case SongDetails::Problem::NotHttpAddress:
        reportFailure(notHttpAddress());
        break;
    case SongDetails::Problem::Incomplete:
        reportFailure(ServerFailure::message(reply));
        break;
    }
    return std::nullopt;
}

// The pointer is back before the box appears: the box waits for the user, not the server.
void PlaylistController::reportFailure(const QString& message) {
    setBusy(false);
    emit failureReported(message);
    emit statusTextChanged(QString());
}

QString PlaylistController::idNotANumber() {
    return tr("The server listed this song with an id that is not a whole number, so it cannot "
              "be added.");
}

QString PlaylistController::notHttpAddress() {
    return tr("The server sent a stream address that is not http or https.");
}

void PlaylistController::jumpTo(int line) {
    if (line < 0 || line >= count())
        return;
    m_player.setCurrentItem(m_player.playlist().item(line));
}

void PlaylistController::deleteLine(int line) {
    if (line < 0 || line >= count())
        return;
    m_player.remove(m_player.playlist().item(line));
    m_lines.removeRows(line, 1);
    // Repeated deletes walk down the list; deleting the last line leaves no selection.
    emit selectRequested(line < count() ? line : -1);
}

void PlaylistController::clear() {
    m_player.clear();
    m_lines.setStringList({});
    setNowPlaying(QString());
}
