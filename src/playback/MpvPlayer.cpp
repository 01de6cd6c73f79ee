#include "MpvPlayer.h"

#include <QMetaObject>

#include <algorithm>

#include <mpv/client.h>

namespace {

constexpr char AllowedProtocols[] = "http,https,tcp,tls";

enum Observed : std::uint64_t { Pause = 1, IdleActive, TimePos, Duration, Volume, Mute, Seekable };

} // namespace

bool MpvPlayer::setOptionMap(const char* name,
                             std::initializer_list<std::pair<const char*, const char*>> values) {
    std::vector<char*> keys;
    std::vector<mpv_node> nodes;
    for (const auto& [key, value] : values) {
        keys.push_back(const_cast<char*>(key));
        mpv_node node{};
        node.format = MPV_FORMAT_STRING;
        node.u.string = const_cast<char*>(value);
        nodes.push_back(node);
    }
    mpv_node_list list{static_cast<int>(nodes.size()), nodes.data(), keys.data()};
    mpv_node map{};
    map.format = MPV_FORMAT_NODE_MAP;
    map.u.list = &list;
    if (mpv_set_option(m_handle.get(), name, MPV_FORMAT_NODE, &map) >= 0)
        return true;
    qWarning("libmpv refused the option %s", name);
    return false;
}

QByteArray MpvPlayer::property(const char* name) const {
    if (!m_handle)
        return {};
    char* value = mpv_get_property_string(m_handle.get(), name);
    const QByteArray out(value);
    mpv_free(value);
    return out;
}

void MpvPlayer::Destroy::operator()(mpv_handle* handle) const {
    mpv_terminate_destroy(handle);
}

MpvPlayer::MpvPlayer(Options options, QObject* parent) : QObject(parent), m_handle(mpv_create()) {
    if (!m_handle) {
        qWarning("libmpv could not be started (LC_NUMERIC must be \"C\")");
        return;
    }
    mpv_handle* mpv = m_handle.get();
    const QByteArray timeout = QByteArray::number(options.networkTimeoutSeconds);
    const std::pair<const char*, QByteArray> settings[] = {
        {"vid", "no"},
        {"video", "no"},
        {"idle", "yes"},
        {"terminal", "no"},
        {"prefetch-playlist", "yes"},
        {"audio-fallback-to-null", "yes"},
        {"volume", "50"},
        {"network-timeout", timeout},
        // https streams are checked against the certificate authorities, never taken on trust.
        {"tls-verify", "yes"},
        {"tls-ca-file", options.tlsCaFile},
        {"ao", options.nullAudio ? QByteArray("null") : QByteArray()},
        // Nothing of the user's mpv set-up, and nothing that runs code or takes keys.
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"input-default-bindings", "no"},
        {"input-builtin-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"resume-playback", "no"},
        {"save-position-on-quit", "no"},
        // What a stream says must not make the player open anything else: no playlists, cue
        // sheets or edit lists expanded (only libavformat demuxes), no references followed, no
        // files looked for beside the stream.
        {"demuxer", "lavf"},
        {"load-unsafe-playlists", "no"},
        {"access-references", "no"},
        {"ordered-chapters", "no"},
        {"audio-file-auto", "no"},
        {"cover-art-auto", "no"},
    };
    for (const auto& [name, value] : settings)
        if (!value.isEmpty() && mpv_set_option_string(mpv, name, value.constData()) < 0)
            qWarning("libmpv refused the option %s=%s", name, value.constData());
    // The streams libavformat opens, the one asked for, its redirects and anything a demuxer
    // opens from it, may only be http or https.
    setOptionMap("stream-lavf-o",
                 {{"protocol_whitelist", AllowedProtocols},
                  // A dropped connection reconnects and resumes from where it stopped.
                  {"reconnect", "1"},
                  {"reconnect_on_network_error", "1"},
                  {"reconnect_delay_max", "2"}});
    setOptionMap("demuxer-lavf-o", {{"protocol_whitelist", AllowedProtocols}});
    if (mpv_initialize(mpv) < 0) {
        qWarning("libmpv could not be initialised");
        m_handle.reset();
        return;
    }
    mpv_observe_property(mpv, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv, IdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, Volume, "volume", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, Mute, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv, Seekable, "seekable", MPV_FORMAT_FLAG);
    mpv_set_wakeup_callback(mpv, &MpvPlayer::wakeUp, this);
}

