#pragma once

#include "TransportIcons.h"

#include <QWidget>

class PositionSlider;
class QMenu;
class QSlider;
class QToolButton;
class SpokenLabel;

// The player's control bar: previous, play/pause, stop, next, a seek slider with elapsed and
// total time, volume and mute. It only says what the user asks for and shows what it is told.
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
    bool m_playing = false;
    bool m_muted = false;
};
