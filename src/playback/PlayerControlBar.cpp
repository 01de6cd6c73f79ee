#include "PlayerControlBar.h"

#include "PlayerKeys.h"
#include "PositionSlider.h"
#include "SpokenLabel.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

#include <cmath>

using TransportIcons::Kind;

PlayerControlBar::PlayerControlBar(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    m_previous = button("playerPrevious", &PlayerControlBar::previousRequested);
    m_playPause = button("playerPlayPause", &PlayerControlBar::playPauseRequested);
    m_stop = button("playerStop", &PlayerControlBar::stopRequested);
    m_next = button("playerNext", &PlayerControlBar::nextRequested);
    describe(m_previous, tr("Previous"), PlayerKeys::previous());
    describe(m_stop, tr("Stop"), PlayerKeys::stop());
    describe(m_next, tr("Next"), PlayerKeys::next());
    m_previous->setAccessibleDescription(tr("Plays the previous song of the playlist"));
    m_playPause->setAccessibleDescription(tr("Plays or pauses the current song"));
    m_stop->setAccessibleDescription(tr("Stops playing and keeps the playlist"));
    m_next->setAccessibleDescription(tr("Plays the next song of the playlist"));

    m_elapsed = new SpokenLabel(tr("Elapsed time"), this);
    m_elapsed->setObjectName(QStringLiteral("playerElapsed"));
    m_elapsed->setAccessibleDescription(tr("Time played of the current song"));
    m_seek = new PositionSlider(this);
    m_seek->setObjectName(QStringLiteral("playerSeek"));
    m_seek->setAccessibleName(tr("Position"));
    m_seek->setAccessibleDescription(tr("Where the current song is; move it to seek"));
    m_seek->setToolTip(tr("Position (%1 and %2 seek %3 seconds)")
                           .arg(PlayerKeys::seekBackward().toString(QKeySequence::NativeText),
                                PlayerKeys::seekForward().toString(QKeySequence::NativeText))
                           .arg(PlayerKeys::SeekStepSeconds));
    m_seek->setRange(0, 0);
    m_seek->setSingleStep(static_cast<int>(PlayerKeys::SeekStepSeconds));
    m_seek->setPageStep(static_cast<int>(PlayerKeys::SeekPageSeconds));
    // However large the font, the slider keeps room to be dragged.
    m_seek->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00")) * 2);
    m_total = new SpokenLabel(tr("Total time"), this);
    m_total->setObjectName(QStringLiteral("playerTotal"));
    m_total->setAccessibleDescription(tr("Length of the current song"));
    m_elapsed->showText(timeText(0));
    m_total->showText(timeText(0));

    // Checked as the player says, never by the click itself.
    auto* repeats = new QActionGroup(this);
    const char* repeatNames[] = {QT_TR_NOOP("Repeat Off"), QT_TR_NOOP("Repeat All"),
                                 QT_TR_NOOP("Repeat One")};
    const char* repeatObjects[] = {"mnuRepeatOff", "mnuRepeatAll", "mnuRepeatOne"};
    for (std::size_t i = 0; i < m_repeat.size(); ++i) {
        QAction* item = repeats->addAction(tr(repeatNames[i]));
        item->setObjectName(QLatin1String(repeatObjects[i]));
        item->setCheckable(true);
        item->setToolTip(tr("%1 switches between Repeat Off, All and One")
                             .arg(PlayerKeys::repeat().toString(QKeySequence::NativeText)));
        connect(item, &QAction::triggered, this, [this, i] {
            setRepeat(m_shownRepeat);
            emit repeatRequested(static_cast<RepeatMode>(i));
        });
        m_repeat[i] = item;
    }
    m_repeat[0]->setChecked(true);
    m_shuffle = new QAction(tr("Shuffle"), this);
    m_shuffle->setObjectName(QStringLiteral("mnuShuffle"));
    m_shuffle->setCheckable(true);
    m_shuffle->setToolTip(
        tr("Shuffle (%1)").arg(PlayerKeys::shuffle().toString(QKeySequence::NativeText)));
    connect(m_shuffle, &QAction::triggered, this, [this](bool checked) {
        m_shuffle->setChecked(!checked);
        emit shuffleRequested(checked);
    });
    setToolTip(tr("Right-click for repeat (%1) and shuffle (%2)")
                   .arg(PlayerKeys::repeat().toString(QKeySequence::NativeText),
                        PlayerKeys::shuffle().toString(QKeySequence::NativeText)));

    m_mute = button("playerMute", nullptr);
    m_mute->setCheckable(true);
    describe(m_mute, tr("Mute"), PlayerKeys::mute());
    m_mute->setAccessibleDescription(tr("Silences playback or brings the sound back"));
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("playerVolume"));
    m_volume->setAccessibleName(tr("Volume"));
    m_volume->setAccessibleDescription(tr("Loudness of playback"));
    m_volume->setToolTip(tr("Volume (%1, %2)")
                             .arg(PlayerKeys::volumeUp().toString(QKeySequence::NativeText),
                                  PlayerKeys::volumeDown().toString(QKeySequence::NativeText)));
    m_volume->setRange(0, 100);
    m_volume->setSingleStep(PlayerKeys::VolumeStep);
    m_volume->setValue(50);
    const int volumeWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    m_volume->setMinimumWidth(volumeWidth);
    m_volume->setMaximumWidth(std::max(60, volumeWidth * 2));

    for (QWidget* w : {static_cast<QWidget*>(m_previous), static_cast<QWidget*>(m_playPause),
                       static_cast<QWidget*>(m_stop), static_cast<QWidget*>(m_next),
                       static_cast<QWidget*>(m_elapsed), static_cast<QWidget*>(m_seek),
                       static_cast<QWidget*>(m_total), static_cast<QWidget*>(m_mute),
                       static_cast<QWidget*>(m_volume)})
        row->addWidget(w, w == m_seek ? 1 : 0);

    // Dragging seeks when the user lets go; keys and clicks on the groove step from where
    // playback is, not from where the slider was last drawn.
    connect(m_seek, &QSlider::sliderReleased, this,
            [this] { emit seekRequested(m_seek->value()); });
    connect(m_seek, &QSlider::actionTriggered, this, &PlayerControlBar::onSeekAction);
    connect(m_seek, &PositionSlider::valueRequested, this,
            [this](int seconds) { emit seekRequested(seconds); });
    connect(m_volume, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderNoAction)
            emit volumeRequested(m_volume->sliderPosition());
    });
    // The button shows the player's state, not its own: the click only asks.
    connect(m_mute, &QToolButton::clicked, this, [this] {
        m_mute->setChecked(m_muted);
        emit muteRequested(!m_muted);
    });
    setPlaying(false);
    setMuted(false);
}

