#include "TrackNotifier.h"

#include "MediaPlayer.h"
#include "SonaricVersion.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

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
    connect(&player, &MediaPlayer::currentItemChanged, this, &TrackNotifier::onPlayerChanged);
    connect(&player, &MediaPlayer::playbackStateChanged, this, &TrackNotifier::onPlayerChanged);
    // Another service may take the name at any time, and it may read markup where the one
    // before did not.
    auto* watcher = new QDBusServiceWatcher(QLatin1String(Service), m_connection,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
        ++m_ownerChanges;
        m_bodyMarkup.reset();
        m_owner.clear();
        m_lastId = 0;
    });
}

// A song is announced when it starts playing, not when it merely becomes current (after the last
// song the first one is current, but nothing plays); resuming from a pause is no new song.
void TrackNotifier::onPlayerChanged() {
    const std::shared_ptr<MediaItem> item = m_player.currentItem();
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
    const Track& track = item.track();
    m_pending = Note{track.title, track.artist + QLatin1Char('\n') + track.album};
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
            [this, asked = m_ownerChanges](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<QStringList> reply = *finished;
                finished->deleteLater();
                m_asking = false;
                // The answer of a service that has since given up the name is no answer.
                if (asked != m_ownerChanges)
                    return askCapabilities();
                // Without an answer the next song asks again; this one goes escaped.
                if (reply.isError()) {
                    m_bodyMarkup.reset();
                } else {
                    m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
                    m_owner = finished->reply().service();
                }
                send();
            });
}

// One call at a time: the next song waits for the id of the bubble it replaces.
void TrackNotifier::send() {
    // While the service is being asked what it shows, the answer sends the song.
    if (!m_pending || m_sending || m_asking)
        return;
    m_sending = true;
    const Note note = *std::exchange(m_pending, std::nullopt);
    // Sent to the very service that said what it shows: should another have taken the name
    // meanwhile, the call fails rather than reach it unescaped.
    const bool known = m_bodyMarkup && !m_owner.isEmpty();
    QDBusMessage call = QDBusMessage::createMethodCall(known ? m_owner : QLatin1String(Service),
                                                       QLatin1String(Path), QLatin1String(Service),
                                                       QStringLiteral("Notify"));
    // Each song replaces the previous song's bubble instead of stacking up. The summary is plain
    // text to every service; the body is escaped unless the service is known to show it as it is.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("sonaric-client")}};
    call << QString::fromUtf8(SonaricVersion::Title) << m_lastId << QStringLiteral("sonaric-client")
         << note.summary << (known && !*m_bodyMarkup ? note.body : note.body.toHtmlEscaped())
         << QStringList() << hints << ShowForMs;
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, to = known ? m_owner : QString()](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError()) {
                    m_lastId = reply.value();
                } else {
                    // The service known to be there failed: whoever answers next is asked
                    // again. A failure of a call sent while nothing was known changes nothing
                    // learnt since.
                    if (!to.isEmpty() && to == m_owner) {
                        m_bodyMarkup.reset();
                        m_owner.clear();
                    }
                    // A desktop without a notification service is normal; anything else is not.
                    if (reply.error().type() != QDBusError::ServiceUnknown)
                        qWarning("song notification failed: %s",
                                 qPrintable(reply.error().message()));
                }
                finished->deleteLater();
                m_sending = false;
                send();
            });
}
