// The DirectInput backend run under Wine on a virtual display: the devices are created, set up, acquired
// and read, and input sent to the desktop reaches them.
#include "platform/win32/DirectInput.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

namespace platform {
HWND NativeWindowHandle(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
} // namespace platform

namespace {

using platform::InputResult;

class Devices : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DirectInputWineTest";
        RegisterClassA(&windowClass);
        native = CreateWindowExA(0, "DirectInputWineTest", "input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 320, 240, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_TRUE(native) << "a window on the display";
        SetForegroundWindow(native);
        window = reinterpret_cast<platform::WindowHandle>(native);
        ASSERT_EQ(platform::CreateInputSystem(GetModuleHandleA(nullptr), platform::kInputVersion, system),
                  InputResult::Ok);
    }
    void TearDown() override { DestroyWindow(native); }

    // Lets the window and DirectInput's hooks see what was sent.
    static void Pump() {
        for (int round = 0; round < 10; ++round) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&message);
            }
            Sleep(20);
        }
    }

    std::unique_ptr<platform::InputDevice> Ready(const platform::InputGuid& guid,
                                                 platform::InputDataFormat format) {
        std::unique_ptr<platform::InputDevice> device;
        EXPECT_EQ(system->CreateDevice(guid, device), InputResult::Ok);
        if (!device) {
            return nullptr;
        }
        EXPECT_EQ(device->SetDataFormat(format), InputResult::Ok);
        EXPECT_EQ(
            device->SetCooperativeLevel(window, platform::kCoopNonExclusive | platform::kCoopBackground),
            InputResult::Ok);
        return device;
    }

    HWND native = nullptr;
    platform::WindowHandle window = nullptr;
    std::unique_ptr<platform::InputSystem> system;
};

TEST_F(Devices, OnlyTheProgramsInterfaceVersionIsServed) {
    std::unique_ptr<platform::InputSystem> other;
    EXPECT_EQ(platform::CreateInputSystem(GetModuleHandleA(nullptr), 0x0300, other), InputResult::OldVersion);
    EXPECT_EQ(platform::CreateInputSystem(GetModuleHandleA(nullptr), 0x0800, other),
              InputResult::BetaVersion);
    EXPECT_FALSE(other);
}

TEST_F(Devices, TheMouseIsAcquiredAndReadsTheMovesAndButtonsSentToTheDesktop) {
    auto mouse = Ready(platform::kSysMouseGuid, platform::InputDataFormat::Mouse);
    ASSERT_TRUE(mouse);
    platform::InputDeviceInstance info;
    ASSERT_EQ(mouse->GetDeviceInfo(info), InputResult::Ok);
    EXPECT_EQ(info.deviceClass, platform::InputDeviceClass::Mouse);
    EXPECT_TRUE(info.instanceGuid == platform::kSysMouseGuid);

    platform::MouseData state;
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), InputResult::NotAcquired);
    ASSERT_EQ(mouse->Acquire(), InputResult::Ok);
    EXPECT_EQ(mouse->Acquire(), InputResult::NoEffect);
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), InputResult::Ok);
    EXPECT_EQ(mouse->GetDeviceState(sizeof state - 4, &state), InputResult::InvalidParam);

    INPUT moves[3] = {};
    for (INPUT& move : moves) {
        move.type = INPUT_MOUSE;
    }
    moves[0].mi.dx = 12;
    moves[0].mi.dy = -7;
    moves[0].mi.dwFlags = MOUSEEVENTF_MOVE;
    moves[1].mi.dx = 9;
    moves[1].mi.dy = -5;
    moves[1].mi.dwFlags = MOUSEEVENTF_MOVE;
    moves[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ASSERT_EQ(SendInput(3, moves, sizeof(INPUT)), 3u);
    Pump();
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), InputResult::Ok);
    // Wine passes relative moves through the desktop's pointer acceleration, so only the direction and
    // at least the distance sent are certain.
    std::printf("sent 21, -12; read %d, %d\n", static_cast<int>(state.x), static_cast<int>(state.y));
    EXPECT_GE(state.x, 21);
    EXPECT_LE(state.y, -12);
    EXPECT_EQ(state.buttons[0], platform::kButtonDown);
    EXPECT_EQ(state.buttons[1], 0);

    INPUT release = {};
    release.type = INPUT_MOUSE;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &release, sizeof(INPUT));
    Pump();
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), InputResult::Ok);
    EXPECT_EQ(state.x, 0) << "moves are counted from the last read";
    EXPECT_EQ(state.buttons[0], 0);
    EXPECT_EQ(mouse->Unacquire(), InputResult::Ok);
    EXPECT_EQ(mouse->Unacquire(), InputResult::NoEffect);
}

TEST_F(Devices, TheKeyboardSnapshotIsIndexedByScanCode) {
    auto keyboard = Ready(platform::kSysKeyboardGuid, platform::InputDataFormat::Keyboard);
    ASSERT_TRUE(keyboard);
    ASSERT_EQ(keyboard->Acquire(), InputResult::Ok);
    constexpr WORD kScanW = 0x11;
    INPUT press = {};
    press.type = INPUT_KEYBOARD;
    press.ki.wVk = 'W';
    press.ki.wScan = kScanW;
    ASSERT_EQ(SendInput(1, &press, sizeof(INPUT)), 1u);
    Pump();
    uint8_t keys[platform::kKeyboardDataSize] = {};
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), InputResult::Ok);
    EXPECT_EQ(keys[kScanW], platform::kButtonDown);
    EXPECT_EQ(keys[0x1F], 0) << "S is not held";
    press.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &press, sizeof(INPUT));
    Pump();
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), InputResult::Ok);
    EXPECT_EQ(keys[kScanW], 0);
}

TEST_F(Devices, WithoutAJoystickNoneIsListedAndAnUnknownOneIsNotRegistered) {
    std::vector<platform::InputDeviceInstance> listed;
    EXPECT_EQ(system->EnumDevices(platform::InputDeviceClass::Joystick, true,
                                  [&](const platform::InputDeviceInstance& instance) {
                                      listed.push_back(instance);
                                      return platform::EnumAction::Continue;
                                  }),
              InputResult::Ok);
    EXPECT_TRUE(listed.empty());
    std::vector<platform::InputDeviceClass> keyboards;
    EXPECT_EQ(system->EnumDevices(platform::InputDeviceClass::Keyboard, true,
                                  [&](const platform::InputDeviceInstance& instance) {
                                      keyboards.push_back(instance.deviceClass);
                                      return platform::EnumAction::Stop;
                                  }),
              InputResult::Ok);
    EXPECT_EQ(keyboards, std::vector<platform::InputDeviceClass>{platform::InputDeviceClass::Keyboard});

    const platform::InputGuid stick = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    std::unique_ptr<platform::InputDevice> device;
    EXPECT_EQ(system->CreateDevice(stick, device), InputResult::DeviceNotRegistered);
    EXPECT_FALSE(device);
}

} // namespace
