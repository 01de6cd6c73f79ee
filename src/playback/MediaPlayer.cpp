#include "MediaPlayer.h"

#include <algorithm>

MediaPlayer::MediaPlayer(MpvPlayer::Options options, QObject* parent)
    : QObject(parent), m_mpv(options, this) {
    connect(&m_mpv, &MpvPlayer::playlistPosChanged, this, &MediaPlayer::onPlaylistPos);
    connect(&m_mpv, &MpvPlayer::entryEnded, this, &MediaPlayer::onEntryEnded);
    connect(&m_mpv, &MpvPlayer::idleChanged, this, &MediaPlayer::updateState);
    connect(&m_mpv, &MpvPlayer::pausedChanged, this, &MediaPlayer::updateState);
    connect(&m_mpv, &MpvPlayer::seekableChanged, this, &MediaPlayer::transportChanged);
    connect(&m_mpv, &MpvPlayer::seeked, this, [this] { emit seeked(position()); });
    connect(&m_mpv, &MpvPlayer::volumeChanged, this, [this](int volume) {
        m_volume = volume;
        emit volumeChanged(volume);
    });
    connect(&m_mpv, &MpvPlayer::mutedChanged, this, [this](bool muted) {
        m_muted = muted;
        emit mutedChanged(muted);
    });
    connect(&m_mpv, &MpvPlayer::positionChanged, this,
            [this] { emit positionChanged(position()); });
    connect(&m_mpv, &MpvPlayer::durationChanged, this, &MediaPlayer::durationChanged);
    connect(this, &MediaPlayer::currentItemChanged, this, &MediaPlayer::showNowPlaying);
}

void MediaPlayer::add(Track track, bool autoPlay) {
    m_mpv.append(track.address);
    m_playlist.append(std::make_shared<MediaItem>(std::move(track), m_nextSerial++));
    updateFollower();
    emit transportChanged();
    emit added(count() - 1);
    if (autoPlay && count() == 1)
        play();
}

void MediaPlayer::jumpTo(int line) {
    startAt(line);
}

void MediaPlayer::setCurrentLine(int line) {
    if (m_state == PlaybackState::Stopped && m_playlist.item(line))
        setCurrent(m_playlist.item(line));
}

namespace {

// One line of the now-playing text, isolated so that direction marks in one field (a
// right-to-left override in a title, say) cannot reorder the others.
QString isolated(const QString& field) {
    return QChar(0x2068) + field + QChar(0x2069);
}

} // namespace

// The text follows every change of the current entry, playing or not.
void MediaPlayer::showNowPlaying(const std::shared_ptr<MediaItem>& item) {
    m_nowPlaying.clear();
    if (item) {
        const Track& track = item->track();
        m_nowPlaying = isolated(track.title) + QLatin1Char('\n') + isolated(track.artist) +
                       QLatin1Char('\n') + isolated(track.album);
    }
    emit nowPlayingChanged(m_nowPlaying);
}

// libmpv plays the entry that moves into the place of a removed current one, or stops when there
// is none; the current entry follows it, and falls back to the first as at the end of the list.
void MediaPlayer::deleteLine(int index) {
    const std::shared_ptr<MediaItem> item = m_playlist.item(index);
    if (!item)
        return;
    const bool wasCurrent = item == currentItem();
    m_mpv.remove(index);
    m_playlist.remove(index);
    m_order.forget(item);
    if (wasCurrent) {
        std::shared_ptr<MediaItem> successor = m_playlist.item(index);
        setCurrent(successor ? std::move(successor) : m_playlist.item(0));
    } else {
        updateFollower();
    }
    emit transportChanged();
}

bool MediaPlayer::moveLine(int from, int to) {
    if (!m_playlist.item(from) || !m_playlist.item(to))
        return false;
    if (from == to)
        return true;
    m_mpv.move(from, to);
    m_playlist.move(from, to);
    updateFollower();
    emit transportChanged();
    return true;
}

void MediaPlayer::clear() {
    m_mpv.clear();
    const bool hadCurrent = currentItem() != nullptr;
    m_playlist.clear();
    m_order.restart();
    m_follower.reset();
    if (hadCurrent)
        emit currentItemChanged(nullptr);
    emit transportChanged();
}

void MediaPlayer::setRepeat(RepeatMode repeat) {
    if (repeat == m_order.repeat())
        return;
    m_order.setRepeat(repeat);
    m_mpv.setRepeat(repeat);
    updateFollower();
    emit repeatChanged(repeat);
    emit transportChanged();
}

void MediaPlayer::stepRepeat() {
    switch (repeat()) {
    case RepeatMode::Off:
        return setRepeat(RepeatMode::All);
    case RepeatMode::All:
        return setRepeat(RepeatMode::One);
    case RepeatMode::One:
        break;
    }
    setRepeat(RepeatMode::Off);
}