void PlayerControlBar::onSeekAction(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        emit seekByRequested(PlayerKeys::SeekStepSeconds);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        emit seekByRequested(-PlayerKeys::SeekStepSeconds);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        emit seekByRequested(PlayerKeys::SeekPageSeconds);
        break;
    case QAbstractSlider::SliderPageStepSub:
        emit seekByRequested(-PlayerKeys::SeekPageSeconds);
        break;
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        emit seekRequested(m_seek->sliderPosition());
        break;
    default:
        break;
    }
}

QToolButton* PlayerControlBar::button(const char* name, void (PlayerControlBar::*signal)()) {
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    if (signal)
        connect(b, &QToolButton::clicked, this, signal);
    return b;
}

void PlayerControlBar::describe(QToolButton* button, const QString& name, const QKeySequence& key) {
    button->setAccessibleName(name);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(name, key.toString(QKeySequence::NativeText)));
}

// Icons as tall as a line of text, and drawn in the text's colour.
void PlayerControlBar::showIcons() {
    const int side = std::max(16, fontMetrics().height());
    for (QToolButton* b : {m_previous, m_playPause, m_stop, m_next, m_mute})
        b->setIconSize(QSize(side, side));
    const QPalette& p = palette();
    m_previous->setIcon(TransportIcons::icon(Kind::Previous, p));
    m_playPause->setIcon(TransportIcons::icon(m_playing ? Kind::Pause : Kind::Play, p));
    m_stop->setIcon(TransportIcons::icon(Kind::Stop, p));
    m_next->setIcon(TransportIcons::icon(Kind::Next, p));
    m_mute->setIcon(TransportIcons::icon(m_muted ? Kind::Muted : Kind::Volume, p));
}

void PlayerControlBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::FontChange)
        showIcons();
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
    showIcons();
    describe(m_playPause, playing ? tr("Pause") : tr("Play"), PlayerKeys::playPause());
}

void PlayerControlBar::setPosition(double seconds) {
    const QString text = timeText(seconds);
    if (text != m_elapsed->text())
        m_elapsed->showText(text);
    if (!m_seek->isSliderDown())
        m_seek->setValue(static_cast<int>(std::floor(std::max(0.0, seconds))));
}

void PlayerControlBar::setDuration(double seconds) {
    m_total->showText(timeText(seconds));
    m_seek->setMaximum(static_cast<int>(std::floor(std::max(0.0, seconds))));
}

void PlayerControlBar::setVolume(int volume) {
    if (!m_volume->isSliderDown())
        m_volume->setValue(volume);
}

void PlayerControlBar::setMuted(bool muted) {
    m_muted = muted;
    m_mute->setChecked(muted);
    showIcons();
}

void PlayerControlBar::setAvailable(bool canPlay, bool canGoPrevious, bool canGoNext,
                                    bool canSeek) {
    m_playPause->setEnabled(canPlay || m_playing);
    m_previous->setEnabled(canGoPrevious);
    m_next->setEnabled(canGoNext);
    m_seek->setEnabled(canSeek);
}

void PlayerControlBar::setRepeat(RepeatMode repeat) {
    m_shownRepeat = repeat;
    m_repeat[static_cast<std::size_t>(repeat)]->setChecked(true);
}

void PlayerControlBar::setShuffled(bool shuffled) {
    m_shuffle->setChecked(shuffled);
}

QMenu* PlayerControlBar::createContextMenu() {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    menu->addAction(m_playing ? tr("Pause") : tr("Play"), this,
                    &PlayerControlBar::playPauseRequested)
        ->setEnabled(m_playPause->isEnabled());
    menu->addAction(tr("Stop"), this, &PlayerControlBar::stopRequested);
    menu->addSeparator();
    menu->addAction(tr("Previous"), this, &PlayerControlBar::previousRequested)
        ->setEnabled(m_previous->isEnabled());
    menu->addAction(tr("Next"), this, &PlayerControlBar::nextRequested)
        ->setEnabled(m_next->isEnabled());
    menu->addSeparator();
    menu->addActions({m_repeat[0], m_repeat[1], m_repeat[2]});
    menu->addSeparator();
    menu->addAction(m_shuffle);
    menu->addSeparator();
    menu->addAction(m_muted ? tr("Unmute") : tr("Mute"), this,
                    [this] { emit muteRequested(!m_muted); });
    return menu;
}

void PlayerControlBar::contextMenuEvent(QContextMenuEvent* event) {
    createContextMenu()->popup(event->globalPos());
}
