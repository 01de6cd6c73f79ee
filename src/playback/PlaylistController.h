#pragma once

#include "PlaylistLines.h"
#include "SongDetails.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class MediaItem;
class MediaPlayer;
class ServerSession;
class XmlDocument;

// The playlist: a line per entry, and behind line i the player's item i. Every command changes
// both halves together or neither. Selection changes come out as selectRequested().
class PlaylistController : public QObject {
    Q_OBJECT

public:
    PlaylistController(ServerSession& server, MediaPlayer& player, QObject* parent = nullptr);

    PlaylistLines* lines() { return &m_lines; }
    int count() const { return m_lines.rowCount(); }
    QString nowPlaying() const { return m_nowPlaying; }
    bool isBusy() const { return m_busy; }

    // Fetches the song's details and appends it; starts playing under the auto-play rule. A
    // song listed without a usable id is refused before anything is asked of the server.
    void addSong(std::optional<std::int64_t> songId);
    // The commands take the selected line, -1 for none.
    void jumpTo(int line);
    void deleteLine(int line);
    void clear();

    static QString statusOfFailedItem(const QString& title);
    static QString notHttpAddress();
    static QString idNotANumber();

signals:
    void selectRequested(int line);
    void nowPlayingChanged(const QString& text);
    void statusTextChanged(const QString& text);
    void passingStatusTextChanged(const QString& text);
    // A song is in the playlist: what an earlier add or a cancel left in the status is over.
    void added();
    void busyChanged(bool busy);
    void failureReported(const QString& message);

private:
    void setBusy(bool busy);
    void setNowPlaying(const QString& text);
    void showCurrentItem(const std::shared_ptr<MediaItem>& item);
    // The song of a reply, or nothing after reporting why it cannot be added.
    std::optional<SongDetails> readSong(const XmlDocument& reply);
    void reportFailure(const QString& message);

    ServerSession& m_server;
    MediaPlayer& m_player;
    PlaylistLines m_lines;
    QString m_nowPlaying;
    bool m_busy = false;
};
