// Calendar time that moves with a fake tick clock: `startUtcMs` where the clock's counter reads zero.
// Installs itself for its lifetime.
#pragma once

#include "stats/WallClock.h"
#include "support/FakeClock.h"

#include <cstdint>

namespace testing_support {

class FakeWallClock final : public stats::WallClock {
public:
    FakeWallClock(FakeClock& ticks, int64_t startUtcMs) : ticks(ticks), startUtcMs(startUtcMs) {
        stats::InstallWallClock(this);
    }
    ~FakeWallClock() override { stats::InstallWallClock(nullptr); }
    FakeWallClock(const FakeWallClock&) = delete;
    FakeWallClock& operator=(const FakeWallClock&) = delete;

    int64_t UtcMilliseconds() override {
        return startUtcMs + static_cast<int64_t>(ticks.PerformanceCounter() / 1000);
    }

private:
    FakeClock& ticks;
    int64_t startUtcMs;
};

} // namespace testing_support
