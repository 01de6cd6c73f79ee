#pragma once

#include "RepeatMode.h"
#include "TransportIcons.h"

#include <QWidget>

#include <array>

class PositionSlider;
class QAction;
class QMenu;
class QSlider;
class QToolButton;
class SpokenLabel;

// The player's control bar: previous, play/pause, stop, next, a seek slider with elapsed and
// total time, volume and mute, and a context menu with the transport, repeat and shuffle. It only
// says what the user asks for and shows what it is told.
class PlayerControlBar : public QWidget {
    Q_OBJECT

public:
    explicit PlayerControlBar(QWidget* parent = nullptr);

    void setPlaying(bool playing);
    void setPosition(double seconds);
    void setDuration(double seconds);
    void setVolume(int volume);
    void setMuted(bool muted);
    // Which commands would do something now; the others are shown disabled.
    void setAvailable(bool canPlay, bool canGoPrevious, bool canGoNext, bool canSeek);
    void setRepeat(RepeatMode repeat);
    void setShuffled(bool shuffled);

    // The context menu as it would open now; it deletes itself once closed.
    QMenu* createContextMenu();

    QString elapsedText() const;
    QString totalText() const;

    static QString timeText(double seconds);

signals:
    void previousRequested();
    void playPauseRequested();
    void stopRequested();
    void nextRequested();
    void seekRequested(double seconds);
    void seekByRequested(double seconds);
    void volumeRequested(int volume);
    void muteRequested(bool muted);
    void repeatRequested(RepeatMode repeat);
    void shuffleRequested(bool shuffled);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QToolButton* button(const char* name, void (PlayerControlBar::*signal)());
    void describe(QToolButton* button, const QString& name, const QKeySequence& key);
    void showIcons();
    void onSeekAction(int action);

    QToolButton* m_previous = nullptr;
    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_mute = nullptr;
    PositionSlider* m_seek = nullptr;
    QSlider* m_volume = nullptr;
    SpokenLabel* m_elapsed = nullptr;
    SpokenLabel* m_total = nullptr;
    std::array<QAction*, 3> m_repeat{}; // in RepeatMode's order
    QAction* m_shuffle = nullptr;
    RepeatMode m_shownRepeat = RepeatMode::Off;
    bool m_playing = false;
    bool m_muted = false;
};
