#pragma once

#include "SongDetails.h"

#include <QObject>
#include <QString>

#include <memory>

class MediaItem;
class MediaPlayer;
struct SongDetails;

// What the user does with the playlist, by line (the player's playlist model holds the entries),
// and the now-playing label's text. Selection changes come out as selectRequested().
class PlaylistController : public QObject {
    Q_OBJECT

public:
    explicit PlaylistController(MediaPlayer& player, QObject* parent = nullptr);

    int count() const;
    QString nowPlaying() const { return m_nowPlaying; }
    // Appends the song and selects its line; with auto-play, starts playing when it is the only
    // one. False, and nothing changed, when the player refuses its stream address.
    bool add(const SongDetails& song, bool autoPlay);
    // The commands take the selected line, -1 for none.
    void jumpTo(int line);
    void deleteLine(int line);
    // The line goes to `to`, and stays selected there.
    void moveLine(int line, int to);
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
    QString m_nowPlaying;
};
