#include "core/PerfTimer.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

TEST(PerfTimer, FirstElapsedIsZeroAndLaterOnesMeasureFromReset) {
    testing_support::FakeClock clock;
    clock.AdvanceSeconds(5.0);
    PerfTimer timer;
    EXPECT_EQ(timer.Elapsed(), 0.0);
    // Before any Reset the times start at 0.0, so a second call measures from the counter's origin.
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 5.0);
    timer.Reset();
    clock.AdvanceMs(1500);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.5);
}

TEST(PerfTimer, PausedTimeDoesNotCount) {
    testing_support::FakeClock clock;
    PerfTimer timer;
    timer.Reset();
    clock.AdvanceSeconds(1.0);
    timer.Pause();
    clock.AdvanceSeconds(2.0);
    timer.Pause(); // a second pause keeps the first start
    clock.AdvanceSeconds(2.0);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.0);
    EXPECT_TRUE(timer.IsPaused());
    clock.AdvanceSeconds(3.0);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.0);
    timer.Resume();
    timer.Resume(); // no effect on a running timer
    clock.AdvanceSeconds(0.5);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 1.5);
}

TEST(PerfTimer, ResetResumesAPausedTimer) {
    testing_support::FakeClock clock;
    PerfTimer timer;
    timer.Reset();
    timer.Pause();
    clock.AdvanceSeconds(4.0);
    timer.Reset();
    EXPECT_FALSE(timer.IsPaused());
    clock.AdvanceSeconds(0.25);
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.25);
}

namespace {
// A counter whose frequency the test changes, to see that it is never cached.
struct ScaledClock final : platform::Clock {
    uint64_t counter = 0;
    uint64_t frequency = 1000;
    ScaledClock() { platform::InstallClock(this); }
    ~ScaledClock() override { platform::InstallClock(nullptr); }
    uint32_t TickCount() override { return 0; }
    uint64_t PerformanceCounter() override { return counter; }
    uint64_t PerformanceFrequency() override { return frequency; }
    void Delay(uint32_t) override {}
};
} // namespace

TEST(PerfTimer, ReadsTheFrequencyAfreshEachTime) {
    ScaledClock clock;
    PerfTimer timer;
    timer.Reset();
    clock.counter = 1000;
    clock.frequency = 500;
    EXPECT_DOUBLE_EQ(timer.Elapsed(), 2.0);
}
