#pragma once

#include "RepeatMode.h"
#include "StreamAddress.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

struct mpv_handle;
struct mpv_event;

// Owns one libmpv instance and its playlist. libmpv's own thread only wakes us up; its events are
// read on the GUI thread and come out as typed signals. No other file talks to libmpv.
//
// Entries are known by their index in our playlist's order. libmpv's own list holds the same
// entries, in the order they will play: the entry after the one playing is the one libmpv moves
// on to by itself (and fetches ahead of time, for a seamless change), whichever it is in ours.
class MpvPlayer : public QObject {
    Q_OBJECT

public:
    struct Options {
        bool nullAudio = false; // tests: no sound device at all
        int networkTimeoutSeconds = 30;
        QByteArray tlsCaFile; // extra certificate authorities for https streams (PEM)
    };

    enum class EndReason { Finished, Stopped, Failed };

    explicit MpvPlayer(Options options, QObject* parent = nullptr);
    ~MpvPlayer() override;

    bool isValid() const { return m_handle != nullptr; }
    // A libmpv property ("playlist-count", "options/demuxer") as text; empty when unknown.
    QByteArray property(const char* name) const;

    void append(const StreamAddress& address);
    void remove(int index);
    // Our order only: what plays next is setFollower()'s to say.
    void move(int from, int to);
    // The entry libmpv plays once the one at `index` has ended; none (-1) to stop after it.
    void setFollower(int index, int follower);
    // Loops the entry playing (One) or libmpv's list (All), which holds a lone entry's repeat.
    void setRepeat(RepeatMode repeat);
    void clear();
    void playIndex(int index);
    void stopKeepingPlaylist();
    void setPaused(bool paused);
    void seek(double seconds);
    void setVolume(int volume);
    void setMuted(bool muted);

    int count() const { return static_cast<int>(m_entryIds.size()); }
    // The index of the entry libmpv is on, -1 for none.
    int playlistPos() const;
    // A libmpv property of the entry at this index ("filename").
    QByteArray entryProperty(int index, const char* name) const;
    bool isPaused() const { return m_paused; }
    bool isIdle() const { return m_idle; }
    bool isSeekable() const { return m_seekable; }
    // Whether an entry is loaded or loading. Unlike isIdle(), this knows at once about a start or
    // stop we asked for, before libmpv's event says so: it decides what a command does, while
    // what is shown follows libmpv's own reports.
    bool hasActiveEntry() const { return m_active; }
    double position() const { return m_position; }
    double duration() const { return m_duration; }
    int volume() const { return m_volume; }
    bool isMuted() const { return m_muted; }

signals:
    void playlistPosChanged(int index);
    void pausedChanged(bool paused);
    void idleChanged(bool idle);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void mutedChanged(bool muted);
    void seekableChanged(bool seekable);
    // A seek has completed, whoever asked for it; position() is where it landed.
    void seeked();
    // Sound is coming out for the entry at this index.
    void playbackStarted(int index);
    void entryEnded(int index, MpvPlayer::EndReason reason);

private:
    struct Destroy {
        void operator()(mpv_handle* handle) const;
    };

    static void wakeUp(void* context);
    void drainEvents();
    void handle(const mpv_event& event);
    void command(std::vector<QByteArray> arguments);
    void setFlag(const char* name, bool value);
    bool setOptionMap(const char* name,
                      std::initializer_list<std::pair<const char*, const char*>> values);
    int indexOfEntry(std::int64_t entryId) const;
    static int indexIn(const std::vector<std::int64_t>& ids, std::int64_t entryId);
    // Where our entry at `index` is in libmpv's list.
    int engineIndex(int index) const;

    std::unique_ptr<mpv_handle, Destroy> m_handle;
    std::vector<std::int64_t> m_entryIds;    // libmpv's ids of our entries, in our order
    std::vector<std::int64_t> m_engineOrder; // the same, in libmpv's order
    std::int64_t m_playingId = -1;
    std::int64_t m_requestedId = -1; // asked to play, not yet started
    std::int64_t m_lastOwnId = -2;   // ids for entries without libmpv, which never match its own
    bool m_paused = false;
    bool m_idle = true;
    double m_position = 0;
    double m_duration = 0;
    int m_volume = 50;
    bool m_muted = false;
    bool m_active = false;
    bool m_seekable = false;
    bool m_seekAsked = false; // a seek was asked for and libmpv has not yet begun it
    bool m_seeking = false;   // libmpv is carrying out a seek that was asked for
    bool m_started = false;   // the current entry has begun to play
};
