#include "MprisService.h"

#include "MediaPlayer.h"
#include "MprisPlayerAdaptor.h"
#include "MprisRootAdaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <cmath>

namespace {
constexpr char PlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char BaseServiceName[] = "org.mpris.MediaPlayer2.sonaric_client";

qint64 microseconds(double seconds) {
    return static_cast<qint64>(std::llround(seconds * 1e6));
}
} // namespace

MprisService::MprisService(MediaPlayer& player, QObject* parent)
    : QObject(parent), m_player(player) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    connect(&m_player, &MediaPlayer::playbackStateChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::currentItemChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::transportChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::repeatChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::shuffledChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::durationChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::volumeChanged, this, &MprisService::publishChanges);
    connect(&m_player, &MediaPlayer::seeked, this, [this] { emit seeked(positionMicroseconds()); });
}

MprisService::~MprisService() {
    if (!m_serviceName.isEmpty() && m_connection.isConnected()) {
        m_connection.unregisterObject(QLatin1String(ObjectPath));
        m_connection.unregisterService(m_serviceName);
    }
}

bool MprisService::registerOn(QDBusConnection connection) {
    if (!connection.isConnected())
        return false;
    // A second copy of the program takes a name of its own, as MPRIS allows.
    QString name = QLatin1String(BaseServiceName);
    if (connection.interface()->isServiceRegistered(name))
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    if (!connection.registerObject(QLatin1String(ObjectPath), this) ||
        !connection.registerService(name))
        return false;
    m_connection = connection;
    m_serviceName = name;
    m_published = changingProperties();
    return true;
}

QString MprisService::playbackStatus() const {
    switch (m_player.playbackState()) {
    case PlaybackState::Playing:
        return QStringLiteral("Playing");
    case PlaybackState::Paused:
        return QStringLiteral("Paused");
    case PlaybackState::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QString MprisService::loopStatus(RepeatMode repeat) {
    switch (repeat) {
    case RepeatMode::All:
        return QStringLiteral("Playlist");
    case RepeatMode::One:
        return QStringLiteral("Track");
    case RepeatMode::Off:
        break;
    }
    return QStringLiteral("None");
}

// The stream address is left out on purpose: it carries the session token, and anything on the
// session bus can read these properties.
QVariantMap MprisService::metadata() const {
    const std::shared_ptr<MediaItem> item = m_player.currentItem();
    if (!item)
        return {
            {QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack"))}};
    const Track& track = item->track();
    QVariantMap out = {
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(
             QDBusObjectPath(QStringLiteral("/org/sonaric/track/%1").arg(item->serial())))},
        {QStringLiteral("xesam:title"), track.title},
        {QStringLiteral("xesam:artist"), QStringList{track.artist}},
        {QStringLiteral("xesam:album"), track.album},
    };
    // Only a length that is known: an unknown one is left out rather than given as zero.
    if (const qint64 length = lengthMicroseconds(); length > 0)
        out.insert(QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(length));
    return out;
}

qint64 MprisService::positionMicroseconds() const {
    return microseconds(m_player.position());
}

qint64 MprisService::lengthMicroseconds() const {
    return m_player.currentItem() ? microseconds(m_player.duration()) : 0;
}

QVariantMap MprisService::changingProperties() const {
    const bool canPlay = m_player.canPlay();
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), m_player.volume() / 100.0},
        {QStringLiteral("CanGoNext"), m_player.canGoNext()},
        {QStringLiteral("CanGoPrevious"), m_player.canGoPrevious()},
        {QStringLiteral("CanPlay"), canPlay},
        {QStringLiteral("CanPause"), canPlay},
        {QStringLiteral("CanSeek"), m_player.canSeek()},
        {QStringLiteral("LoopStatus"), loopStatus(m_player.repeat())},
        {QStringLiteral("Shuffle"), m_player.isShuffled()},
    };
}

// Sends what differs from what the bus was last told, so a listener never has to poll.
void MprisService::publishChanges() {
    if (m_serviceName.isEmpty())
        return;
    const QVariantMap now = changingProperties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (m_published.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    m_published = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(PlayerInterface) << changed << QStringList();
    m_connection.send(signal);
}
