#include "platform/SystemBackend.h"

#include <SDL.h>

namespace platform::internal {
namespace {

class SdlClock final : public Clock {
public:
    uint32_t TickCount() override { return SDL_GetTicks(); }
    uint64_t PerformanceCounter() override { return SDL_GetPerformanceCounter(); }
    uint64_t PerformanceFrequency() override { return SDL_GetPerformanceFrequency(); }
    void Delay(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};

} // namespace

Clock& SystemClock() {
    static SdlClock clock;
    return clock;
}

} // namespace platform::internal
