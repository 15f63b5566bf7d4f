#include "platform/Clock.h"

#include "platform/SystemBackend.h"

#include <chrono>

namespace platform {
namespace {

Clock* installedClock = nullptr;

} // namespace

int64_t Clock::UtcMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void InstallClock(Clock* clock) {
    installedClock = clock;
}

Clock& CurrentClock() {
    return installedClock ? *installedClock : internal::SystemClock();
}

} // namespace platform
