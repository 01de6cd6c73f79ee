#include "Clock.h"

#include <QDateTime>

UnixClock systemUnixClock() {
    return [] { return static_cast<std::int64_t>(QDateTime::currentSecsSinceEpoch()); };
}
