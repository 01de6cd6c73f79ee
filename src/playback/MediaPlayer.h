#pragma once

#include "MediaItem.h"
#include "MpvPlayer.h"
#include "PlayOrder.h"
#include "PlaybackState.h"
#include "PlaylistModel.h"
#include "RepeatMode.h"
#include "Track.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

// The embedded player as a listener knows it: the playlist of tracks and its current entry, the
// play order (repeat, shuffle), the transport, position and volume, and a signal for every change
// of them. Plays through libmpv, whose own list is kept in step with the playlist, so that libmpv
// moves on to the next entry, and prefetches it, by itself; shows no dialogs of its own.
//
// Playlist commands take a line, and do nothing for a line that is not there. The player keeps
// its own current entry, also while libmpv has none (after Stop, or after the last entry has
// ended), so every command has an entry to act on; it stays current wherever it moves in the list.
// Next and Previous play the entry after or before it in the play order (see PlayOrder) from any
// state, and do nothing where that order ends. When the list has run out, the player is stopped
// with the first entry current. The playback state is always the one libmpv reports, never the
// one last asked for. Repeat and shuffle start off, and last for the run.
class MediaPlayer : public QObject {
    Q_OBJECT

public:
    explicit MediaPlayer(MpvPlayer::Options options, QObject* parent = nullptr);

    // The entries, for the views and the desktop to read; changed only through the player.
    const PlaylistModel& playlist() const { return m_playlist; }
    PlaylistModel& playlist() { return m_playlist; }
    int count() const { return m_playlist.count(); }

    // Appends the track; with auto-play, starts playing when it is the only one.
    void add(Track track, bool autoPlay);
    // Plays the entry on this line.
    void jumpTo(int line);
    // Makes the entry on this line current without playing it; only while stopped.
    void setCurrentLine(int line);
    void deleteLine(int line);
    // The entry on `line` goes to `to`, the others closing up around it; false when either line
    // is not there.
    bool moveLine(int line, int to);
    void clear();

    RepeatMode repeat() const { return m_order.repeat(); }
    void setRepeat(RepeatMode repeat);
    // Off, All, One and round again.
    void stepRepeat();
    bool isShuffled() const { return m_order.isShuffled(); }
    void setShuffled(bool shuffled);
    void toggleShuffled() { setShuffled(!isShuffled()); }

    std::shared_ptr<MediaItem> currentItem() const { return m_playlist.currentItem(); }
    int currentIndex() const { return m_playlist.currentIndex(); }
    // What Next plays, and libmpv once the current entry ends; none where the order ends.
    std::shared_ptr<MediaItem> nextItem() const { return m_follower; }
    // The current track's title, artist and album, a line each; empty with no current entry.
    QString nowPlaying() const { return m_nowPlaying; }

    PlaybackState playbackState() const { return m_state; }
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const { return m_playlist.count() > 0; }
    bool canSeek() const;
    // Where playback is, within 0 and the length when that is known.
    double position() const;
    // The current stream's length; 0 while unknown.
    double duration() const { return m_mpv.duration(); }
    // As libmpv last reported them.
    int volume() const { return m_mpv.volume(); }
    bool isMuted() const { return m_mpv.isMuted(); }

    // Resumes when paused; otherwise starts the current entry, or the first one.
    void play();
    void pause();
    void togglePause();
    void stop();
    void previous();
    void next();
    void seek(double seconds);
    void seekBy(double seconds);
    void setVolume(int volume);
    // Steps from the volume last asked for, so quick presses add up before libmpv reports.
    void changeVolume(int by);
    void setMuted(bool muted);
    void toggleMuted();

signals:
    // A track has been appended, on this line.
    void added(int line);
    void currentItemChanged(std::shared_ptr<MediaItem> item);
    void nowPlayingChanged(const QString& text);
    void repeatChanged(RepeatMode repeat);
    void shuffledChanged(bool shuffled);
    // An entry's stream could not be played; the player has moved on.
    void itemFailed(std::shared_ptr<MediaItem> item);
    void playbackStateChanged(PlaybackState state);
    // What the transport can do has changed: an entry added or removed, another current entry,
    // a stream that can or cannot seek.
    void transportChanged();
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void mutedChanged(bool muted);
    // A seek has completed; playback is now at this position.
    void seeked(double seconds);

private:
    void onPlaylistPos(int index);
    void onEntryEnded(int index, MpvPlayer::EndReason reason);
    void updateState();
    void setCurrent(std::shared_ptr<MediaItem> item);
    void startAt(int index);
    void showNowPlaying(const std::shared_ptr<MediaItem>& item);
    // What plays after the current entry, told to libmpv as well.
    void updateFollower();

    // The tests' way to libmpv's own state.
    friend class EngineProbe;

    MpvPlayer m_mpv;
    PlaylistModel m_playlist;
    PlayOrder m_order;
    std::shared_ptr<MediaItem> m_follower;
    QString m_nowPlaying;
    PlaybackState m_state = PlaybackState::Stopped;
    std::uint64_t m_nextSerial = 1;
    int m_volume = 50;    // as last asked for or reported
    bool m_muted = false; // as last asked for or reported
};
