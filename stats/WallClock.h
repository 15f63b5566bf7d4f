// The calendar time that visit records carry: UTC milliseconds since 1970. Backed by the system clock;
// tests install a clock of their own.
#pragma once

#include <cstdint>

namespace stats {

class WallClock {
public:
    virtual ~WallClock() = default;
    virtual int64_t UtcMilliseconds() = 0;
};

// nullptr puts the system clock back.
void InstallWallClock(WallClock* clock);
WallClock& CurrentWallClock();

} // namespace stats
