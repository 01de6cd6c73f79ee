#pragma once

#include "RepeatMode.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <memory>

class MediaItem;
class MediaPlayer;

// Offers the player to the desktop as an MPRIS media player on a D-Bus connection, so that media
// keys and the shell's media controls drive it and show what is playing. Everything it says is
// read from the player as it is; a change of any of it is sent as PropertiesChanged.
class MprisService : public QObject {
    Q_OBJECT

public:
    static constexpr char ObjectPath[] = "/org/mpris/MediaPlayer2";

    explicit MprisService(MediaPlayer& player, QObject* parent = nullptr);
    ~MprisService() override;

    // Takes the player's well-known name on this bus; false when the bus is not there.
    bool registerOn(QDBusConnection connection);
    QString serviceName() const { return m_serviceName; }

    MediaPlayer& player() { return m_player; }
    QString playbackStatus() const;
    // MPRIS's name of a repeat mode: "None", "Playlist" or "Track".
    static QString loopStatus(RepeatMode repeat);
    QVariantMap metadata() const;
    qint64 positionMicroseconds() const;
    qint64 lengthMicroseconds() const;
    // The Player interface's properties that change while the program runs.
    QVariantMap changingProperties() const;

signals:
    void raiseRequested();
    // A seek has landed, wherever it was asked for.
    void seeked(qlonglong positionMicroseconds);

private:
    void publishChanges();

    MediaPlayer& m_player;
    QDBusConnection m_connection{QString()};
    QString m_serviceName;
    QVariantMap m_published;
};
