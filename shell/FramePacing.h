// Keeps frames from running shorter than one display refresh when the buffer swap does not wait for the
// display, so per-frame motion sees display-rate frame times.
#pragma once

#include <cstdint>

// Refresh rate assumed when the display does not report one.
constexpr int kFallbackRefreshHz = 60;

// 0 when the swap already waits for the display; otherwise one refresh period, rounded up to whole
// milliseconds so that no frame is shorter. A refresh rate of 0 or less means unknown.
uint32_t MinimumFrameMilliseconds(bool swapWaitsForDisplay, int refreshHz);

// Delays until at least minimumMs have passed on the tick count since lastFrameTick. A frame that has
// already taken that long is not delayed.
void WaitForFrameSlot(uint32_t lastFrameTick, uint32_t minimumMs);
