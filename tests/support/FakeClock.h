// A clock that tests drive by hand: the tick count, the performance counter, Delay and the calendar
// time all move only when the test advances time. Installs itself for its lifetime.
#pragma once

#include "platform/Clock.h"

#include <cstdint>

namespace testing_support {

class FakeClock final : public platform::Clock {
public:
    static constexpr uint64_t kFrequency = 1000000; // counts per second: one per microsecond

    // startUtcMs: the calendar time where the counter reads zero.
    static constexpr uint32_t kDefaultStartTick = 1000;

    explicit FakeClock(uint32_t startTick = kDefaultStartTick, int64_t startUtcMs = 0)
        : tickBase(startTick), startUtcMs(startUtcMs) {
        platform::InstallClock(this);
    }
    ~FakeClock() override { platform::InstallClock(nullptr); }

    void AdvanceMs(double milliseconds) { micros += static_cast<uint64_t>(milliseconds * 1000.0 + 0.5); }
    void AdvanceSeconds(double seconds) { AdvanceMs(seconds * 1000.0); }
    uint64_t DelayedMs() const { return delayedMs; }
    void StartUtcAt(int64_t utcMs) { startUtcMs = utcMs; }

    uint32_t TickCount() override { return static_cast<uint32_t>(tickBase + micros / 1000); }
    uint64_t PerformanceCounter() override { return micros; }
    uint64_t PerformanceFrequency() override { return kFrequency; }
    void Delay(uint32_t milliseconds) override {
        delayedMs += milliseconds;
        AdvanceMs(milliseconds);
    }
    int64_t UtcMilliseconds() override { return startUtcMs + static_cast<int64_t>(micros / 1000); }

private:
    uint64_t tickBase;
    uint64_t micros = 0;
    uint64_t delayedMs = 0;
    int64_t startUtcMs;
};

} // namespace testing_support
