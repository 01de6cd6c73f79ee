#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

// The time something goes by: the system's (SystemTimeline), or one a test moves on by hand.
class Timeline {
public:
    // Rings once its time has come, once or every interval, until stopped or dropped.
    class Alarm {
    public:
        virtual ~Alarm() = default;
        virtual void start(std::chrono::milliseconds interval, bool repeat) = 0;
        virtual void stop() = 0;
    };

    virtual ~Timeline() = default;
    // Milliseconds since some fixed start.
    virtual qint64 now() const = 0;
    // An alarm that calls `ring` on this thread.
    virtual std::unique_ptr<Alarm> alarm(std::function<void()> ring) = 0;
};
