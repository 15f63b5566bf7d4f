#include "platform/Clock.h"

#include "platform/SystemBackend.h"

namespace platform {
namespace {

Clock* installedClock = nullptr;

} // namespace

void InstallClock(Clock* clock) {
    installedClock = clock;
}

Clock& CurrentClock() {
    return installedClock ? *installedClock : internal::SystemClock();
}

} // namespace platform
