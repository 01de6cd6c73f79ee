#pragma once

#include "Timeline.h"

#include <algorithm>
#include <vector>

// Time that moves only when the test says so: advance() rings every alarm that falls due on the
// way, in order.
class ManualTimeline : public Timeline {
public:
    qint64 now() const override { return m_now; }

    std::unique_ptr<Alarm> alarm(std::function<void()> ring) override {
        return std::make_unique<ManualAlarm>(*this, std::move(ring));
    }

    void advance(std::chrono::milliseconds by) {
        const qint64 until = m_now + by.count();
        for (;;) {
            auto due = std::min_element(m_alarms.begin(), m_alarms.end(),
                                        [](auto* a, auto* b) { return a->dueAt() < b->dueAt(); });
            if (due == m_alarms.end() || (*due)->dueAt() > until)
                break;
            m_now = (*due)->dueAt();
            (*due)->ring();
        }
        m_now = until;
    }

private:
    class ManualAlarm : public Alarm {
    public:
        ManualAlarm(ManualTimeline& time, std::function<void()> ring)
            : m_time(time), m_ring(std::move(ring)) {}
        ~ManualAlarm() override { stop(); }

        void start(std::chrono::milliseconds interval, bool repeat) override {
            stop();
            m_interval = interval.count();
            m_repeat = repeat;
            m_dueAt = m_time.m_now + m_interval;
            m_time.m_alarms.push_back(this);
        }
        void stop() override { std::erase(m_time.m_alarms, this); }
        qint64 dueAt() const { return m_dueAt; }
        void ring() {
            if (m_repeat)
                m_dueAt += std::max<qint64>(1, m_interval);
            else
                stop();
            m_ring();
        }

    private:
        ManualTimeline& m_time;
        std::function<void()> m_ring;
        qint64 m_interval = 0;
        qint64 m_dueAt = 0;
        bool m_repeat = false;
    };

    qint64 m_now = 0;
    std::vector<ManualAlarm*> m_alarms;
};
