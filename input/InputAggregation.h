// The per-frame reading of mouse, keyboard and joystick, and the hand steering of the camera that mouse and
// keyboard drive.
#pragma once

#include "input/DXJoystick.h"
#include "input/DXKeyboard.h"
#include "input/DXMouse.h"
#include "input/InputState.h"

#include <memory>

class Camera;

// A show's input: the three devices and what they last read.
struct InputDevices {
    // First, so that it goes after the devices made from it.
    SharedInput shared;
    // Created on the first poll and kept for the rest of the run, ready or not.
    std::unique_ptr<DXMouse> mouseDevice;
    std::unique_ptr<DXKeyboard> keyboardDevice;
    std::unique_ptr<DXJoystick> joystickDevice;
    // The last snapshot of each device: the mouse's moveX and the joystick's stickY negated.
    InputState mouseState;
    InputState keyboardState;
    InputState joystickState;
    // What the devices attach to when they are made: the show's window once it has started, and the
    // program's instance.
    platform::WindowHandle window = nullptr;
    platform::InstanceHandle instance = nullptr;
};

// Mouse-look speed in degrees per device unit, and keyboard steps in world units per frame.
constexpr float kMouseLookDegreesPerCount = 0.15f;
constexpr float kKeyboardStep = 0.1f;

// Creates any missing device, polls the ready ones and steers the camera. False when the mouse and the
// joystick both exist and are ready, true otherwise.
bool PollInputDevices(InputDevices& input, Camera& camera);
// With the left button held, turns the camera by the mouse's motion (taking it out of a flight);
// without it, sends a hand-steered camera back to its flight.
void MouseLook(Camera& camera, const InputState& mouse);
// While the camera is steered by hand, moves it along its own axes for each held W, S, A, D, T, G.
void KeyboardMove(Camera& camera, const InputState& keyboard);
