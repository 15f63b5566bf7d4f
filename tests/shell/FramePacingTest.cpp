#include "shell/FramePacing.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace {

TEST(FramePacingTest, MinimumFrameIsOneRefreshUnlessTheSwapWaits) {
    EXPECT_EQ(MinimumFrameMilliseconds(true, 60), 0u);
    EXPECT_EQ(MinimumFrameMilliseconds(false, 60), 17u);
    EXPECT_EQ(MinimumFrameMilliseconds(false, 0), 17u) << "unknown rate: 60 Hz";
    EXPECT_EQ(MinimumFrameMilliseconds(false, -1), 17u);
    EXPECT_EQ(MinimumFrameMilliseconds(false, 75), 14u);
    EXPECT_EQ(MinimumFrameMilliseconds(false, 50), 20u);
    EXPECT_EQ(MinimumFrameMilliseconds(false, 144), 7u);
}

TEST(FramePacingTest, ShortFramesAreStretchedAndSlowFramesLeftAlone) {
    testing_support::FakeClock clock(1000);
    const uint32_t start = 1000;
    clock.AdvanceMs(5);
    WaitForFrameSlot(start, 17);
    EXPECT_EQ(clock.DelayedMs(), 12u);
    EXPECT_EQ(clock.TickCount() - start, 17u);

    const uint32_t next = clock.TickCount();
    clock.AdvanceMs(40);
    WaitForFrameSlot(next, 17);
    EXPECT_EQ(clock.DelayedMs(), 12u) << "a slow frame is not delayed further";

    const uint32_t exact = clock.TickCount();
    clock.AdvanceMs(17);
    WaitForFrameSlot(exact, 17);
    EXPECT_EQ(clock.DelayedMs(), 12u);

    WaitForFrameSlot(clock.TickCount(), 0);
    EXPECT_EQ(clock.DelayedMs(), 12u);
}

TEST(FramePacingTest, PacingWorksAcrossTheTickWrap) {
    testing_support::FakeClock clock(0xFFFFFFFAu);
    const uint32_t start = clock.TickCount();
    clock.AdvanceMs(3);
    WaitForFrameSlot(start, 17);
    EXPECT_EQ(clock.DelayedMs(), 14u);
    EXPECT_EQ(clock.TickCount(), 11u);
}

} // namespace
