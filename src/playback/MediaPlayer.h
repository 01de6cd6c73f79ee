#pragma once

#include "MediaItem.h"
#include "MediaPlaylist.h"
#include "MpvPlayer.h"

#include <QObject>

#include <memory>

// The embedded player: media items, the current playlist, transport controls, and a signal for
// every change of the current item. Plays through libmpv; shows no dialogs of its own.
class MediaPlayer : public QObject {
    Q_OBJECT

public:
    explicit MediaPlayer(MpvPlayer::Options options, QObject* parent = nullptr);

    std::shared_ptr<MediaItem> newMedia(const QUrl& url) const;
    MediaPlaylist& currentPlaylist() { return m_playlist; }
    std::shared_ptr<MediaItem> currentMedia() const { return m_current; }
    MpvPlayer& engine() { return m_mpv; }

    // Starts the current item, or the first one; resumes when paused.
    void play();
    void pause();
    void togglePause();
    void stop();
    void previous();
    void next();
    void setCurrentItem(const std::shared_ptr<MediaItem>& item);
    void seek(double seconds);
    void setVolume(int volume);
    void setMuted(bool muted);

    bool isPlaying() const;

signals:
    void CurrentItemChange(std::shared_ptr<MediaItem> item);
    // An entry's stream could not be played; the player has moved on.
    void itemFailed(std::shared_ptr<MediaItem> item);
    void playingChanged(bool playing);

private:
    void onPlaylistPos(int index);
    void startAt(int index);

    MpvPlayer m_mpv;
    MediaPlaylist m_playlist{m_mpv};
    std::shared_ptr<MediaItem> m_current;
};
