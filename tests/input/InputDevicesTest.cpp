#include "support/FakeInputBackend.h"
#include "input/DXJoystick.h"
#include "input/DXKeyboard.h"
#include "input/DXMouse.h"

#include <gtest/gtest.h>

#include <functional>

using platform::InputResult;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testing_support::FakeDeviceScript;
using testing_support::FakeInputBackend;

namespace {

constexpr uint8_t kScanW = 0x11;
constexpr uint8_t kScanG = 0x22;

// Runs the constructions or polls in body and returns what they printed.
std::string Printed(const std::function<void()>& body) {
    CaptureStdout();
    body();
    return GetCapturedStdout();
}

const char* const kJoystickSetupLines = "Setting x-axis range\n"
                                        "Setting y-axis range\n"
                                        "Setting x-axis dead zone: 0.100000\n"
                                        "Setting y-axis dead zone: 0.100000\n";

} // namespace

TEST(InputDevices, WithoutAJoystickOnlyTheJoystickFailsToCreate) {
    FakeInputBackend backend;
    SharedInput shared;
    std::unique_ptr<DXMouse> mouse;
    std::unique_ptr<DXKeyboard> keyboard;
    std::unique_ptr<DXJoystick> joystick;
    const std::string printed = Printed([&] {
        mouse = std::make_unique<DXMouse>(shared, nullptr, nullptr);
        keyboard = std::make_unique<DXKeyboard>(shared, nullptr, nullptr);
        joystick = std::make_unique<DXJoystick>(shared, nullptr, nullptr);
    });
    EXPECT_EQ(printed, "DXMouse: Loaded mouse device - DI_OK\n"
                       "DXKeyboard: Loaded keyboard device - DI_OK\n"
                       "DXJoystick: Can't create joystick device - DIERR_DEVICENOTREG\n");
    EXPECT_TRUE(mouse->ready);
    EXPECT_TRUE(keyboard->ready);
    EXPECT_FALSE(joystick->ready);
    EXPECT_EQ(joystick->device, nullptr);
    EXPECT_EQ(joystick->deviceGuid, platform::InputGuid{});
    EXPECT_EQ(backend.createCalls, 1) << "one shared object serves every device";
    const uint32_t sharedBackground = platform::kCoopNonExclusive | platform::kCoopBackground;
    EXPECT_EQ(backend.Mouse().cooperativeFlags, sharedBackground);
    EXPECT_EQ(backend.Keyboard().cooperativeFlags, sharedBackground);
    EXPECT_EQ(backend.Mouse().format, platform::InputDataFormat::Mouse);
    EXPECT_EQ(backend.Keyboard().format, platform::InputDataFormat::Keyboard);
}

TEST(InputDevices, TheFirstJoystickIsLoadedWithRangeAndDeadZone) {
    FakeInputBackend backend;
    SharedInput shared;
    FakeDeviceScript& pad = backend.AddJoystick("Booth Pad");
    backend.AddJoystick("Second Pad");
    std::unique_ptr<DXJoystick> joystick;
    const std::string printed =
        Printed([&] { joystick = std::make_unique<DXJoystick>(shared, nullptr, nullptr); });
    EXPECT_EQ(printed, std::string("DXJoystick: Loading joystick device - Booth Pad\n") +
                           kJoystickSetupLines + "DXJoystick: Loaded joystick device - DI_OK\n");
    ASSERT_TRUE(joystick->ready);
    EXPECT_EQ(joystick->name, "Booth Pad");
    EXPECT_EQ(backend.enumCallbacks, 1) << "enumeration stops at the first joystick";
    EXPECT_EQ(pad.format, platform::InputDataFormat::Joystick);
    using Range = std::pair<int32_t, int32_t>;
    EXPECT_EQ(pad.ranges[platform::kJoystickOffsetX], Range(-1000, 1000));
    EXPECT_EQ(pad.ranges[platform::kJoystickOffsetY], Range(-1000, 1000));
    EXPECT_EQ(pad.deadZones[platform::kJoystickOffsetX], 1000u);
    EXPECT_EQ(pad.deadZones[platform::kJoystickOffsetY], 1000u);

    pad.SetJoystick(500, -1000, {0, 31});
    std::optional<InputState> state = joystick->Poll();
    ASSERT_TRUE(state.has_value());
    EXPECT_FLOAT_EQ(state->stickX, 0.5f);
    EXPECT_FLOAT_EQ(state->stickY, -1.0f);
    EXPECT_TRUE(state->buttons[0]);
    EXPECT_TRUE(state->buttons[31]);
    EXPECT_EQ(state->buttons.count(), 2u);
    EXPECT_FALSE(joystick->Peek().has_value());
}

