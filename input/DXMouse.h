// The system mouse: relative motion and the two main buttons, read without the window's focus.
#pragma once

#include "input/DXInputDevice.h"

class DXMouse final : public DXInputDevice {
public:
    DXMouse(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window);

    std::optional<InputState> Poll() override;
    // A snapshot from one plain read, or null when that read failed.
    std::optional<InputState> Peek() override;
    void Setup() override;
};
