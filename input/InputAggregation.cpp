#include "input/InputAggregation.h"

#include "camera/Camera.h"
#include "core/View.h"
#include "core/ConstructionOrder.h"

#include <limits>

std::unique_ptr<DXMouse> mouseDevice;
std::unique_ptr<DXKeyboard> keyboardDevice;
std::unique_ptr<DXJoystick> joystickDevice;

[[gnu::init_priority(kInputStatesConstructionOrder)]] InputState mouseState;
[[gnu::init_priority(kInputStatesConstructionOrder)]] InputState keyboardState;
[[gnu::init_priority(kInputStatesConstructionOrder)]] InputState joystickState;

namespace {

constexpr int kLeftMouseButton = 0;

struct KeyStep {
    uint8_t scanCode;
    Vec3 offset;
};

// In this order: forward, back, left, right, up, down (the camera looks along its own -z).
const KeyStep kKeySteps[] = {
    {0x11, {0.0f, 0.0f, -kKeyboardStep}}, // W
    {0x1F, {0.0f, 0.0f, kKeyboardStep}},  // S
    {0x1E, {-kKeyboardStep, 0.0f, 0.0f}}, // A
    {0x20, {kKeyboardStep, 0.0f, 0.0f}},  // D
    {0x14, {0.0f, -kKeyboardStep, 0.0f}}, // T
    {0x22, {0.0f, kKeyboardStep, 0.0f}},  // G
};

// A device count of INT32_MIN has no positive counterpart; it is clamped rather than overflowed.
int32_t Negated(int32_t value) {
    return value == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : -value;
}

template <typename Device> bool IsReady(const std::unique_ptr<Device>& device) {
    return device && device->ready;
}

} // namespace

bool PollInputDevices() {
    if (!mouseDevice) {
        mouseDevice = std::make_unique<DXMouse>(mainInstanceHandle, mainWindowHandle);
    }
    if (!keyboardDevice) {
        keyboardDevice = std::make_unique<DXKeyboard>(mainInstanceHandle, mainWindowHandle);
    }
    if (!joystickDevice) {
        joystickDevice = std::make_unique<DXJoystick>(mainInstanceHandle, mainWindowHandle);
    }
    const bool result = !(IsReady(mouseDevice) && IsReady(joystickDevice));

    if (IsReady(joystickDevice)) {
        if (std::optional<InputState> snapshot = joystickDevice->Poll()) {
            joystickState = *snapshot;
            joystickState.stickY = -joystickState.stickY;
        }
    }
    if (IsReady(mouseDevice)) {
        if (std::optional<InputState> snapshot = mouseDevice->Poll()) {
            mouseState = *snapshot;
            mouseState.moveX = Negated(mouseState.moveX);
            MouseLook();
        }
    }
    if (IsReady(keyboardDevice)) {
        if (std::optional<InputState> snapshot = keyboardDevice->Poll()) {
            keyboardState = *snapshot;
            KeyboardMove();
        }
    }
    return result;
}

void MouseLook() {
    if (mouseState.buttons[kLeftMouseButton]) {
        if (mainCamera.mode == FlyTo) {
            mainCamera.SetMode(Free);
        }
        const float yaw = static_cast<float>(mouseState.moveX) * kMouseLookDegreesPerCount;
        const float pitch = -static_cast<float>(mouseState.moveY) * kMouseLookDegreesPerCount;
        mainCamera.Rotate(Vec3(0.0f, yaw, 0.0f));
        mainCamera.Rotate(Vec3(pitch, 0.0f, 0.0f));
    } else if (mainCamera.mode == Free) {
        mainCamera.SetMode(FlyTo);
    }
}

void KeyboardMove() {
    if (mainCamera.mode != Free) {
        return;
    }
    for (const KeyStep& step : kKeySteps) {
        if (keyboardState.KeyDown(step.scanCode)) {
            mainCamera.Move(step.offset);
        }
    }
}

void ResetInputDevicesForTests() {
    mouseDevice.reset();
    keyboardDevice.reset();
    joystickDevice.reset();
    mouseState = InputState();
    keyboardState = InputState();
    joystickState = InputState();
}
