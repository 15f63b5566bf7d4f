#include "qelio/QelIoState.h"

qelio::DeviceHandle qelIoDevice = qelio::kInvalidDeviceHandle;
uint32_t qelIoLastError = 0;
std::string qelIoDriverPath;

namespace {

qelio::System* installedSystem = nullptr;

} // namespace

void ResetQelIoStateForTests() {
    qelIoDevice = qelio::kInvalidDeviceHandle;
    qelIoLastError = 0;
    qelIoDriverPath.clear();
    installedSystem = nullptr;
}

namespace qelio {

System& CurrentSystem() {
    return installedSystem ? *installedSystem : PlatformSystem();
}

void InstallSystem(System* system) {
    installedSystem = system;
}

} // namespace qelio