MpvPlayer::~MpvPlayer() {
    if (m_handle)
        mpv_set_wakeup_callback(m_handle.get(), nullptr, nullptr);
}

// Called on libmpv's thread: only queue a drain onto ours. The queued call dies with this object.
void MpvPlayer::wakeUp(void* context) {
    auto* self = static_cast<MpvPlayer*>(context);
    QMetaObject::invokeMethod(self, &MpvPlayer::drainEvents, Qt::QueuedConnection);
}

void MpvPlayer::drainEvents() {
    if (!m_handle)
        return;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_handle.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        handle(*event);
    }
}

int MpvPlayer::indexOfEntry(std::int64_t entryId) const {
    return indexIn(m_entryIds, entryId);
}

int MpvPlayer::indexIn(const std::vector<std::int64_t>& ids, std::int64_t entryId) {
    const auto found = std::find(ids.begin(), ids.end(), entryId);
    return found == ids.end() ? -1 : static_cast<int>(found - ids.begin());
}

int MpvPlayer::engineIndex(int index) const {
    if (index < 0 || index >= count())
        return -1;
    return indexIn(m_engineOrder, m_entryIds[static_cast<std::size_t>(index)]);
}

int MpvPlayer::playlistPos() const {
    return m_playingId < 0 ? -1 : indexOfEntry(m_playingId);
}

QByteArray MpvPlayer::entryProperty(int index, const char* name) const {
    const int at = engineIndex(index);
    if (at < 0)
        return {};
    return property(("playlist/" + QByteArray::number(at) + "/" + name).constData());
}

void MpvPlayer::handle(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool known = property->format != MPV_FORMAT_NONE && property->data;
        switch (event.reply_userdata) {
        case Pause:
            m_paused = known && *static_cast<int*>(property->data);
            emit pausedChanged(m_paused);
            break;
        case IdleActive:
            m_idle = known && *static_cast<int*>(property->data);
            m_active = !m_idle;
            emit idleChanged(m_idle);
            break;
        case TimePos:
            m_position = known ? *static_cast<double*>(property->data) : 0.0;
            emit positionChanged(m_position);
            break;
        case Duration:
            m_duration = known ? *static_cast<double*>(property->data) : 0.0;
            emit durationChanged(m_duration);
            break;
        case Volume:
            if (known) {
                m_volume = static_cast<int>(*static_cast<double*>(property->data) + 0.5);
                emit volumeChanged(m_volume);
            }
            break;
        case Mute:
            m_muted = known && *static_cast<int*>(property->data);
            emit mutedChanged(m_muted);
            break;
        case Seekable:
            m_seekable = known && *static_cast<int*>(property->data);
            emit seekableChanged(m_seekable);
            break;
        }
        break;
    }
    // Only the seeks asked for here are reported; libmpv may also seek on its own while an entry
    // starts. Playback restarts both when an entry starts and when a seek has landed (one restart
    // can be both); after a seek, the observed time-pos may still be the one from before it, so
    // the position is asked for.
    case MPV_EVENT_START_FILE:
        m_started = false;
        m_seeking = false;
        m_playingId = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        // Each start is reported, also of entries asked for before the last one: those are over.
        if (m_requestedId >= 0 && m_playingId != m_requestedId)
            break;
        m_requestedId = -1;
        emit playlistPosChanged(playlistPos());
        break;
    case MPV_EVENT_SEEK:
        m_seeking = m_seekAsked;
        m_seekAsked = false;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (!m_started) {
            m_started = true;
            emit playbackStarted(playlistPos());
        }
        if (m_seeking) {
            m_seeking = false;
            double position = m_position;
            if (mpv_get_property(m_handle.get(), "time-pos", MPV_FORMAT_DOUBLE, &position) >= 0)
                m_position = position;
            emit seeked();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        EndReason reason = EndReason::Stopped;
        if (end->reason == MPV_END_FILE_REASON_EOF)
            reason = EndReason::Finished;
        else if (end->reason == MPV_END_FILE_REASON_ERROR)
            reason = EndReason::Failed;
        if (end->playlist_entry_id == m_playingId) {
            m_playingId = -1;
            emit playlistPosChanged(-1);
        }
        emit entryEnded(indexOfEntry(end->playlist_entry_id), reason);
        break;
    }
    default:
        break;
    }
}

