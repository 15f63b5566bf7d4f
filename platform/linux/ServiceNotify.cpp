#include "platform/ServiceNotify.h"

#include <systemd/sd-daemon.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Pings four times per watchdog interval: twice would do, the rest is room for slow frames.
constexpr int kPingsPerInterval = 4;
constexpr int kDontUnsetEnvironment = 0;

bool readySent = false;
bool watchdogKnown = false;
Clock::duration pingInterval{};
Clock::time_point lastPing;

Clock::duration WatchdogInterval() {
    uint64_t microseconds = 0;
    if (sd_watchdog_enabled(kDontUnsetEnvironment, &microseconds) <= 0) {
        // The watchdog may be addressed to the service's main process (the X session starter of a
        // kiosk), which never pings; this program, its descendant, is what keeps it fed.
        const char* owner = std::getenv("WATCHDOG_PID");
        const char* value = std::getenv("WATCHDOG_USEC");
        if (!owner || !value) {
            return {};
        }
        microseconds = std::strtoull(value, nullptr, 10);
    }
    return std::chrono::microseconds(microseconds) / kPingsPerInterval;
}

} // namespace

void NotifyFrameSwapped() {
    const Clock::time_point now = Clock::now();
    if (!readySent) {
        readySent = true;
        sd_notify(kDontUnsetEnvironment, "READY=1");
        lastPing = now;
    }
    if (!watchdogKnown) {
        watchdogKnown = true;
        pingInterval = WatchdogInterval();
    }
    if (pingInterval > Clock::duration::zero() && now - lastPing >= pingInterval) {
        sd_notify(kDontUnsetEnvironment, "WATCHDOG=1");
        lastPing = now;
    }
}

void NotifyStatus(const std::string& status) {
    sd_notify(kDontUnsetEnvironment, ("STATUS=" + status).c_str());
}

} // namespace platform
