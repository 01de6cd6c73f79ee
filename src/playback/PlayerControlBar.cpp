#include "PlayerControlBar.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include <cmath>

PlayerControlBar::PlayerControlBar(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    m_previous = button("playerPrevious", tr("Previous"), &PlayerControlBar::previousRequested);
    m_playPause = button("playerPlayPause", tr("Play"), &PlayerControlBar::playPauseRequested);
    m_stop = button("playerStop", tr("Stop"), &PlayerControlBar::stopRequested);
    m_next = button("playerNext", tr("Next"), &PlayerControlBar::nextRequested);
    m_previous->setAccessibleDescription(tr("Plays the previous song of the playlist"));
    m_playPause->setAccessibleDescription(tr("Plays or pauses the current song"));
    m_stop->setAccessibleDescription(tr("Stops playing and keeps the playlist"));
    m_next->setAccessibleDescription(tr("Plays the next song of the playlist"));
    m_previous->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    m_playPause->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_next->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));

    m_elapsed = new QLabel(timeText(0), this);
    m_elapsed->setObjectName(QStringLiteral("playerElapsed"));
    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("playerSeek"));
    m_seek->setAccessibleName(tr("Position"));
    m_seek->setAccessibleDescription(tr("Where the current song is; move it to seek"));
    m_elapsed->setAccessibleName(tr("Elapsed time"));
    m_elapsed->setAccessibleDescription(tr("Time played of the current song"));
    m_seek->setRange(0, 0);
    m_total = new QLabel(timeText(0), this);
    m_total->setObjectName(QStringLiteral("playerTotal"));
    m_total->setAccessibleName(tr("Total time"));
    m_total->setAccessibleDescription(tr("Length of the current song"));

    m_mute = button("playerMute", tr("Mute"), nullptr);
    m_mute->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    m_mute->setAccessibleDescription(tr("Silences playback or brings the sound back"));
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("playerVolume"));
    m_volume->setAccessibleName(tr("Volume"));
    m_volume->setAccessibleDescription(tr("Loudness of playback"));
    m_volume->setRange(0, 100);
    m_volume->setValue(50);
    m_volume->setMaximumWidth(60);

    for (QWidget* w : {static_cast<QWidget*>(m_previous), static_cast<QWidget*>(m_playPause),
                       static_cast<QWidget*>(m_stop), static_cast<QWidget*>(m_next),
                       static_cast<QWidget*>(m_elapsed), static_cast<QWidget*>(m_seek),
                       static_cast<QWidget*>(m_total), static_cast<QWidget*>(m_mute),
                       static_cast<QWidget*>(m_volume)})
        row->addWidget(w, w == m_seek ? 1 : 0);

    // The slider reports a seek when the user lets go, or steps it with keys or clicks.
    connect(m_seek, &QSlider::sliderReleased, this,
            [this] { emit seekRequested(m_seek->value() / 10.0); });
    connect(m_seek, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            emit seekRequested(m_seek->sliderPosition() / 10.0);
    });
    connect(m_volume, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderNoAction)
            emit volumeRequested(m_volume->sliderPosition());
    });
    connect(m_mute, &QToolButton::clicked, this, [this] { emit muteRequested(!m_muted); });
}

QToolButton* PlayerControlBar::button(const char* name, const QString& text,
                                      void (PlayerControlBar::*signal)()) {
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(text);
    b->setAccessibleName(text);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    if (signal)
        connect(b, &QToolButton::clicked, this, signal);
    return b;
}

QString PlayerControlBar::timeText(double seconds) {
    const auto whole = static_cast<long long>(std::max(0.0, std::floor(seconds)));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString PlayerControlBar::elapsedText() const {
    return m_elapsed->text();
}
QString PlayerControlBar::totalText() const {
    return m_total->text();
}

void PlayerControlBar::setPlaying(bool playing) {
    m_playing = playing;
    m_playPause->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    const QString text = playing ? tr("Pause") : tr("Play");
    m_playPause->setToolTip(text);
    m_playPause->setAccessibleName(text);
}

void PlayerControlBar::setPosition(double seconds) {
    m_elapsed->setText(timeText(seconds));
    if (!m_seek->isSliderDown())
        m_seek->setValue(static_cast<int>(seconds * 10));
}

void PlayerControlBar::setDuration(double seconds) {
    m_total->setText(timeText(seconds));
    m_seek->setRange(0, static_cast<int>(seconds * 10));
}

void PlayerControlBar::setVolume(int volume) {
    if (!m_volume->isSliderDown())
        m_volume->setValue(volume);
}

void PlayerControlBar::setMuted(bool muted) {
    m_muted = muted;
    m_mute->setIcon(
        style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    m_mute->setToolTip(muted ? tr("Unmute") : tr("Mute"));
}

void PlayerControlBar::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(m_playing ? tr("Pause") : tr("Play"), this,
                   &PlayerControlBar::playPauseRequested);
    menu.addAction(tr("Stop"), this, &PlayerControlBar::stopRequested);
    menu.addSeparator();
    menu.addAction(tr("Previous"), this, &PlayerControlBar::previousRequested);
    menu.addAction(tr("Next"), this, &PlayerControlBar::nextRequested);
    menu.addSeparator();
    menu.addAction(m_muted ? tr("Unmute") : tr("Mute"), this,
                   [this] { emit muteRequested(!m_muted); });
    menu.exec(event->globalPos());
}
