#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class MediaItem;
class MediaPlayer;

// Tells the desktop's notification service about each song that starts playing while the window
// is not the active one. Without such a service it stays silent. The service is asked what it can
// show, again whenever its owner changes or a call fails: the body goes unescaped only to a
// service known not to read markup.
class TrackNotifier : public QObject {
    Q_OBJECT

public:
    TrackNotifier(MediaPlayer& player, QDBusConnection connection,
                  std::function<bool()> windowIsActive, QObject* parent = nullptr);

private:
    struct Note {
        QString summary;
        QString body;
    };

    void onPlayerChanged();
    void notify(const MediaItem& item);
    void askCapabilities();
    void send();

    MediaPlayer& m_player;
    QDBusConnection m_connection;
    std::function<bool()> m_windowIsActive;
    uint m_lastId = 0;
    std::optional<bool> m_bodyMarkup; // known once the present service has said what it shows
    QString m_owner;                  // the unique bus name of the service that said it
    std::uint64_t m_ownerChanges = 0;
    bool m_asking = false;
    bool m_sending = false;
    std::optional<Note> m_pending;
    std::uint64_t m_announced = 0; // the serial of the entry last announced while playing
};