TEST(InputDevices, EachSetUpStepReportsItsFailureAndLeavesTheDeviceNotReady) {
    struct Case {
        const char* device;
        InputResult FakeDeviceScript::*step;
        const char* expected;
    };
    const Case cases[] = {
        {"mouse", &FakeDeviceScript::createResult,
         "DXMouse: Can't create mouse device - DIERR_OUTOFMEMORY\n"},
        {"mouse", &FakeDeviceScript::cooperativeResult,
         "DXMouse: Failed to set cooperation level properly - DIERR_OUTOFMEMORY\n"},
        {"mouse", &FakeDeviceScript::formatResult,
         "DXMouse: Error setting data format - DIERR_OUTOFMEMORY\n"},
        {"keyboard", &FakeDeviceScript::createResult,
         "DXKeyboard: Can't create keyboard device - DIERR_OUTOFMEMORY\n"},
        {"keyboard", &FakeDeviceScript::cooperativeResult,
         "DXKeyboard: Failed to set cooperation level properly - DIERR_OUTOFMEMORY\n"},
        {"keyboard", &FakeDeviceScript::formatResult,
         "DXKeyboard: Error setting data format - DIERR_OUTOFMEMORY\n"},
        {"joystick", &FakeDeviceScript::createResult,
         "DXJoystick: Loading joystick device - Pad\nDXJoystick: Can't create joystick device - "
         "DIERR_OUTOFMEMORY\n"},
        {"joystick", &FakeDeviceScript::cooperativeResult,
         "DXJoystick: Loading joystick device - Pad\n"
         "DXJoystick: Failed to set cooperation level properly - DIERR_OUTOFMEMORY\n"},
        {"joystick", &FakeDeviceScript::formatResult,
         "DXJoystick: Loading joystick device - Pad\nDXJoystick: Error setting data format - "
         "DIERR_OUTOFMEMORY\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        FakeInputBackend backend;
        SharedInput shared;
        FakeDeviceScript& pad = backend.AddJoystick("Pad");
        const std::string device = c.device;
        FakeDeviceScript& script = device == "mouse"      ? backend.Mouse()
                                   : device == "keyboard" ? backend.Keyboard()
                                                          : pad;
        script.*c.step = InputResult::OutOfMemory;
        std::unique_ptr<DXInputDevice> made;
        const std::string printed = Printed([&] {
            if (device == "mouse") {
                made = std::make_unique<DXMouse>(shared, nullptr, nullptr);
            } else if (device == "keyboard") {
                made = std::make_unique<DXKeyboard>(shared, nullptr, nullptr);
            } else {
                made = std::make_unique<DXJoystick>(shared, nullptr, nullptr);
            }
        });
        EXPECT_EQ(printed, c.expected);
        EXPECT_FALSE(made->ready);
        EXPECT_EQ(script.acquireCalls, 0);
    }
}

TEST(InputDevices, AcquisitionFailuresAtSetUpUseTheirOwnWords) {
    FakeInputBackend backend;
    SharedInput shared;
    backend.Mouse().acquireResults = {InputResult::OtherAppHasPriority};
    backend.Keyboard().acquireResults = {InputResult::OtherAppHasPriority};
    backend.AddJoystick("Pad").acquireResults = {InputResult::OtherAppHasPriority};
    std::unique_ptr<DXMouse> mouse;
    std::unique_ptr<DXKeyboard> keyboard;
    std::unique_ptr<DXJoystick> joystick;
    const std::string printed = Printed([&] {
        mouse = std::make_unique<DXMouse>(shared, nullptr, nullptr);
        keyboard = std::make_unique<DXKeyboard>(shared, nullptr, nullptr);
        joystick = std::make_unique<DXJoystick>(shared, nullptr, nullptr);
    });
    EXPECT_EQ(printed, std::string("DXMouse: Couldnt acquire the mouse...\n"
                                   "DXKeyboard: Couldn't acquire the keyboard...\n"
                                   "DXJoystick: Loading joystick device - Pad\n") +
                           kJoystickSetupLines +
                           "DXJoystick: Couldnt acquire the joystick - DIERR_OTHERAPPHASPRIO\n");
    EXPECT_FALSE(mouse->ready);
    EXPECT_FALSE(keyboard->ready);
    EXPECT_FALSE(joystick->ready);
}

TEST(InputDevices, AFailedEnumerationIsReportedAndNothingIsCreated) {
    FakeInputBackend backend;
    SharedInput shared;
    backend.AddJoystick("Pad");
    backend.enumResult = InputResult::Generic;
    std::unique_ptr<DXJoystick> joystick;
    const std::string printed =
        Printed([&] { joystick = std::make_unique<DXJoystick>(shared, nullptr, nullptr); });
    EXPECT_EQ(printed, "DXJoystick: Error occured in enumerating joystick devices - DIERR_GENERIC\n");
    EXPECT_FALSE(joystick->ready);
    EXPECT_EQ(joystick->device, nullptr);
}

TEST(InputDevices, AFailedSharedObjectIsReportedOnceAndNoDeviceBecomesReady) {
    FakeInputBackend backend;
    SharedInput shared;
    backend.createResult = InputResult::Generic;
    backend.AddJoystick("Pad");
    std::unique_ptr<DXMouse> mouse;
    std::unique_ptr<DXKeyboard> keyboard;
    std::unique_ptr<DXJoystick> joystick;
    const std::string printed = Printed([&] {
        mouse = std::make_unique<DXMouse>(shared, nullptr, nullptr);
        keyboard = std::make_unique<DXKeyboard>(shared, nullptr, nullptr);
        joystick = std::make_unique<DXJoystick>(shared, nullptr, nullptr);
    });
    EXPECT_EQ(printed, "Unable to Initialize DX-Input COM object...\n");
    EXPECT_EQ(backend.createCalls, 1);
    EXPECT_TRUE(shared.directInputFailed);
    EXPECT_EQ(shared.directInput, nullptr);
    EXPECT_FALSE(mouse->ready);
    EXPECT_FALSE(keyboard->ready);
    EXPECT_FALSE(joystick->ready);
    EXPECT_EQ(mouse->device, nullptr);
}

TEST(InputDevices, MouseSnapshotCarriesRawMotionAndTheTwoButtons) {
    FakeInputBackend backend;
    SharedInput shared;
    testing::internal::CaptureStdout();
    DXMouse mouse(shared, nullptr, nullptr);
    GetCapturedStdout();
    backend.Mouse().SetMouse(-5, 7, false, true);
    std::optional<InputState> state = mouse.Poll();
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->moveX, -5);
    EXPECT_EQ(state->moveY, 7);
    EXPECT_FALSE(state->buttons[0]);
    EXPECT_TRUE(state->buttons[1]);
    EXPECT_EQ(state->KeyDown(kScanW), false);

    std::optional<InputState> peeked = mouse.Peek();
    ASSERT_TRUE(peeked.has_value());
    EXPECT_EQ(peeked->moveX, -5);
    backend.Mouse().readResults = {InputResult::NotAcquired};
    EXPECT_FALSE(mouse.Peek().has_value());
}

