#pragma once

#include <QKeySequence>
#include <QList>

// The player's keys, shown in the control bar's tool tips and bound by the main window.
namespace PlayerKeys {
inline QKeySequence playPause() {
    return QKeySequence(Qt::Key_Space);
}
inline QKeySequence stop() {
    return QKeySequence(Qt::CTRL | Qt::Key_Period);
}
inline QKeySequence next() {
    return QKeySequence(Qt::ALT | Qt::Key_Right);
}
inline QKeySequence previous() {
    return QKeySequence(Qt::ALT | Qt::Key_Left);
}
inline QKeySequence seekForward() {
    return QKeySequence(Qt::CTRL | Qt::Key_Right);
}
inline QKeySequence seekBackward() {
    return QKeySequence(Qt::CTRL | Qt::Key_Left);
}
inline QKeySequence volumeUp() {
    return QKeySequence(Qt::CTRL | Qt::Key_Up);
}
inline QKeySequence volumeDown() {
    return QKeySequence(Qt::CTRL | Qt::Key_Down);
}
inline QKeySequence mute() {
    return QKeySequence(Qt::CTRL | Qt::Key_M);
}
// Repeat goes Off, All, One and round again.
inline QKeySequence repeat() {
    return QKeySequence(Qt::CTRL | Qt::Key_T);
}
inline QKeySequence shuffle() {
    return QKeySequence(Qt::CTRL | Qt::Key_H);
}
// Every key above and a keyboard's media keys: none asks the server for anything.
inline QList<QKeySequence> transport() {
    return {playPause(),
            stop(),
            next(),
            previous(),
            seekForward(),
            seekBackward(),
            volumeUp(),
            volumeDown(),
            mute(),
            repeat(),
            shuffle(),
            QKeySequence(Qt::Key_MediaTogglePlayPause),
            QKeySequence(Qt::Key_MediaPlay),
            QKeySequence(Qt::Key_MediaPause),
            QKeySequence(Qt::Key_MediaStop),
            QKeySequence(Qt::Key_MediaNext),
            QKeySequence(Qt::Key_MediaPrevious)};
}
constexpr double SeekStepSeconds = 5;
constexpr double SeekPageSeconds = 30;
constexpr int VolumeStep = 5;
} // namespace PlayerKeys
