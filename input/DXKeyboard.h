// The system keyboard: a table of every key, indexed by DirectInput scan code, read without the window's
// focus.
#pragma once

#include "input/DXInputDevice.h"

class DXKeyboard final : public DXInputDevice {
public:
    DXKeyboard(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window);

    std::optional<InputState> Poll() override;
    // Always null: the keyboard has no plain read.
    std::optional<InputState> Peek() override;
    void Setup() override;
};
