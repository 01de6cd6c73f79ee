#include "MprisPlayerAdaptor.h"

#include "MediaPlayer.h"
#include "MprisService.h"

#include <algorithm>
#include <cmath>

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {
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

double MprisPlayerAdaptor::Volume() const {
    return m_service->player().engine().volume() / 100.0;
}

void MprisPlayerAdaptor::setVolume(double volume) {
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

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    const double target = m_service->player().engine().position() + offset / 1e6;
    m_service->player().seek(std::max(0.0, target));
    emit Seeked(static_cast<qlonglong>(std::max(0.0, target) * 1e6));
}

// Only for the current song, as the interface asks: a stale track id is ignored.
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    const QVariant current = m_service->metadata().value(QStringLiteral("mpris:trackid"));
    if (!current.isValid() || current.value<QDBusObjectPath>() != trackId || position < 0)
        return;
    m_service->player().seek(position / 1e6);
    emit Seeked(position);
}
