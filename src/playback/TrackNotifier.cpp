#include "TrackNotifier.h"

#include "MediaPlayer.h"
#include "SonaricVersion.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <utility>

namespace {
constexpr char Service[] = "org.freedesktop.Notifications";
constexpr char Path[] = "/org/freedesktop/Notifications";
constexpr int ShowForMs = 5000;
} // namespace

TrackNotifier::TrackNotifier(MediaPlayer& player, QDBusConnection connection,
                             std::function<bool()> windowIsActive, QObject* parent)
    : QObject(parent), m_player(player), m_connection(std::move(connection)),
      m_windowIsActive(std::move(windowIsActive)) {
    connect(&player, &MediaPlayer::CurrentItemChange, this, &TrackNotifier::onPlayerChanged);
    connect(&player, &MediaPlayer::playbackStateChanged, this, &TrackNotifier::onPlayerChanged);
}

// A song is announced when it starts playing, not when it merely becomes current (after the last
// song the first one is current, but nothing plays); resuming from a pause is no new song.
void TrackNotifier::onPlayerChanged() {
    const std::shared_ptr<MediaItem> item = m_player.currentMedia();
    if (m_player.playbackState() == PlaybackState::Stopped || !item) {
        m_announced = 0;
        return;
    }
    if (m_player.playbackState() != PlaybackState::Playing || item->serial() == m_announced)
        return;
    m_announced = item->serial();
    notify(*item);
}

void TrackNotifier::notify(const MediaItem& item) {
    if (m_windowIsActive() || !m_connection.isConnected())
        return;
    m_pending = Note{item.getItemInfo(QStringLiteral("SNR/Title")),
                     item.getItemInfo(QStringLiteral("SNR/Artist")) + QLatin1Char('\n') +
                         item.getItemInfo(QStringLiteral("SNR/Album"))};
    if (m_bodyMarkup)
        send();
    else
        askCapabilities();
}

// Asynchronous like everything here, so a slow or missing service never holds up the window; the
// song waiting meanwhile is sent with the answer.
void TrackNotifier::askCapabilities() {
    if (m_asking)
        return;
    m_asking = true;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Service), QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<QStringList> reply = *finished;
                m_asking = false;
                m_bodyMarkup =
                    !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
                finished->deleteLater();
                send();
            });
}

// One call at a time: the next song waits for the id of the bubble it replaces.
void TrackNotifier::send() {
    if (!m_pending || m_sending)
        return;
    m_sending = true;
    const Note note = *std::exchange(m_pending, std::nullopt);
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Service), QStringLiteral("Notify"));
    // Each song replaces the previous song's bubble instead of stacking up. The summary is plain
    // text to every service; the body is escaped only where it would be read as markup.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("sonaric-client")}};
    call << QString::fromUtf8(SonaricVersion::Title) << m_lastId << QStringLiteral("sonaric-client")
         << note.summary << (*m_bodyMarkup ? note.body.toHtmlEscaped() : note.body) << QStringList()
         << hints << ShowForMs;
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError())
                    m_lastId = reply.value();
                // A desktop without a notification service is normal; anything else is not.
                else if (reply.error().type() != QDBusError::ServiceUnknown)
                    qWarning("song notification failed: %s", qPrintable(reply.error().message()));
                finished->deleteLater();
                m_sending = false;
                send();
            });
}
