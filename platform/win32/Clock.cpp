#include "platform/SystemBackend.h"
#include "platform/win32/WinApi.h"

#include <timeapi.h>

namespace platform::internal {
namespace {

constexpr UINT kTimerResolutionMs = 1;

class WindowsClock final : public Clock {
public:
    // Without a finer timer, Sleep rounds up to the system's 15.6 ms tick and frame pacing with it.
    WindowsClock() { timeBeginPeriod(kTimerResolutionMs); }
    ~WindowsClock() override { timeEndPeriod(kTimerResolutionMs); }
    uint32_t TickCount() override { return ::GetTickCount(); }
    uint64_t PerformanceCounter() override {
        LARGE_INTEGER count;
        ::QueryPerformanceCounter(&count);
        return static_cast<uint64_t>(count.QuadPart);
    }
    uint64_t PerformanceFrequency() override {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<uint64_t>(frequency.QuadPart);
    }
    void Delay(uint32_t milliseconds) override { Sleep(milliseconds); }
};

} // namespace

Clock& SystemClock() {
    static WindowsClock clock;
    return clock;
}

} // namespace platform::internal
