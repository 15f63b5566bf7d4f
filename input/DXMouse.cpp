#include "input/DXMouse.h"

#include "platform/MessageLines.h"

namespace {

std::optional<InputState> SnapshotOf(const platform::MouseData& data) {
    auto state = std::optional<InputState>(std::in_place);
    state->moveX = data.x;
    state->moveY = data.y;
    state->buttons[0] = (data.buttons[0] & platform::kButtonDown) != 0;
    state->buttons[1] = (data.buttons[1] & platform::kButtonDown) != 0;
    return state;
}

} // namespace

DXMouse::DXMouse(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window)
    : DXInputDevice(shared, instance, window) {
    deviceGuid = platform::kSysMouseGuid;
    Setup();
}

void DXMouse::Setup() {
    SetupSystemDevice(platform::InputDataFormat::Mouse,
                      {"DXMouse: Can't create mouse device - %s\n",
                       "DXMouse: Failed to set cooperation level properly - %s\n",
                       "DXMouse: Error setting data format - %s\n", "DXMouse: Couldnt acquire the mouse...\n",
                       "DXMouse: Loaded mouse device - %s\n"});
}

std::optional<InputState> DXMouse::Poll() {
    platform::MouseData data;
    platform::InputResult acquireResult = platform::InputResult::Ok;
    if (!ReadRecovering(sizeof data, &data, acquireResult)) {
        platform::PrintMessage("DXMouse: Can't reacquire mouse device - %s\n",
                               platform::InputResultName(acquireResult));
        return std::nullopt;
    }
    return SnapshotOf(data);
}

std::optional<InputState> DXMouse::Peek() {
    platform::MouseData data;
    if (platform::Failed(device->GetDeviceState(sizeof data, &data))) {
        return std::nullopt;
    }
    return SnapshotOf(data);
}
