#include "input/DXJoystick.h"
#include "input/DXKeyboard.h"
#include "input/DXMouse.h"
#include "platform/InputLayer.h"

#include <SDL.h>
#include <gtest/gtest.h>

using platform::InputDataFormat;
using platform::InputResult;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

class SdlInput : public testing::Test {
protected:
    SharedInput shared;
};

} // namespace

// This machine has a mouse and keyboard as far as SDL is concerned, and no joystick.
TEST_F(SdlInput, TheRealDevicesComeUpWithAllKeysReleasedAndNoJoystick) {
    CaptureStdout();
    DXMouse mouse(shared, nullptr, nullptr);
    DXKeyboard keyboard(shared, nullptr, nullptr);
    DXJoystick joystick(shared, nullptr, nullptr);
    EXPECT_EQ(GetCapturedStdout(), "DXMouse: Loaded mouse device - DI_OK\n"
                                   "DXKeyboard: Loaded keyboard device - DI_OK\n"
                                   "DXJoystick: Can't create joystick device - DIERR_DEVICENOTREG\n");
    ASSERT_TRUE(keyboard.ready);
    std::optional<InputState> keys = keyboard.Poll();
    ASSERT_TRUE(keys.has_value());
    for (int code = 0; code < kInputKeyCount; ++code) {
        EXPECT_EQ(keys->keys[code], 0) << "scan code " << code;
    }
    ASSERT_TRUE(mouse.ready);
    std::optional<InputState> motion = mouse.Poll();
    ASSERT_TRUE(motion.has_value());
    EXPECT_EQ(motion->moveX, 0) << "nothing moved the pointer since acquisition";
    EXPECT_EQ(motion->moveY, 0);
    EXPECT_FALSE(joystick.ready);

    int enumerated = 0;
    ASSERT_NE(shared.directInput, nullptr);
    EXPECT_EQ(shared.directInput->EnumDevices(platform::InputDeviceClass::Joystick, true,
                                              [&](const platform::InputDeviceInstance&) {
                                                  ++enumerated;
                                                  return platform::EnumAction::Continue;
                                              }),
              InputResult::Ok);
    EXPECT_EQ(enumerated, 0);
}

TEST_F(SdlInput, DevicesKeepTheAcquisitionRules) {
    std::unique_ptr<platform::InputSystem> system;
    ASSERT_EQ(platform::CreateInputSystem(nullptr, platform::kInputVersion, system), InputResult::Ok);
    EXPECT_EQ(platform::CreateInputSystem(nullptr, 0x0300, system), InputResult::OldVersion);
    EXPECT_EQ(platform::CreateInputSystem(nullptr, 0x0800, system), InputResult::BetaVersion);

    std::unique_ptr<platform::InputDevice> keyboard;
    ASSERT_EQ(system->CreateDevice(platform::kSysKeyboardGuid, keyboard), InputResult::Ok);
    uint8_t keys[platform::kKeyboardDataSize];
    EXPECT_EQ(keyboard->Acquire(), InputResult::InvalidParam) << "no data format yet";
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), InputResult::NotAcquired);
    EXPECT_EQ(keyboard->SetDataFormat(InputDataFormat::Mouse), InputResult::InvalidParam);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, platform::kCoopExclusive | platform::kCoopForeground),
              InputResult::Unsupported);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, platform::kCoopNonExclusive), InputResult::InvalidParam);
    EXPECT_EQ(keyboard->SetDataFormat(InputDataFormat::Keyboard), InputResult::Ok);
    EXPECT_EQ(keyboard->Acquire(), InputResult::Ok);
    EXPECT_EQ(keyboard->Acquire(), InputResult::NoEffect);
    EXPECT_EQ(keyboard->SetDataFormat(InputDataFormat::Keyboard), InputResult::Acquired);
    EXPECT_EQ(keyboard->GetDeviceState(16, keys), InputResult::InvalidParam) << "size of another format";
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), InputResult::Ok);
    EXPECT_EQ(keyboard->SetAxisRange(platform::kJoystickOffsetX, -1, 1), InputResult::Unsupported);
    EXPECT_EQ(keyboard->Unacquire(), InputResult::Ok);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), InputResult::NotAcquired);

    std::unique_ptr<platform::InputDevice> none;
    EXPECT_EQ(system->CreateDevice(platform::InputGuid{}, none), InputResult::DeviceNotRegistered);
    EXPECT_EQ(none, nullptr);
}

