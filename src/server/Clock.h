#pragma once

#include <cstdint>
#include <functional>

// Seconds since 1970-01-01 00:00:00 UTC. Injectable so tests can sign in at any moment.
using UnixClock = std::function<std::int64_t()>;

UnixClock systemUnixClock();