void MpvPlayer::command(std::vector<QByteArray> arguments) {
    if (!m_handle)
        return;
    std::vector<const char*> argv;
    for (const QByteArray& a : arguments)
        argv.push_back(a.constData());
    argv.push_back(nullptr);
    const int status = mpv_command(m_handle.get(), argv.data());
    if (status < 0)
        qWarning("libmpv command %s failed: %s", arguments.front().constData(),
                 mpv_error_string(status));
}

void MpvPlayer::setFlag(const char* name, bool value) {
    if (!m_handle)
        return;
    int flag = value ? 1 : 0;
    mpv_set_property(m_handle.get(), name, MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::append(const StreamAddress& address) {
    std::int64_t id = m_lastOwnId--;
    if (m_handle) {
        command({"loadfile", address.encoded(), "append"});
        const QByteArray property = "playlist/" + QByteArray::number(count()) + "/id";
        mpv_get_property(m_handle.get(), property.constData(), MPV_FORMAT_INT64, &id);
    }
    m_entryIds.push_back(id);
    m_engineOrder.push_back(id);
}

void MpvPlayer::remove(int index) {
    const int at = engineIndex(index);
    if (at < 0)
        return;
    command({"playlist-remove", QByteArray::number(at)});
    if (m_engineOrder[static_cast<std::size_t>(at)] == m_requestedId)
        m_requestedId = -1;
    m_engineOrder.erase(m_engineOrder.begin() + at);
    m_entryIds.erase(m_entryIds.begin() + index);
}

void MpvPlayer::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    const std::int64_t id = m_entryIds[static_cast<std::size_t>(from)];
    m_entryIds.erase(m_entryIds.begin() + from);
    m_entryIds.insert(m_entryIds.begin() + to, id);
}

// libmpv's "playlist-move" puts an entry before another one, or last when there is none.
void MpvPlayer::setFollower(int index, int follower) {
    const int at = engineIndex(index);
    if (at < 0 || follower == index)
        return;
    const auto current = m_engineOrder.begin() + at;
    if (follower < 0) {
        if (at + 1 == count())
            return;
        command({"playlist-move", QByteArray::number(at), QByteArray::number(count())});
        std::rotate(current, current + 1, m_engineOrder.end());
        return;
    }
    const int from = engineIndex(follower);
    if (from < 0 || from == at + 1)
        return;
    command({"playlist-move", QByteArray::number(from), QByteArray::number(at + 1)});
    const std::int64_t id = m_engineOrder[static_cast<std::size_t>(from)];
    m_engineOrder.erase(m_engineOrder.begin() + from);
    m_engineOrder.insert(m_engineOrder.begin() +
                             indexIn(m_engineOrder, m_entryIds[static_cast<std::size_t>(index)]) +
                             1,
                         id);
}

void MpvPlayer::setRepeat(RepeatMode repeat) {
    if (!m_handle)
        return;
    mpv_set_property_string(m_handle.get(), "loop-file", repeat == RepeatMode::One ? "inf" : "no");
    mpv_set_property_string(m_handle.get(), "loop-playlist",
                            repeat == RepeatMode::All ? "inf" : "no");
}

void MpvPlayer::clear() {
    // A plain stop empties libmpv's playlist, the entry that is playing included.
    command({"stop"});
    m_active = false;
    m_entryIds.clear();
    m_engineOrder.clear();
    m_requestedId = -1;
}

void MpvPlayer::playIndex(int index) {
    const int at = engineIndex(index);
    if (at < 0)
        return;
    command({"playlist-play-index", QByteArray::number(at)});
    m_requestedId = m_engineOrder[static_cast<std::size_t>(at)];
    m_active = true;
    setFlag("pause", false);
}

void MpvPlayer::stopKeepingPlaylist() {
    command({"stop", "keep-playlist"});
    m_active = false;
}

void MpvPlayer::setPaused(bool paused) {
    setFlag("pause", paused);
}
void MpvPlayer::setMuted(bool muted) {
    setFlag("mute", muted);
}

void MpvPlayer::seek(double seconds) {
    m_seekAsked = true;
    command({"seek", QByteArray::number(seconds, 'f', 3), "absolute+exact"});
}

void MpvPlayer::setVolume(int volume) {
    if (!m_handle)
        return;
    double value = volume;
    mpv_set_property(m_handle.get(), "volume", MPV_FORMAT_DOUBLE, &value);
}
