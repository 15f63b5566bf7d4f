#include "shell/FramePacing.h"

#include "platform/Clock.h"

namespace {
constexpr uint32_t kMillisecondsPerSecond = 1000;
}

uint32_t MinimumFrameMilliseconds(bool swapWaitsForDisplay, int refreshHz) {
    if (swapWaitsForDisplay) {
        return 0;
    }
    const uint32_t hz = refreshHz > 0 ? static_cast<uint32_t>(refreshHz) : kFallbackRefreshHz;
    return (kMillisecondsPerSecond + hz - 1) / hz;
}

void WaitForFrameSlot(uint32_t lastFrameTick, uint32_t minimumMs) {
    platform::Clock& clock = platform::CurrentClock();
    // A sleep may end a little early; check again rather than trust it.
    for (uint32_t elapsed = clock.TickCount() - lastFrameTick; elapsed < minimumMs;
         elapsed = clock.TickCount() - lastFrameTick) {
        clock.Delay(minimumMs - elapsed);
    }
}
