#include "PlaylistController.h"

#include "MediaPlayer.h"
#include "SongDetails.h"
#include "StreamAddress.h"

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

PlaylistController::PlaylistController(MediaPlayer& player, QObject* parent)
    : QObject(parent), m_player(player) {
    connect(&m_player, &MediaPlayer::currentItemChanged, this,
            &PlaylistController::showCurrentItem);
    connect(&m_player, &MediaPlayer::itemFailed, this,
            [this](const std::shared_ptr<MediaItem>& item) {
                emit statusTextChanged(statusOfFailedItem(item->info(TitleInfo)));
            });
}

int PlaylistController::count() const {
    return m_player.playlist().count();
}

QString PlaylistController::statusOfFailedItem(const QString& title) {
    return tr("Could not play \"%1\"").arg(title);
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

bool PlaylistController::add(const SongDetails& song, bool autoPlay) {
    std::shared_ptr<MediaItem> item = m_player.createItem(StreamAddress::parse(song.url));
    item->setInfo(TitleInfo, song.title);
    item->setInfo(ArtistInfo, song.artist);
    item->setInfo(AlbumInfo, song.album);
    if (!m_player.append(std::move(item)))
        return false;
    emit selectRequested(count() - 1);
    emit added();
    if (autoPlay && count() == 1)
        m_player.play();
    return true;
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
    // Repeated deletes walk down the list; deleting the last line leaves no selection.
    emit selectRequested(line < count() ? line : -1);
}

void PlaylistController::moveLine(int line, int to) {
    if (line < 0 || line >= count() || to < 0 || to >= count())
        return;
    m_player.move(line, to);
    emit selectRequested(to);
}

void PlaylistController::clear() {
    m_player.clear();
    setNowPlaying(QString());
}
