// A clock that tests drive by hand: the tick count, the performance counter and Delay all move only
// when the test advances time. Installs itself for its lifetime.
#pragma once

#include "platform/Clock.h"

#include <cstdint>

namespace testing_support {

class FakeClock final : public platform::Clock {
public:
    static constexpr uint64_t kFrequency = 1000000; // counts per second: one per microsecond

    explicit FakeClock(uint32_t startTick = 1000) : tickBase(startTick) { platform::InstallClock(this); }
    ~FakeClock() override { platform::InstallClock(nullptr); }

    void AdvanceMs(double milliseconds) { micros += static_cast<uint64_t>(milliseconds * 1000.0 + 0.5); }
    void AdvanceSeconds(double seconds) { AdvanceMs(seconds * 1000.0); }
    uint64_t DelayedMs() const { return delayedMs; }

    uint32_t TickCount() override { return static_cast<uint32_t>(tickBase + micros / 1000); }
    uint64_t PerformanceCounter() override { return micros; }
    uint64_t PerformanceFrequency() override { return kFrequency; }
    void Delay(uint32_t milliseconds) override {
        delayedMs += milliseconds;
        AdvanceMs(milliseconds);
    }

private:
    uint64_t tickBase;
    uint64_t micros = 0;
    uint64_t delayedMs = 0;
};

} // namespace testing_support