// The entry playing counts as played in the new order.
void MediaPlayer::setShuffled(bool shuffled) {
    if (shuffled == m_order.isShuffled())
        return;
    m_order.setShuffled(shuffled);
    m_order.enter(currentItem());
    updateFollower();
    emit shuffledChanged(shuffled);
    emit transportChanged();
}

void MediaPlayer::setCurrent(std::shared_ptr<MediaItem> item) {
    if (item == currentItem())
        return;
    m_playlist.setCurrentItem(item);
    m_order.enter(item);
    updateFollower();
    emit currentItemChanged(std::move(item));
    emit transportChanged();
}

void MediaPlayer::updateFollower() {
    const std::shared_ptr<MediaItem> current = currentItem();
    m_follower = current ? m_order.after(m_playlist, current) : nullptr;
    m_mpv.setFollower(m_playlist.indexOf(current), m_playlist.indexOf(m_follower));
}

// libmpv reports -1 between entries, after a stop and after the last entry; the player's own
// current entry stays. Removing entries before it shifts its index but does not change it.
void MediaPlayer::onPlaylistPos(int index) {
    if (std::shared_ptr<MediaItem> item = m_playlist.item(index))
        setCurrent(std::move(item));
}

void MediaPlayer::onEntryEnded(int index, MpvPlayer::EndReason reason) {
    if (reason == MpvPlayer::EndReason::Stopped)
        return;
    const std::shared_ptr<MediaItem> item = m_playlist.item(index);
    if (reason == MpvPlayer::EndReason::Failed && item)
        emit itemFailed(item);
    // libmpv has run out of entries: the list starts again from the top on the next Play.
    if (item && item == currentItem() && !m_follower) {
        m_order.restart();
        setCurrent(m_playlist.item(0));
    }
}

void MediaPlayer::updateState() {
    PlaybackState state = PlaybackState::Playing;
    if (m_mpv.isIdle())
        state = PlaybackState::Stopped;
    else if (m_mpv.isPaused())
        state = PlaybackState::Paused;
    if (state == m_state)
        return;
    m_state = state;
    m_playlist.setPlaybackState(state);
    emit playbackStateChanged(state);
    emit transportChanged();
}

bool MediaPlayer::canGoNext() const {
    return m_follower != nullptr;
}

bool MediaPlayer::canGoPrevious() const {
    return m_order.before(m_playlist, currentItem()) != nullptr;
}

bool MediaPlayer::canSeek() const {
    return m_state != PlaybackState::Stopped && m_mpv.isSeekable();
}

double MediaPlayer::position() const {
    const double at = std::max(0.0, m_mpv.position());
    return duration() > 0 ? std::min(at, duration()) : at;
}

void MediaPlayer::play() {
    if (m_playlist.count() == 0)
        return;
    if (m_mpv.hasActiveEntry()) {
        m_mpv.setPaused(false);
        return;
    }
    startAt(std::max(0, currentIndex()));
}

// The item asked for is current from the moment it is asked for: libmpv reports its new playlist
// position only later, and until then the player would be playing with nothing to show for it.
void MediaPlayer::startAt(int index) {
    std::shared_ptr<MediaItem> item = m_playlist.item(index);
    if (!item)
        return;
    m_mpv.playIndex(index);
    setCurrent(std::move(item));
}

void MediaPlayer::pause() {
    if (m_mpv.hasActiveEntry())
        m_mpv.setPaused(true);
}

void MediaPlayer::togglePause() {
    if (m_mpv.hasActiveEntry() && !m_mpv.isPaused())
        pause();
    else
        play();
}

void MediaPlayer::stop() {
    m_mpv.stopKeepingPlaylist();
}

void MediaPlayer::previous() {
    startAt(m_playlist.indexOf(m_order.before(m_playlist, currentItem())));
}

void MediaPlayer::next() {
    startAt(m_playlist.indexOf(m_follower));
}

void MediaPlayer::seek(double seconds) {
    if (!canSeek())
        return;
    const double end = duration() > 0 ? duration() : seconds;
    m_mpv.seek(std::clamp(seconds, 0.0, end));
}

void MediaPlayer::seekBy(double seconds) {
    seek(position() + seconds);
}

void MediaPlayer::setVolume(int volume) {
    m_volume = std::clamp(volume, 0, 100);
    m_mpv.setVolume(m_volume);
}

void MediaPlayer::changeVolume(int by) {
    setVolume(m_volume + by);
}

void MediaPlayer::setMuted(bool muted) {
    m_muted = muted;
    m_mpv.setMuted(muted);
}

void MediaPlayer::toggleMuted() {
    setMuted(!m_muted);
}
