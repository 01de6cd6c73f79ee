#include "MprisPlayerAdaptor.h"

#include "MediaPlayer.h"
#include "MprisService.h"

#include <algorithm>
#include <cmath>
#include <limits>

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {
    connect(service, &MprisService::seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return m_service->playbackStatus();
}
QVariantMap MprisPlayerAdaptor::Metadata() const {
    return m_service->metadata();
}
qlonglong MprisPlayerAdaptor::Position() const {
    return m_service->positionMicroseconds();
}
bool MprisPlayerAdaptor::CanGoNext() const {
    return m_service->player().canGoNext();
}
bool MprisPlayerAdaptor::CanGoPrevious() const {
    return m_service->player().canGoPrevious();
}
bool MprisPlayerAdaptor::CanPlay() const {
    return m_service->player().canPlay();
}
bool MprisPlayerAdaptor::CanPause() const {
    return m_service->player().canPlay();
}
bool MprisPlayerAdaptor::CanSeek() const {
    return m_service->player().canSeek();
}

double MprisPlayerAdaptor::Volume() const {
    return m_service->player().volume() / 100.0;
}

void MprisPlayerAdaptor::setVolume(double volume) {
    if (std::isnan(volume))
        return;
    m_service->player().setVolume(
        static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void MprisPlayerAdaptor::Next() {
    m_service->player().next();
}
void MprisPlayerAdaptor::Previous() {
    m_service->player().previous();
}
void MprisPlayerAdaptor::Pause() {
    m_service->player().pause();
}
void MprisPlayerAdaptor::PlayPause() {
    m_service->player().togglePause();
}
void MprisPlayerAdaptor::Stop() {
    m_service->player().stop();
}
void MprisPlayerAdaptor::Play() {
    m_service->player().play();
}

QString MprisPlayerAdaptor::LoopStatus() const {
    return MprisService::loopStatus(m_service->player().repeat());
}

// Anything but the interface's three names is ignored.
void MprisPlayerAdaptor::setLoopStatus(const QString& status) {
    for (RepeatMode repeat : {RepeatMode::Off, RepeatMode::All, RepeatMode::One})
        if (status == MprisService::loopStatus(repeat))
            m_service->player().setRepeat(repeat);
}

bool MprisPlayerAdaptor::Shuffle() const {
    return m_service->player().isShuffled();
}

void MprisPlayerAdaptor::setShuffle(bool shuffle) {
    m_service->player().setShuffled(shuffle);
}

// Only the normal rate is offered; 0.0 is to be taken as Pause, as the interface says.
void MprisPlayerAdaptor::setRate(double rate) {
    if (rate == 0.0)
        m_service->player().pause();
}

// As the interface says: before the start is the start, past the end is the next song. Any
// program on the bus may send any offset: the sum saturates rather than overflow.
void MprisPlayerAdaptor::Seek(qlonglong offset) {
    MediaPlayer& player = m_service->player();
    if (!player.canSeek())
        return;
    const qint64 position = m_service->positionMicroseconds();
    constexpr qint64 Most = std::numeric_limits<qint64>::max();
    constexpr qint64 Least = std::numeric_limits<qint64>::min();
    const qint64 target = offset > 0 && position > Most - offset    ? Most
                          : offset < 0 && position < Least - offset ? Least
                                                                    : position + offset;
    const qint64 length = m_service->lengthMicroseconds();
    if (length > 0 && target > length) {
        player.next();
        return;
    }
    player.seek(std::max<qint64>(0, target) / 1e6);
}

// Only for the current song and within its length, as the interface asks; anything else is
// ignored. Seeked follows once the seek has landed.
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    const QVariant current = m_service->metadata().value(QStringLiteral("mpris:trackid"));
    const qint64 length = m_service->lengthMicroseconds();
    if (!m_service->player().canSeek() || current.value<QDBusObjectPath>() != trackId ||
        position < 0 || position > length)
        return;
    m_service->player().seek(position / 1e6);
}
