#include "MpvPlayer.h"

#include <QMetaObject>

#include <mpv/client.h>

namespace {

enum Observed : std::uint64_t {
    PlaylistPos = 1,
    Pause,
    IdleActive,
    TimePos,
    Duration,
    Volume,
    Mute
};

} // namespace

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
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"prefetch-playlist", "yes"},
        {"audio-fallback-to-null", "yes"},
        {"volume", "50"},
        {"network-timeout", timeout},
        // https streams are checked against the certificate authorities, never taken on trust.
        {"tls-verify", "yes"},
        {"tls-ca-file", options.tlsCaFile},
        // A dropped connection reconnects and resumes from where it stopped (HTTP ranges).
        {"stream-lavf-o", "reconnect=1,reconnect_on_network_error=1,reconnect_delay_max=2"},
        {"ao", options.nullAudio ? QByteArray("null") : QByteArray()},
    };
    for (const auto& [name, value] : settings)
        if (!value.isEmpty())
            mpv_set_option_string(mpv, name, value.constData());
    if (mpv_initialize(mpv) < 0) {
        qWarning("libmpv could not be initialised");
        m_handle.reset();
        return;
    }
    mpv_observe_property(mpv, PlaylistPos, "playlist-pos", MPV_FORMAT_INT64);
    mpv_observe_property(mpv, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv, IdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, Volume, "volume", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, Mute, "mute", MPV_FORMAT_FLAG);
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
    for (std::size_t i = 0; i < m_entryIds.size(); ++i)
        if (m_entryIds[i] == entryId)
            return static_cast<int>(i);
    return -1;
}

void MpvPlayer::handle(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool known = property->format != MPV_FORMAT_NONE && property->data;
        switch (event.reply_userdata) {
        case PlaylistPos:
            m_playlistPos =
                known ? static_cast<int>(*static_cast<std::int64_t*>(property->data)) : -1;
            emit playlistPosChanged(m_playlistPos);
            break;
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
        }
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        emit playbackStarted(m_playlistPos);
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        EndReason reason = EndReason::Stopped;
        if (end->reason == MPV_END_FILE_REASON_EOF)
            reason = EndReason::Finished;
        else if (end->reason == MPV_END_FILE_REASON_ERROR)
            reason = EndReason::Failed;
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

void MpvPlayer::append(const QByteArray& url) {
    if (!m_handle) {
        m_entryIds.push_back(-1);
        return;
    }
    command({"loadfile", url, "append"});
    std::int64_t id = -1;
    const QByteArray property = "playlist/" + QByteArray::number(count()) + "/id";
    mpv_get_property(m_handle.get(), property.constData(), MPV_FORMAT_INT64, &id);
    m_entryIds.push_back(id);
}

void MpvPlayer::remove(int index) {
    if (index < 0 || index >= count())
        return;
    command({"playlist-remove", QByteArray::number(index)});
    m_entryIds.erase(m_entryIds.begin() + index);
}

void MpvPlayer::clear() {
    // A plain stop empties libmpv's playlist, the entry that is playing included.
    command({"stop"});
    m_active = false;
    m_entryIds.clear();
}

void MpvPlayer::playIndex(int index) {
    if (index < 0 || index >= count())
        return;
    command({"playlist-play-index", QByteArray::number(index)});
    m_active = true;
    setFlag("pause", false);
}

void MpvPlayer::stopKeepingPlaylist() {
    command({"stop", "keep-playlist"});
    m_active = false;
}

void MpvPlayer::next() {
    command({"playlist-next", "force"});
    m_active = true;
}

void MpvPlayer::previous() {
    command({"playlist-prev", "force"});
    m_active = true;
}
void MpvPlayer::setPaused(bool paused) {
    setFlag("pause", paused);
}
void MpvPlayer::setMuted(bool muted) {
    setFlag("mute", muted);
}

void MpvPlayer::seek(double seconds) {
    command({"seek", QByteArray::number(seconds, 'f', 3), "absolute"});
}

void MpvPlayer::setVolume(int volume) {
    if (!m_handle)
        return;
    double value = volume;
    mpv_set_property(m_handle.get(), "volume", MPV_FORMAT_DOUBLE, &value);
}
