#include "input/InputAggregation.h"

#include "camera/Camera.h"

#include <limits>

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

bool PollInputDevices(InputDevices& input, Camera& camera) {
    if (!input.mouseDevice) {
        input.mouseDevice = std::make_unique<DXMouse>(input.shared, input.instance, input.window);
    }
    if (!input.keyboardDevice) {
        input.keyboardDevice = std::make_unique<DXKeyboard>(input.shared, input.instance, input.window);
    }
    if (!input.joystickDevice) {
        input.joystickDevice = std::make_unique<DXJoystick>(input.shared, input.instance, input.window);
    }
    const bool result = !(IsReady(input.mouseDevice) && IsReady(input.joystickDevice));

    if (IsReady(input.joystickDevice)) {
        if (std::optional<InputState> snapshot = input.joystickDevice->Poll()) {
            input.joystickState = *snapshot;
            input.joystickState.stickY = -input.joystickState.stickY;
        }
    }
    if (IsReady(input.mouseDevice)) {
        if (std::optional<InputState> snapshot = input.mouseDevice->Poll()) {
            input.mouseState = *snapshot;
            input.mouseState.moveX = Negated(input.mouseState.moveX);
            MouseLook(camera, input.mouseState);
        }
    }
    if (IsReady(input.keyboardDevice)) {
        if (std::optional<InputState> snapshot = input.keyboardDevice->Poll()) {
            input.keyboardState = *snapshot;
            KeyboardMove(camera, input.keyboardState);
        }
    }
    return result;
}

void MouseLook(Camera& camera, const InputState& mouseState) {
    if (mouseState.buttons[kLeftMouseButton]) {
        if (camera.mode == FlyTo) {
            camera.SetMode(Free);
        }
        const float yaw = static_cast<float>(mouseState.moveX) * kMouseLookDegreesPerCount;
        const float pitch = -static_cast<float>(mouseState.moveY) * kMouseLookDegreesPerCount;
        camera.Rotate(Vec3(0.0f, yaw, 0.0f));
        camera.Rotate(Vec3(pitch, 0.0f, 0.0f));
    } else if (camera.mode == Free) {
        camera.SetMode(FlyTo);
    }
}

void KeyboardMove(Camera& camera, const InputState& keyboardState) {
    if (camera.mode != Free) {
        return;
    }
    for (const KeyStep& step : kKeySteps) {
        if (keyboardState.KeyDown(step.scanCode)) {
            camera.Move(step.offset);
        }
    }
}
