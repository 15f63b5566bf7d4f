// Time sources of the frame loop and of the stopwatches: a 32-bit millisecond tick count that wraps,
// and a high-resolution counter with its frequency. Backed by SDL on Linux and by the
// system's tick count and performance counter on Windows; tests install a fake clock. The calendar
// time that visit records and the show's figures carry comes from the same clock, so that a fake one
// moves both together.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
    virtual uint64_t PerformanceCounter() = 0;
    virtual uint64_t PerformanceFrequency() = 0;
    // Blocks the frame loop; a fake clock advances its time instead.
    virtual void Delay(uint32_t milliseconds) = 0;
    // UTC milliseconds since 1970; the C++ library's system clock on every system.
    virtual int64_t UtcMilliseconds();
};

// nullptr puts the system clock back.
void InstallClock(Clock* clock);
Clock& CurrentClock();

inline uint32_t GetTickCount() {
    return CurrentClock().TickCount();
}
inline uint64_t QueryPerformanceCounter() {
    return CurrentClock().PerformanceCounter();
}
inline uint64_t QueryPerformanceFrequency() {
    return CurrentClock().PerformanceFrequency();
}

} // namespace platform
