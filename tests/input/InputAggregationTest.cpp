#include "support/FakeInputBackend.h"
#include "camera/Camera.h"
#include "input/InputAggregation.h"
#include "core/View.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::InputResult;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testing_support::FakeDeviceScript;
using testing_support::FakeInputBackend;

namespace {

constexpr uint8_t kScanW = 0x11;
constexpr uint8_t kScanS = 0x1F;
constexpr uint8_t kScanA = 0x1E;
constexpr uint8_t kScanD = 0x20;
constexpr uint8_t kScanT = 0x14;
constexpr uint8_t kScanG = 0x22;

class InputAggregation : public testing::Test {
protected:
    void SetUp() override {
        mainCamera.position = Vec3(0.0f, 0.0f, 0.0f);
        mainCamera.rotation = Quaternion();
        mainCamera.mode = Free;
    }

    // One frame's poll, its device messages kept out of the test output.
    bool Poll() {
        CaptureStdout();
        const bool result = PollInputDevices(input, mainCamera);
        lastPrinted = GetCapturedStdout();
        return result;
    }

    FakeInputBackend backend;
    InputDevices input;
    Camera mainCamera;
    std::string lastPrinted;
};

void ExpectRotation(const Quaternion& actual, const Quaternion& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
    EXPECT_NEAR(actual.z, expected.z, 1e-6);
    EXPECT_NEAR(actual.w, expected.w, 1e-6);
}

void ExpectPosition(const Vec3& actual, const Vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5);
    EXPECT_NEAR(actual.y, expected.y, 1e-5);
    EXPECT_NEAR(actual.z, expected.z, 1e-5);
}

} // namespace

TEST_F(InputAggregation, DevicesAreCreatedOnceInOrderAndTheResultTellsWhetherMouseAndJoystickAreReady) {
    int windowStandIn = 0;
    input.window = reinterpret_cast<platform::WindowHandle>(&windowStandIn);
    EXPECT_TRUE(Poll()) << "no joystick";
    EXPECT_EQ(backend.Mouse().cooperativeWindow, input.window);
    EXPECT_EQ(backend.Keyboard().cooperativeWindow, input.window);
    EXPECT_EQ(lastPrinted, "DXMouse: Loaded mouse device - DI_OK\n"
                           "DXKeyboard: Loaded keyboard device - DI_OK\n"
                           "DXJoystick: Can't create joystick device - DIERR_DEVICENOTREG\n");
    DXJoystick* joystick = input.joystickDevice.get();
    ASSERT_NE(joystick, nullptr);
    EXPECT_FALSE(joystick->ready);
    EXPECT_TRUE(Poll());
    EXPECT_EQ(lastPrinted, "") << "a failed device is not created again";
    EXPECT_EQ(input.joystickDevice.get(), joystick);

    input = InputDevices{};
    backend.AddJoystick("Pad").SetJoystick(250, 400, {1});
    EXPECT_FALSE(Poll());
    EXPECT_FLOAT_EQ(input.joystickState.stickX, 0.25f);
    EXPECT_FLOAT_EQ(input.joystickState.stickY, -0.4f) << "the joystick's y is turned upside down";
    EXPECT_TRUE(input.joystickState.buttons[1]);

    input = InputDevices{};
    backend.Mouse().acquireResults = {InputResult::OtherAppHasPriority};
    EXPECT_TRUE(Poll()) << "joystick ready, mouse not";
}