TEST_F(SdlInput, MouseMotionIsTheSumOfTheMovesEvenPastTheScreensEdge) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    DXMouse mouse(shared, nullptr, nullptr);
    ASSERT_TRUE(mouse.ready);
    // Far more than any screen is wide: a pointer's position would have stopped at the edge.
    constexpr int kMoves = 40;
    for (int move = 0; move < kMoves; ++move) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.xrel = 500;
        event.motion.yrel = -30;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    std::optional<InputState> motion = mouse.Poll();
    ASSERT_TRUE(motion.has_value());
    EXPECT_EQ(motion->moveX, kMoves * 500);
    EXPECT_EQ(motion->moveY, kMoves * -30);
    motion = mouse.Poll();
    ASSERT_TRUE(motion.has_value());
    EXPECT_EQ(motion->moveX, 0) << "each move counts once";
    EXPECT_EQ(motion->moveY, 0);
    SDL_FlushEvent(SDL_MOUSEMOTION);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST(InputKeyMap, SdlKeysMapToDirectInputScanCodes) {
    const std::pair<const char*, uint8_t> expected[] = {
        {"Escape", 0x01},
        {"1", 0x02},
        {"0", 0x0B},
        {"Q", 0x10},
        {"W", 0x11},
        {"E", 0x12},
        {"T", 0x14},
        {"A", 0x1E},
        {"S", 0x1F},
        {"D", 0x20},
        {"G", 0x22},
        {"H", 0x23},
        {"L", 0x26},
        {"Z", 0x2C},
        {"Up", 0xC8},
        {"Down", 0xD0},
        {"Left", 0xCB},
        {"Right", 0xCD},
        {"F1", 0x3B},
        {"F12", 0x58},
        {"Space", 0x39},
        {"Return", 0x1C},
        {"Keypad Enter", 0x9C},
        {"Right Ctrl", 0x9D},
        {"Delete", 0xD3},
    };
    for (const auto& [name, code] : expected) {
        EXPECT_EQ(platform::ScanCodeForSdlKeyName(name), code) << name;
    }
    EXPECT_EQ(platform::ScanCodeForSdlKeyName("no such key"), 0);
}

TEST(InputAxisScale, TheDeadZoneHoldsTheCentreAndTheRestSpreadsToTheEnds) {
    EXPECT_EQ(platform::ScaleAxis(0, -1000, 1000, 1000), 0);
    EXPECT_EQ(platform::ScaleAxis(3276, -1000, 1000, 1000), 0) << "just inside 10 %";
    EXPECT_EQ(platform::ScaleAxis(-3276, -1000, 1000, 1000), 0);
    EXPECT_EQ(platform::ScaleAxis(32767, -1000, 1000, 1000), 1000);
    EXPECT_EQ(platform::ScaleAxis(-32768, -1000, 1000, 1000), -1000);
    // Halfway between the dead zone's edge (10 %) and the end lies at 55 % of the raw travel.
    EXPECT_EQ(platform::ScaleAxis(18022, -1000, 1000, 1000), 500);
    EXPECT_EQ(platform::ScaleAxis(-18022, -1000, 1000, 1000), -500);
    EXPECT_EQ(platform::ScaleAxis(16384, -1000, 1000, 0), 500) << "no dead zone: proportional";
    EXPECT_EQ(platform::ScaleAxis(0, platform::kDefaultAxisMinimum, platform::kDefaultAxisMaximum, 0), 32768);
    EXPECT_EQ(platform::ScaleAxis(32767, -1000, 1000, 1000, 5000), 1000);
    EXPECT_EQ(platform::ScaleAxis(16384, -1000, 1000, 0, 5000), 1000) << "beyond the saturation";
}
