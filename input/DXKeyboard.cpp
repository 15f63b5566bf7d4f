#include "input/DXKeyboard.h"

#include "platform/MessageLines.h"

static_assert(static_cast<uint32_t>(kInputKeyCount) == platform::kKeyboardDataSize,
              "a snapshot holds the keyboard's whole table");

DXKeyboard::DXKeyboard(SharedInput& shared, platform::InstanceHandle instance, platform::WindowHandle window)
    : DXInputDevice(shared, instance, window) {
    deviceGuid = platform::kSysKeyboardGuid;
    Setup();
}

void DXKeyboard::Setup() {
    SetupSystemDevice(platform::InputDataFormat::Keyboard,
                      {"DXKeyboard: Can't create keyboard device - %s\n",
                       "DXKeyboard: Failed to set cooperation level properly - %s\n",
                       "DXKeyboard: Error setting data format - %s\n",
                       "DXKeyboard: Couldn't acquire the keyboard...\n",
                       "DXKeyboard: Loaded keyboard device - %s\n"});
}

std::optional<InputState> DXKeyboard::Poll() {
    auto state = std::optional<InputState>(std::in_place);
    platform::InputResult acquireResult = platform::InputResult::Ok;
    if (!ReadRecovering(kInputKeyCount, state->keys, acquireResult)) {
        platform::PrintMessage("DXKeyboard: Can't reacquire Keyboard device....\n");
        return std::nullopt;
    }
    return state;
}

std::optional<InputState> DXKeyboard::Peek() {
    return std::nullopt;
}
