// One snapshot of an input device: mouse motion and buttons, joystick position and buttons, or the keyboard's
// key table indexed by DirectInput scan code.
#pragma once

#include <bitset>
#include <cstdint>

constexpr int kInputKeyCount = 256;

struct InputState {
    int32_t moveX = 0;
    int32_t moveY = 0;
    float stickX = 0.0f;
    float stickY = 0.0f;
    std::bitset<32> buttons;
    uint8_t keys[kInputKeyCount] = {};

    bool KeyDown(uint8_t scanCode) const { return ((keys[scanCode] >> 7) & 1) != 0; }
};
