// The first attached joystick: both main axes scaled to -1 ... 1 with a dead zone about the centre, and its
// buttons.
#pragma once

#include "input/DXInputDevice.h"

#include <string>

// The axes are read in -kStickRange ... kStickRange and reach the snapshot multiplied by kStickScale.
constexpr int32_t kStickRange = 1000;
constexpr float kStickScale = 0.001f;
// Positions this close to the centre, as a fraction of the range, read as the centre.
constexpr double kStickDeadZone = 0.1;

class DXJoystick final : public DXInputDevice {
public:
    DXJoystick(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window);

    std::optional<InputState> Poll() override;
    // Always null: the joystick has no plain read.
    std::optional<InputState> Peek() override;
    void Setup() override;

    std::string name;
    platform::JoystickData state;
};
