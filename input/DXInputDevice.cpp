#include "input/DXInputDevice.h"

#include "platform/MessageLines.h"

#include <cstring>

namespace {

// A device that reports lost input again right after each successful re-acquisition would otherwise
// keep the frame loop here forever.
constexpr int kMaxReacquisitions = 8;

} // namespace

DXInputDevice::DXInputDevice(SharedInput& sharedInput, platform::InstanceHandle instance,
                             platform::WindowHandle window)
    : instance(instance), window(window), shared(sharedInput) {
    if (shared.directInput || shared.directInputFailed) {
        return;
    }
    if (platform::Failed(
            platform::CreateInputSystem(instance, platform::kInputVersion, shared.directInput))) {
        shared.directInput.reset();
        shared.directInputFailed = true;
        platform::PrintMessage("Unable to Initialize DX-Input COM object...\n");
    }
}

void DXInputDevice::SetupSystemDevice(platform::InputDataFormat format, const SetupMessages& messages) {
    using platform::Failed;
    using platform::InputResultName;
    if (!shared.directInput) {
        return;
    }
    platform::InputResult result = shared.directInput->CreateDevice(deviceGuid, device);
    if (Failed(result)) {
        device.reset();
        platform::PrintMessage(messages.createFailed, InputResultName(result));
        return;
    }
    result = device->SetCooperativeLevel(window, kSharedBackgroundLevel);
    if (Failed(result)) {
        platform::PrintMessage(messages.cooperationFailed, InputResultName(result));
        return;
    }
    result = device->SetDataFormat(format);
    if (Failed(result)) {
        platform::PrintMessage(messages.formatFailed, InputResultName(result));
        return;
    }
    result = device->Acquire();
    if (Failed(result)) {
        platform::PrintMessage("%s", messages.acquireFailed);
        return;
    }
    platform::PrintMessage(messages.loaded, InputResultName(result));
    ready = true;
}

bool DXInputDevice::ReadRecovering(uint32_t size, void* data, platform::InputResult& acquireResult) {
    // Cleared before every read so that a failed read yields a neutral snapshot, not stale bytes.
    std::memset(data, 0, size);
    platform::InputResult result = device->GetDeviceState(size, data);
    for (int attempt = 0; result == platform::InputResult::InputLost; ++attempt) {
        if (attempt == kMaxReacquisitions) {
            acquireResult = result;
            return false;
        }
        acquireResult = device->Acquire();
        if (platform::Failed(acquireResult)) {
            return false;
        }
        std::memset(data, 0, size);
        result = device->GetDeviceState(size, data);
    }
    return true;
}
