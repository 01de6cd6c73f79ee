#include "SystemTimeline.h"

#include <QTimer>

namespace {

class TimerAlarm : public Timeline::Alarm {
public:
    explicit TimerAlarm(std::function<void()> ring) {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(ring));
    }
    void start(std::chrono::milliseconds interval, bool repeat) override {
        m_timer.setSingleShot(!repeat);
        m_timer.start(interval);
    }
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<Timeline::Alarm> SystemTimeline::alarm(std::function<void()> ring) {
    return std::make_unique<TimerAlarm>(std::move(ring));
}
