#include "MprisService.h"

#include "MediaPlayer.h"
#include "MprisPlayerAdaptor.h"
#include "MprisRootAdaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {
constexpr char PlayerInterface[] = "org.mpris.MediaPlayer2.Player";
constexpr char BaseServiceName[] = "org.mpris.MediaPlayer2.sonaric_client";
} // namespace

MprisService::MprisService(MediaPlayer& player, QObject* parent)
    : QObject(parent), m_player(player) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    connect(&m_player, &MediaPlayer::playingChanged, this, [this] {
        propertiesChanged({{QStringLiteral("PlaybackStatus"), playbackStatus()}});
    });
    connect(&m_player, &MediaPlayer::CurrentItemChange, this, [this] {
        propertiesChanged({{QStringLiteral("Metadata"), metadata()}});
    });
    connect(&m_player.engine(), &MpvPlayer::durationChanged, this, [this] {
        propertiesChanged({{QStringLiteral("Metadata"), metadata()}});
    });
    connect(&m_player.engine(), &MpvPlayer::volumeChanged, this, [this](int volume) {
        propertiesChanged({{QStringLiteral("Volume"), volume / 100.0}});
    });
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
    return true;
}

QString MprisService::playbackStatus() const {
    if (m_player.isPlaying())
        return QStringLiteral("Playing");
    return m_player.engine().hasActiveEntry() ? QStringLiteral("Paused")
                                              : QStringLiteral("Stopped");
}

QVariantMap MprisService::metadata() const {
    const std::shared_ptr<MediaItem> item = m_player.currentMedia();
    if (!item)
        return {
            {QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack"))}};
    const auto id = reinterpret_cast<quintptr>(item.get());
    return {
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/sonaric/track/%1").arg(id)))},
        {QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(static_cast<qlonglong>(
                                             m_player.engine().duration() * 1e6))},
        {QStringLiteral("xesam:title"), item->getItemInfo(QStringLiteral("SNR/Title"))},
        {QStringLiteral("xesam:artist"),
         QStringList{item->getItemInfo(QStringLiteral("SNR/Artist"))}},
        {QStringLiteral("xesam:album"), item->getItemInfo(QStringLiteral("SNR/Album"))},
    };
}

qint64 MprisService::positionMicroseconds() const {
    return static_cast<qint64>(m_player.engine().position() * 1e6);
}

void MprisService::propertiesChanged(const QVariantMap& changed) {
    if (m_serviceName.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(PlayerInterface) << changed << QStringList();
    m_connection.send(signal);
}