TEST(InputDevices, AFailedReadThatIsNotALossGivesANeutralSnapshot) {
    FakeInputBackend backend;
    SharedInput shared;
    FakeDeviceScript& pad = backend.AddJoystick("Pad");
    CaptureStdout();
    DXMouse mouse(shared, nullptr, nullptr);
    DXKeyboard keyboard(shared, nullptr, nullptr);
    DXJoystick joystick(shared, nullptr, nullptr);
    GetCapturedStdout();
    // The joystick keeps its buffer between polls: a good read first, so a stale value could show.
    pad.SetJoystick(800, 800, {2});
    ASSERT_TRUE(joystick.Poll().has_value());
    pad.readResults = {InputResult::NotAcquired};
    backend.Mouse().SetMouse(40, 40, true);
    backend.Keyboard().SetKeysDown({kScanW});
    backend.Mouse().readResults = {InputResult::NotAcquired};
    backend.Keyboard().readResults = {InputResult::NotAcquired};
    const std::string printed = Printed([&] {
        std::optional<InputState> mouseState = mouse.Poll();
        ASSERT_TRUE(mouseState.has_value());
        EXPECT_EQ(mouseState->moveX, 0);
        EXPECT_FALSE(mouseState->buttons[0]);
        std::optional<InputState> keyState = keyboard.Poll();
        ASSERT_TRUE(keyState.has_value());
        EXPECT_FALSE(keyState->KeyDown(kScanW));
        std::optional<InputState> stickState = joystick.Poll();
        ASSERT_TRUE(stickState.has_value());
        EXPECT_EQ(stickState->stickX, 0.0f);
        EXPECT_FALSE(stickState->buttons[2]);
    });
    EXPECT_EQ(printed, "");
}

