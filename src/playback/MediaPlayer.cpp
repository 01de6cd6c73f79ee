#include "MediaPlayer.h"

#include <algorithm>

MediaPlayer::MediaPlayer(MpvPlayer::Options options, QObject* parent)
    : QObject(parent), m_mpv(options, this) {
    connect(&m_mpv, &MpvPlayer::playlistPosChanged, this, &MediaPlayer::onPlaylistPos);
    connect(&m_mpv, &MpvPlayer::entryEnded, this, [this](int index, MpvPlayer::EndReason reason) {
        if (reason == MpvPlayer::EndReason::Failed)
            if (std::shared_ptr<MediaItem> item = m_playlist.Item(index))
                emit itemFailed(item);
    });
    connect(&m_mpv, &MpvPlayer::idleChanged, this, [this] { emit playingChanged(isPlaying()); });
    connect(&m_mpv, &MpvPlayer::pausedChanged, this, [this] { emit playingChanged(isPlaying()); });
}

std::shared_ptr<MediaItem> MediaPlayer::newMedia(const QUrl& url) const {
    return std::make_shared<MediaItem>(url);
}

// libmpv reports -1 between entries and after the last one; the current item stays the last one
// that played, as a stopped player still shows it. Removing entries before it shifts its index
// but does not change it.
void MediaPlayer::onPlaylistPos(int index) {
    std::shared_ptr<MediaItem> item = m_playlist.Item(index);
    if (!item || item == m_current)
        return;
    m_current = std::move(item);
    emit CurrentItemChange(m_current);
}

bool MediaPlayer::isPlaying() const {
    return m_mpv.hasActiveEntry() && !m_mpv.isPaused();
}

void MediaPlayer::play() {
    if (m_playlist.count() == 0)
        return;
    if (m_mpv.hasActiveEntry()) {
        m_mpv.setPaused(false);
        return;
    }
    startAt(std::max(0, m_playlist.indexOf(m_current)));
}

// The item asked for is current from the moment it is asked for: libmpv reports its new playlist
// position only later, and until then the player would be playing with nothing to show for it.
void MediaPlayer::startAt(int index) {
    m_mpv.playIndex(index);
    onPlaylistPos(index);
}

void MediaPlayer::pause() {
    m_mpv.setPaused(true);
}

void MediaPlayer::togglePause() {
    if (isPlaying())
        pause();
    else
        play();
}

void MediaPlayer::stop() {
    m_mpv.stopKeepingPlaylist();
}
void MediaPlayer::previous() {
    m_mpv.previous();
}
void MediaPlayer::next() {
    m_mpv.next();
}
void MediaPlayer::seek(double seconds) {
    m_mpv.seek(seconds);
}
void MediaPlayer::setVolume(int volume) {
    m_mpv.setVolume(volume);
}
void MediaPlayer::setMuted(bool muted) {
    m_mpv.setMuted(muted);
}

void MediaPlayer::setCurrentItem(const std::shared_ptr<MediaItem>& item) {
    startAt(m_playlist.indexOf(item));
}
