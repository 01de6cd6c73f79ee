#pragma once

#include "PlaylistLines.h"
#include "SongDetails.h"

#include <QObject>
#include <QString>

#include <memory>

class MediaItem;
class MediaPlayer;
struct SongDetails;

// The playlist: a line per entry, and behind line i the player's item i. Every command changes
// both halves together or neither. Selection changes come out as selectRequested().
class PlaylistController : public QObject {
    Q_OBJECT

public:
    explicit PlaylistController(MediaPlayer& player, QObject* parent = nullptr);

    PlaylistLines* lines() { return &m_lines; }
    int count() const { return m_lines.rowCount(); }
    QString nowPlaying() const { return m_nowPlaying; }
    // Appends the song and selects its line; with auto-play, starts playing when it is the only
    // one. False, and nothing changed, when the player refuses its stream address.
    bool add(const SongDetails& song, bool autoPlay);
    // The commands take the selected line, -1 for none.
    void jumpTo(int line);
    void deleteLine(int line);
    void clear();

    static QString statusOfFailedItem(const QString& title);

signals:
    void selectRequested(int line);
    void nowPlayingChanged(const QString& text);
    void statusTextChanged(const QString& text);
    // A song is in the playlist: what an earlier add or a cancel left in the status is over.
    void added();

private:
    void setNowPlaying(const QString& text);
    void showCurrentItem(const std::shared_ptr<MediaItem>& item);

    MediaPlayer& m_player;
    PlaylistLines m_lines;
    QString m_nowPlaying;
};
