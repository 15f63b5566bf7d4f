#include "platform/Clock.h"

#include <SDL.h>

namespace platform {
namespace {

class SystemClock final : public Clock {
public:
    uint32_t TickCount() override { return SDL_GetTicks(); }
    uint64_t PerformanceCounter() override { return SDL_GetPerformanceCounter(); }
    uint64_t PerformanceFrequency() override { return SDL_GetPerformanceFrequency(); }
    void Delay(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};

SystemClock systemClock;
Clock* installedClock = nullptr;

} // namespace

void InstallClock(Clock* clock) { installedClock = clock; }

Clock& CurrentClock() { return installedClock ? *installedClock : systemClock; }

} // namespace platform
