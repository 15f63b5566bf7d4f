#include "platform/VirtualKeys.h"

#include <SDL.h>

namespace platform {
namespace {

constexpr uint32_t kLetterA = 0x41;
constexpr uint32_t kDigit0 = 0x30;
constexpr uint32_t kNumpad0 = 0x60;
constexpr uint32_t kF13 = 0x7C;

struct KeyPair {
    SDL_Keycode sdl;
    uint32_t virtualKey;
};

// Keys outside the letter, digit and function-key runs. The punctuation codes are those of a US layout,
// as Windows assigns them.
constexpr KeyPair kNamedKeys[] = {
    {SDLK_BACKSPACE, VK_BACK},  {SDLK_TAB, VK_TAB},       {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN}, {SDLK_LSHIFT, VK_SHIFT},  {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},   {SDLK_RCTRL, VK_CONTROL}, {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},       {SDLK_PAUSE, 0x13},       {SDLK_CAPSLOCK, 0x14},
    {SDLK_ESCAPE, VK_ESCAPE},   {SDLK_SPACE, VK_SPACE},   {SDLK_PAGEUP, 0x21},
    {SDLK_PAGEDOWN, 0x22},      {SDLK_END, 0x23},         {SDLK_HOME, 0x24},
    {SDLK_LEFT, VK_LEFT},       {SDLK_UP, VK_UP},         {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},       {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D},
    {SDLK_DELETE, 0x2E},        {SDLK_LGUI, 0x5B},        {SDLK_RGUI, 0x5C},
    {SDLK_APPLICATION, 0x5D},   {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B},
    {SDLK_KP_MINUS, 0x6D},      {SDLK_KP_PERIOD, 0x6E},   {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_NUMLOCKCLEAR, 0x90},  {SDLK_SCROLLLOCK, 0x91},  {SDLK_SEMICOLON, 0xBA},
    {SDLK_EQUALS, 0xBB},        {SDLK_COMMA, 0xBC},       {SDLK_MINUS, 0xBD},
    {SDLK_PERIOD, 0xBE},        {SDLK_SLASH, 0xBF},       {SDLK_BACKQUOTE, 0xC0},
    {SDLK_LEFTBRACKET, 0xDB},   {SDLK_BACKSLASH, 0xDC},   {SDLK_RIGHTBRACKET, 0xDD},
    {SDLK_QUOTE, 0xDE},
};

uint32_t VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return kLetterA + static_cast<uint32_t>(key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return kDigit0 + static_cast<uint32_t>(key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + static_cast<uint32_t>(key - SDLK_F1);
    }
    if (key >= SDLK_F13 && key <= SDLK_F24) {
        return kF13 + static_cast<uint32_t>(key - SDLK_F13);
    }
    // The keypad digits are not contiguous in SDL: 1 to 9 run on, 0 comes after them.
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return kNumpad0 + 1 + static_cast<uint32_t>(key - SDLK_KP_1);
    }
    if (key == SDLK_KP_0) {
        return kNumpad0;
    }
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.sdl == key) {
            return pair.virtualKey;
        }
    }
    return 0;
}

} // namespace

KeyTranslation TranslateSdlKey(int32_t sdlKeycode, uint16_t sdlModifiers) {
    const uint32_t virtualKey = VirtualKeyOf(sdlKeycode);
    const bool system = (sdlModifiers & KMOD_ALT) != 0 || virtualKey == VK_MENU || virtualKey == VK_F10;
    return {virtualKey, system};
}

} // namespace platform
