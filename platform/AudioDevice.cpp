#include "platform/AudioDevice.h"

#include "platform/SystemBackend.h"

namespace platform {
namespace {

AudioDevice* installedDevice = nullptr;

} // namespace

void InstallAudioDevice(AudioDevice* device) {
    installedDevice = device;
}

AudioDevice& CurrentAudioDevice() {
    return installedDevice ? *installedDevice : internal::SystemAudioDevice();
}

} // namespace platform
