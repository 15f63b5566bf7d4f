#include "platform/AudioDevice.h"

#include "platform/SystemBackend.h"

#include <cassert>

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

namespace internal {

bool SharedAudioOutput::Acquire() {
    if (holders == 0 && !OpenOutput()) {
        return false;
    }
    ++holders;
    return true;
}

void SharedAudioOutput::Release() {
    assert(holders > 0 && "every release matches an acquire that succeeded");
    if (--holders == 0) {
        CloseOutput();
    }
}

std::unique_ptr<MusicStream> SharedAudioOutput::OpenMusic(const std::string& path) {
    if (holders == 0) {
        return nullptr;
    }
    std::unique_ptr<MusicStream> stream = LoadMusic(path);
    if (stream) {
        ++holders;
    }
    return stream;
}

} // namespace internal

} // namespace platform