TEST_F(InputAggregation, WithTheLeftButtonUpTheMouseLeavesAFollowingCameraAlone) {
    mainCamera.mode = Follow;
    mainCamera.position = Vec3(1.0f, 2.0f, 3.0f);
    backend.Mouse().SetMouse(25, -40, false, true);
    Poll();
    EXPECT_EQ(mainCamera.mode, Follow);
    ExpectRotation(mainCamera.rotation, Quaternion());
    ExpectPosition(mainCamera.position, Vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(input.mouseState.moveX, -25);
    EXPECT_EQ(input.mouseState.moveY, -40);
    EXPECT_TRUE(input.mouseState.buttons[1]);
}

TEST_F(InputAggregation, DraggingRightTurnsTheViewByMinusAHundredAndFiftiethDegreePerCount) {
    mainCamera.mode = FlyTo;
    backend.Mouse().SetMouse(10, 0, true);
    Poll();
    EXPECT_EQ(mainCamera.mode, Free) << "pressing the button takes the camera out of its flight";
    // -1.5 degrees about the vertical, and no pitch.
    const double halfAngle = -1.5 * kPi / 180.0 / 2.0;
    ExpectRotation(mainCamera.rotation, Quaternion(0.0f, static_cast<float>(std::sin(halfAngle)), 0.0f,
                                                   static_cast<float>(std::cos(halfAngle))));
}

TEST_F(InputAggregation, MotionAlongYPitchesAboutTheCamerasOwnRightAxis) {
    backend.Mouse().SetMouse(0, 30, true);
    Poll();
    const double halfAngle = -4.5 * kPi / 180.0 / 2.0;
    ExpectRotation(mainCamera.rotation, Quaternion(static_cast<float>(std::sin(halfAngle)), 0.0f, 0.0f,
                                                   static_cast<float>(std::cos(halfAngle))));

    // Both at once, from a camera already turned about its back axis.
    mainCamera.rotation = Quaternion(0.0f, 0.0f, std::sqrt(0.5f), std::sqrt(0.5f));
    backend.Mouse().SetMouse(-20, 30, true);
    Poll();
    SceneNode expected("expected");
    expected.rotation = Quaternion(0.0f, 0.0f, std::sqrt(0.5f), std::sqrt(0.5f));
    expected.Rotate(Vec3(0.0f, 3.0f, 0.0f));
    expected.Rotate(Vec3(-4.5f, 0.0f, 0.0f));
    ExpectRotation(mainCamera.rotation, expected.rotation);
}

TEST_F(InputAggregation, ReleasingTheButtonSendsAHandSteeredCameraBackToItsFlight) {
    backend.Mouse().SetMouse(0, 0, true);
    mainCamera.mode = FlyTo;
    Poll();
    EXPECT_EQ(mainCamera.mode, Free);
    backend.Mouse().SetMouse(0, 0, false);
    Poll();
    EXPECT_EQ(mainCamera.mode, FlyTo);
    Poll();
    EXPECT_EQ(mainCamera.mode, FlyTo);
}

TEST_F(InputAggregation, HoldingWForTenFramesMovesOneUnitAlongTheCamerasOwnMinusZ) {
    backend.Mouse().SetMouse(0, 0, true);
    backend.Keyboard().SetKeysDown({kScanW});
    for (int frame = 0; frame < 10; ++frame) {
        Poll();
    }
    ExpectPosition(mainCamera.position, Vec3(0.0f, 0.0f, -1.0f));

    // Turned a half-turn about the vertical, the camera's own -z is the world's +z.
    mainCamera.position = Vec3(0.0f, 0.0f, 0.0f);
    mainCamera.rotation = Quaternion(0.0f, 1.0f, 0.0f, 0.0f);
    for (int frame = 0; frame < 10; ++frame) {
        Poll();
    }
    ExpectPosition(mainCamera.position, Vec3(0.0f, 0.0f, 1.0f));
}

TEST_F(InputAggregation, EachSteeringKeyMovesAlongItsAxisOnlyWhileSteeredByHand) {
    const std::pair<uint8_t, Vec3> keys[] = {
        {kScanW, {0.0f, 0.0f, -0.1f}}, {kScanS, {0.0f, 0.0f, 0.1f}},  {kScanA, {-0.1f, 0.0f, 0.0f}},
        {kScanD, {0.1f, 0.0f, 0.0f}},  {kScanT, {0.0f, -0.1f, 0.0f}}, {kScanG, {0.0f, 0.1f, 0.0f}},
    };
    // Without a ready mouse nothing sends the camera back to its flight.
    backend.Mouse().createResult = InputResult::DeviceNotRegistered;
    for (const auto& [key, offset] : keys) {
        SCOPED_TRACE(int(key));
        backend.Keyboard().SetKeysDown({key});
        mainCamera.position = Vec3(0.0f, 0.0f, 0.0f);
        mainCamera.mode = Free;
        Poll();
        ExpectPosition(mainCamera.position, offset);
        mainCamera.mode = FlyTo;
        Poll();
        ExpectPosition(mainCamera.position, offset);
        EXPECT_EQ(mainCamera.mode, FlyTo);
    }
    backend.Keyboard().SetKeysDown({kScanW, kScanD, kScanA});
    mainCamera.position = Vec3(0.0f, 0.0f, 0.0f);
    mainCamera.mode = Free;
    Poll();
    // A and D cancel out.
    ExpectPosition(mainCamera.position, Vec3(0.0f, 0.0f, -0.1f));
}

TEST_F(InputAggregation, APollWithoutASnapshotLeavesStateAndCameraAlone) {
    backend.Mouse().SetMouse(7, 0, true);
    backend.Keyboard().SetKeysDown({kScanS});
    Poll();
    const Quaternion turned = mainCamera.rotation;
    const Vec3 moved = mainCamera.position;
    ASSERT_EQ(input.mouseState.moveX, -7);

    for (FakeDeviceScript* script : {&backend.Mouse(), &backend.Keyboard()}) {
        script->readResults = {InputResult::InputLost};
        script->acquireResults = {InputResult::OtherAppHasPriority};
    }
    backend.Mouse().SetMouse(100, 100, false);
    Poll();
    EXPECT_EQ(lastPrinted, "DXMouse: Can't reacquire mouse device - DIERR_OTHERAPPHASPRIO\n"
                           "DXKeyboard: Can't reacquire Keyboard device....\n");
    EXPECT_EQ(input.mouseState.moveX, -7);
    EXPECT_TRUE(input.mouseState.buttons[0]);
    EXPECT_TRUE(input.keyboardState.KeyDown(kScanS));
    EXPECT_EQ(mainCamera.mode, Free) << "the released button was never seen";
    ExpectRotation(mainCamera.rotation, turned);
    ExpectPosition(mainCamera.position, moved);
}

TEST_F(InputAggregation, DevicesThatAreNotReadyAreNeverRead) {
    backend.Keyboard().acquireResults = {InputResult::OtherAppHasPriority};
    FakeDeviceScript& pad = backend.AddJoystick("Pad");
    pad.formatResult = InputResult::InvalidParam;
    Poll();
    Poll();
    EXPECT_EQ(backend.Keyboard().readCalls, 0);
    EXPECT_EQ(pad.readCalls, 0);
    EXPECT_EQ(backend.Mouse().readCalls, 2);
}

TEST_F(InputAggregation, TheMostNegativeMouseCountIsClampedWhenTurnedAround) {
    backend.Mouse().SetMouse(std::numeric_limits<int32_t>::min(), 0, false);
    mainCamera.mode = Follow;
    Poll();
    EXPECT_EQ(input.mouseState.moveX, std::numeric_limits<int32_t>::max());
}
