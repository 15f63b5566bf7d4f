#include "input/DXJoystick.h"

#include "platform/MessageLines.h"

#include <cmath>

namespace {

constexpr int kJoystickButtons = 32;

} // namespace

DXJoystick::DXJoystick(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window)
    : DXInputDevice(shared, instance, window) {
    Setup();
}

void DXJoystick::Setup() {
    using platform::Failed;
    using platform::InputResultName;
    if (!shared.directInput) {
        return;
    }
    platform::InputResult result = shared.directInput->EnumDevices(
        platform::InputDeviceClass::Joystick, true, [this](const platform::InputDeviceInstance& found) {
            deviceGuid = found.instanceGuid;
            platform::PrintMessage("DXJoystick: Loading joystick device - %s\n", found.productName.c_str());
            return platform::EnumAction::Stop;
        });
    if (Failed(result)) {
        platform::PrintMessage("DXJoystick: Error occured in enumerating joystick devices - %s\n",
                               InputResultName(result));
        return;
    }
    result = shared.directInput->CreateDevice(deviceGuid, device);
    if (Failed(result)) {
        device.reset();
        platform::PrintMessage("DXJoystick: Can't create joystick device - %s\n", InputResultName(result));
        return;
    }
    platform::InputDeviceInstance info;
    if (platform::Succeeded(device->GetDeviceInfo(info))) {
        name = info.productName;
    }
    result = device->SetCooperativeLevel(window, kSharedBackgroundLevel);
    if (Failed(result)) {
        platform::PrintMessage("DXJoystick: Failed to set cooperation level properly - %s\n",
                               InputResultName(result));
        return;
    }
    result = device->SetDataFormat(platform::InputDataFormat::Joystick);
    if (Failed(result)) {
        platform::PrintMessage("DXJoystick: Error setting data format - %s\n", InputResultName(result));
        return;
    }
    // A joystick that refuses a range or a dead zone still works, only less comfortably.
    platform::PrintMessage("Setting x-axis range\n");
    device->SetAxisRange(platform::kJoystickOffsetX, -kStickRange, kStickRange);
    platform::PrintMessage("Setting y-axis range\n");
    device->SetAxisRange(platform::kJoystickOffsetY, -kStickRange, kStickRange);
    const auto deadZone = static_cast<uint32_t>(std::lround(kStickDeadZone * platform::kAxisFractionScale));
    platform::PrintMessage("Setting x-axis dead zone: %f\n", kStickDeadZone);
    device->SetAxisDeadZone(platform::kJoystickOffsetX, deadZone);
    platform::PrintMessage("Setting y-axis dead zone: %f\n", kStickDeadZone);
    device->SetAxisDeadZone(platform::kJoystickOffsetY, deadZone);
    result = device->Acquire();
    if (Failed(result)) {
        platform::PrintMessage("DXJoystick: Couldnt acquire the joystick - %s\n", InputResultName(result));
        return;
    }
    platform::PrintMessage("DXJoystick: Loaded joystick device - %s\n", InputResultName(result));
    ready = true;
}

std::optional<InputState> DXJoystick::Poll() {
    platform::InputResult acquireResult = platform::InputResult::Ok;
    if (!ReadRecovering(sizeof state, &state, acquireResult)) {
        platform::PrintMessage("DXJoystick: Can't reacquire joystick device....\n");
        return std::nullopt;
    }
    auto snapshot = std::optional<InputState>(std::in_place);
    snapshot->stickX = static_cast<float>(state.x) * kStickScale;
    snapshot->stickY = static_cast<float>(state.y) * kStickScale;
    for (int i = 0; i < kJoystickButtons; ++i) {
        snapshot->buttons[i] = (state.buttons[i] & platform::kButtonDown) != 0;
    }
    return snapshot;
}

std::optional<InputState> DXJoystick::Peek() {
    return std::nullopt;
}
