// Windows virtual-key codes, which the key table is indexed by, and the translation of SDL's keyboard events
// into key messages. The translation is used by the window messages.
#pragma once

#include <cstdint>

namespace platform {

// The codes the program and its operator keys use by name; letters and digits are their ASCII capitals.
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12; // Alt
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_F1 = 0x70;
constexpr uint32_t VK_F10 = 0x79;

// Alt combinations and F10 are "system keys": Windows reports them as WM_SYSKEYDOWN / WM_SYSKEYUP.
struct KeyTranslation {
    uint32_t virtualKey; // 0 when the key has no virtual-key code
    bool systemKey;
};

// sdlKeycode is an SDL_Keycode, sdlModifiers an SDL_Keymod bit set.
KeyTranslation TranslateSdlKey(int32_t sdlKeycode, uint16_t sdlModifiers);

} // namespace platform
