#include "platform/VirtualKeys.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

uint32_t VirtualKey(SDL_Keycode key) {
    return platform::TranslateSdlKey(key, KMOD_NONE).virtualKey;
}

TEST(WindowKeysTest, MapsSdlKeysToVirtualKeyCodes) {
    EXPECT_EQ(VirtualKey(SDLK_a), 0x41u);
    EXPECT_EQ(VirtualKey(SDLK_c), 0x43u);
    EXPECT_EQ(VirtualKey(SDLK_z), 0x5Au);
    EXPECT_EQ(VirtualKey(SDLK_0), 0x30u);
    EXPECT_EQ(VirtualKey(SDLK_3), 0x33u);
    EXPECT_EQ(VirtualKey(SDLK_9), 0x39u);
    EXPECT_EQ(VirtualKey(SDLK_ESCAPE), 0x1Bu);
    EXPECT_EQ(VirtualKey(SDLK_F1), 0x70u);
    EXPECT_EQ(VirtualKey(SDLK_F12), 0x7Bu);
    EXPECT_EQ(VirtualKey(SDLK_F13), 0x7Cu);
    EXPECT_EQ(VirtualKey(SDLK_LEFT), 0x25u);
    EXPECT_EQ(VirtualKey(SDLK_UP), 0x26u);
    EXPECT_EQ(VirtualKey(SDLK_RIGHT), 0x27u);
    EXPECT_EQ(VirtualKey(SDLK_DOWN), 0x28u);
    EXPECT_EQ(VirtualKey(SDLK_RETURN), 0x0Du);
    EXPECT_EQ(VirtualKey(SDLK_KP_ENTER), 0x0Du);
    EXPECT_EQ(VirtualKey(SDLK_SPACE), 0x20u);
    EXPECT_EQ(VirtualKey(SDLK_LSHIFT), 0x10u);
    EXPECT_EQ(VirtualKey(SDLK_RCTRL), 0x11u);
    EXPECT_EQ(VirtualKey(SDLK_KP_0), 0x60u);
    EXPECT_EQ(VirtualKey(SDLK_KP_1), 0x61u);
    EXPECT_EQ(VirtualKey(SDLK_KP_9), 0x69u);
    EXPECT_EQ(VirtualKey(SDLK_MINUS), 0xBDu);
    // Keys Windows has no code for are not reported at all.
    EXPECT_EQ(VirtualKey(SDLK_AUDIOPLAY), 0u);
}

TEST(WindowKeysTest, AltCombinationsAndF10AreSystemKeys) {
    EXPECT_FALSE(platform::TranslateSdlKey(SDLK_a, KMOD_NONE).systemKey);
    EXPECT_FALSE(platform::TranslateSdlKey(SDLK_a, KMOD_LSHIFT | KMOD_CTRL).systemKey);
    EXPECT_FALSE(platform::TranslateSdlKey(SDLK_F9, KMOD_NONE).systemKey);
    EXPECT_TRUE(platform::TranslateSdlKey(SDLK_a, KMOD_LALT).systemKey);
    EXPECT_TRUE(platform::TranslateSdlKey(SDLK_F4, KMOD_RALT).systemKey);
    EXPECT_TRUE(platform::TranslateSdlKey(SDLK_F10, KMOD_NONE).systemKey);
    EXPECT_TRUE(platform::TranslateSdlKey(SDLK_LALT, KMOD_NONE).systemKey);
    EXPECT_EQ(platform::TranslateSdlKey(SDLK_a, KMOD_LALT).virtualKey, 0x41u);
}

} // namespace
