#pragma once

#include "Timeline.h"

#include <QElapsedTimer>

// The system's monotonic clock, and alarms on Qt's timers.
class SystemTimeline : public Timeline {
public:
    SystemTimeline() { m_clock.start(); }

    qint64 now() const override { return m_clock.elapsed(); }
    std::unique_ptr<Alarm> alarm(std::function<void()> ring) override;

private:
    QElapsedTimer m_clock;
};
