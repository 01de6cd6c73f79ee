#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// The longest stretch the GUI thread went without running a 16 ms timer: how long the window
// could not have painted.
class GapMeter : public QObject {
public:
    GapMeter() {
        m_timer.setInterval(16);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }
    void start() {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Milliseconds.
    double stop() {
        tick();
        m_timer.stop();
        return static_cast<double>(m_longest) / 1e6;
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};