TEST(InputDevices, ALostKeyboardIsReacquiredSilently) {
    FakeInputBackend backend;
    SharedInput shared;
    CaptureStdout();
    DXKeyboard keyboard(shared, nullptr, nullptr);
    GetCapturedStdout();
    backend.Keyboard().SetKeysDown({kScanW, kScanG});
    backend.Keyboard().readResults = {InputResult::InputLost, InputResult::InputLost};
    std::optional<InputState> state;
    const std::string printed = Printed([&] { state = keyboard.Poll(); });
    EXPECT_EQ(printed, "");
    ASSERT_TRUE(state.has_value());
    EXPECT_TRUE(state->KeyDown(kScanW));
    EXPECT_TRUE(state->KeyDown(kScanG));
    EXPECT_FALSE(state->KeyDown(0x1F));
    EXPECT_EQ(state->keys[kScanW], platform::kButtonDown) << "key bytes are passed on exactly";
    EXPECT_EQ(backend.Keyboard().acquireCalls, 3) << "set-up plus two re-acquisitions";
    EXPECT_EQ(backend.Keyboard().readCalls, 3);
    EXPECT_FALSE(keyboard.Peek().has_value());
}

TEST(InputDevices, AFailedReacquisitionIsReportedAndGivesNoSnapshot) {
    FakeInputBackend backend;
    SharedInput shared;
    FakeDeviceScript& pad = backend.AddJoystick("Pad");
    CaptureStdout();
    DXMouse mouse(shared, nullptr, nullptr);
    DXKeyboard keyboard(shared, nullptr, nullptr);
    DXJoystick joystick(shared, nullptr, nullptr);
    GetCapturedStdout();
    for (FakeDeviceScript* script : {&backend.Mouse(), &backend.Keyboard(), &pad}) {
        script->readResults = {InputResult::InputLost};
        script->acquireResults = {InputResult::OtherAppHasPriority};
    }
    const std::string printed = Printed([&] {
        EXPECT_FALSE(mouse.Poll().has_value());
        EXPECT_FALSE(keyboard.Poll().has_value());
        EXPECT_FALSE(joystick.Poll().has_value());
    });
    EXPECT_EQ(printed, "DXMouse: Can't reacquire mouse device - DIERR_OTHERAPPHASPRIO\n"
                       "DXKeyboard: Can't reacquire Keyboard device....\n"
                       "DXJoystick: Can't reacquire joystick device....\n");
    // The next frame tries again.
    backend.Mouse().SetMouse(3, 0, false);
    std::optional<InputState> state = mouse.Poll();
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->moveX, 3);
}

TEST(InputDevices, ADeviceLostAgainAfterEveryReacquisitionDoesNotHang) {
    FakeInputBackend backend;
    SharedInput shared;
    CaptureStdout();
    DXMouse mouse(shared, nullptr, nullptr);
    GetCapturedStdout();
    backend.Mouse().readResults.assign(1000, InputResult::InputLost);
    std::optional<InputState> state;
    const std::string printed = Printed([&] { state = mouse.Poll(); });
    EXPECT_FALSE(state.has_value());
    EXPECT_EQ(printed, "DXMouse: Can't reacquire mouse device - DIERR_INPUTLOST\n");
    EXPECT_LT(backend.Mouse().readCalls, 20);
}
