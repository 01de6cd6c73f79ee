#pragma once

#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class MediaItem;
class MediaPlayer;

// Tells the desktop's notification service about each song that starts playing while the window
// is not the active one. Without such a service it stays silent.
class TrackNotifier : public QObject {
    Q_OBJECT

public:
    TrackNotifier(MediaPlayer& player, QDBusConnection connection,
                  std::function<bool()> windowIsActive, QObject* parent = nullptr);

private:
    void onPlayerChanged();
    void notify(const MediaItem& item);

    MediaPlayer& m_player;
    QDBusConnection m_connection;
    std::function<bool()> m_windowIsActive;
    uint m_lastId = 0;
    std::uint64_t m_announced = 0; // the serial of the entry last announced while playing
};
