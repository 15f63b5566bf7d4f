#include "stats/WallClock.h"

#include <chrono>

namespace stats {
namespace {

class SystemWallClock final : public WallClock {
public:
    int64_t UtcMilliseconds() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    }
};

SystemWallClock systemWallClock;
WallClock* installedWallClock = nullptr;

} // namespace

void InstallWallClock(WallClock* clock) {
    installedWallClock = clock;
}

WallClock& CurrentWallClock() {
    return installedWallClock ? *installedWallClock : systemWallClock;
}

} // namespace stats
