#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <memory>

class MediaItem;
class MediaPlayer;

// Tells the desktop's notification service about each new song while the window is not the
// active one. Without such a service it stays silent.
class TrackNotifier : public QObject {
    Q_OBJECT

public:
    TrackNotifier(MediaPlayer& player, QDBusConnection connection,
                  std::function<bool()> windowIsActive, QObject* parent = nullptr);

private:
    void notify(const std::shared_ptr<MediaItem>& item);

    QDBusConnection m_connection;
    std::function<bool()> m_windowIsActive;
    uint m_lastId = 0;
};
