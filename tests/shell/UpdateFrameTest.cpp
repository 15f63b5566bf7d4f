#include "PresentationFixture.h"

#include "camera/CameraRig.h"
#include "input/ButtonPanel.h"
#include "input/InputAggregation.h"
#include "media/VideoCarousel.h"
#include "platform/Clock.h"
#include "platform/InputLayer.h"
#include "platform/ParallelPort.h"
#include "platform/Process.h"
#include "platform/VirtualKeys.h"
#include "platform/WindowMessages.h"
#include "qelio/QelIoNames.h"
#include "render/CelShading.h"
#include "scenes/CubesScene.h"
#include "scenes/Scene.h"
#include "shell/AppWindow.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"
#include "support/FakeInputBackend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Status register values with one button held.
constexpr uint8_t kButton1 = 0x3F;
constexpr uint8_t kButton2 = 0xFF;
constexpr uint8_t kButton3 = 0x5F;
constexpr uint8_t kButton4 = 0x6F;

// Logs its starts (and, when asked, its steps), and is never finished.
class RecordingScene final : public Scene {
public:
    RecordingScene(SceneRegistry& scenes, const std::string& name, std::vector<std::string>* log,
                   uint32_t flags = kSceneVisible)
        : Scene(scenes, name, flags), log(log) {}
    ~RecordingScene() = default;

    bool ShouldStart() override { return startByItself; }
    void OnEnter() override { log->push_back("enter " + name); }
    void Update() override {
        if (logUpdates) {
            log->push_back("update " + name);
        }
    }
    bool IsFinished() override { return false; }
    void OnLeave() override { leaving = false; }

    bool startByItself = false;
    bool logUpdates = false;

private:
    std::vector<std::string>* log;
};

class UpdateFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.InstallRunningDriver();
        std::memset(keys.keyDown, 0, sizeof keys.keyDown);
        show.currentKeys = &keys;
        window.buttons = &buttons;
        show.currentWindow = &window;
        window.keepRunning = true;
        ASSERT_EQ(platform::OpenPortSession(platform::GetCurrentProcessId()), 0);
        driver.requests.clear();
        for (const char* name : {"Horse", "Mountain", "Parthenon", "Cubes"}) {
            scenes.push_back(std::make_unique<RecordingScene>(show.scenes, name, &log));
        }
    }

    void TearDown() override {
        scenes.clear();
        TakeMessages();
    }

    // The messages posted to no window (the test's window has none), oldest first; the queue is emptied.
    static std::vector<uint32_t> TakeMessages() {
        std::vector<uint32_t> messages;
        platform::Message message;
        while (platform::PollMessage(&message, nullptr)) {
            messages.push_back(message.message);
        }
        return messages;
    }

    void Press(uint32_t key) { keys[key] = true; }

    testing_support::FakeInputBackend noInputDevices{platform::InputResult::DeviceNotRegistered};
    Presentation show;
    testing_support::FakeQelIoSystem driver;
    testing_support::FakeParallelPort port{driver};
    KeyTable keys;
    ButtonPanel buttons;
    AppWindow window{};
    uint8_t& status = port.status;
    std::vector<std::string> log;
    std::vector<std::unique_ptr<RecordingScene>> scenes;
};

using Log = std::vector<std::string>;

TEST_F(UpdateFrameTest, OperatorKeysActAndOnlyTheOneShotKeysAreCleared) {
    for (uint32_t key : {uint32_t{'1'}, uint32_t{'2'}, uint32_t{'3'}, platform::VK_UP, uint32_t{'F'}}) {
        Press(key);
    }
    UpdateFrame(show, 16);

    EXPECT_FALSE(show.celShading.outlineEnabled);
    EXPECT_FALSE(show.celShading.outlineSmooth);
    EXPECT_FALSE(show.captureOutlines);
    EXPECT_EQ(show.celShading.outlineWidth, 4.0f);
    for (uint32_t key : {uint32_t{'1'}, uint32_t{'2'}, uint32_t{'3'}, platform::VK_UP}) {
        EXPECT_FALSE(keys[key]) << "key " << key << " acts once per press";
    }
    EXPECT_TRUE(keys['F']) << "free steering is asked for while F is held";

    // Without a new press nothing toggles back.
    UpdateFrame(show, 16);
    EXPECT_FALSE(show.celShading.outlineEnabled);
    EXPECT_FALSE(show.celShading.outlineSmooth);
    EXPECT_FALSE(show.captureOutlines);
    EXPECT_EQ(show.celShading.outlineWidth, 4.0f);
}

TEST_F(UpdateFrameTest, FullScreenToggleIsRequestedEveryFrameTheKeyIsHeld) {
    Press(platform::VK_F1);
    UpdateFrame(show, 16);
    UpdateFrame(show, 16);
    EXPECT_TRUE(keys[platform::VK_F1]);
    EXPECT_EQ(TakeMessages(), (std::vector<uint32_t>{kToggleFullScreenMessage, kToggleFullScreenMessage}));
    EXPECT_TRUE(window.keepRunning);
}

TEST_F(UpdateFrameTest, NarrowingPastZeroPassesNegativeWidthsOn) {
    for (float expected : {2.0f, 1.0f, 0.0f, -1.0f}) {
        Press(platform::VK_DOWN);
        UpdateFrame(show, 16);
        EXPECT_EQ(show.celShading.outlineWidth, expected);
    }
}

TEST_F(UpdateFrameTest, EscapeClosesThePortSessionThenQuitsAndThatFrameReadsNoButtons) {
    const uint32_t processId = platform::GetCurrentProcessId();
    status = kButton1;
    Press(platform::VK_ESCAPE);
    driver.onRequest = [this](const testing_support::FakeQelIoSystem::Request&) {
        EXPECT_TRUE(window.keepRunning) << "the session is closed before the quit is requested";
    };
    UpdateFrame(show, 16);

    ASSERT_EQ(driver.requests.size(), 1u);
    EXPECT_EQ(driver.requests[0].code, qelio::kCloseSessionCode);
    EXPECT_EQ(driver.requests[0].processId, processId);
    EXPECT_FALSE(window.keepRunning);
    EXPECT_EQ(TakeMessages(), std::vector<uint32_t>{platform::WM_QUIT});
    EXPECT_TRUE(keys[platform::VK_ESCAPE]);
    EXPECT_EQ(port.reads.size(), 0u) << "the port is not read once its session is closed";
    EXPECT_EQ(log, Log{}) << "a held button cannot start a scene after the session is closed";

    // Held, the key asks again; there is no session left to close.
    UpdateFrame(show, 16);
    EXPECT_EQ(TakeMessages(), std::vector<uint32_t>{platform::WM_QUIT});
    EXPECT_EQ(port.reads.size(), 0u);
}

TEST_F(UpdateFrameTest, EachLineReadsThePortOnlyWhenItsKeyIsUp) {
    UpdateFrame(show, 16);
    EXPECT_EQ(port.reads.size(), 4u) << "no key: every line reads the port afresh";
    EXPECT_EQ(log, Log{});

    port.reads.clear();
    Press('L');
    Press('H');
    UpdateFrame(show, 16);
    EXPECT_EQ(port.reads.size(), 2u) << "only the lines of K and J read the port";
    EXPECT_EQ(log, (Log{"enter horse", "enter cubes"}));
    EXPECT_FALSE(keys['L']);
    EXPECT_FALSE(keys['H']);
}

TEST_F(UpdateFrameTest, EachButtonStartsItsScene) {
    const std::pair<uint8_t, const char*> presses[] = {
        {kButton3, "horse"}, {kButton2, "mountain"}, {kButton1, "parthenon"}, {kButton4, "cubes"}};
    for (const auto& [button, scene] : presses) {
        status = button;
        UpdateFrame(show, 16);
    }
    EXPECT_EQ(log, (Log{"enter horse", "enter mountain", "enter parthenon", "enter cubes"}));
}

TEST_F(UpdateFrameTest, AKeyAndAButtonInOneFrameFireInTheTablesOrder) {
    status = kButton1; // Parthenon's button
    Press('L');        // Horse's key
    UpdateFrame(show, 16);
    EXPECT_EQ(log, (Log{"enter horse", "enter parthenon"}));

    log.clear();
    status = kButton2; // Mountain's button
    Press('H');        // Cubes' key, after Mountain in the table
    UpdateFrame(show, 16);
    EXPECT_EQ(log, (Log{"enter mountain", "enter cubes"}));
}

TEST_F(UpdateFrameTest, StepsVisibleScenesInNameOrderAfterTheSceneLines) {
    scenes.push_back(std::make_unique<RecordingScene>(show.scenes, "Backstage", &log, 0u));
    scenes.back()->startByItself = true;
    scenes.push_back(std::make_unique<RecordingScene>(show.scenes, "Autostart", &log));
    scenes.back()->startByItself = true;
    for (auto& scene : scenes) {
        scene->logUpdates = true;
    }
    Press('J');
    UpdateFrame(show, 16);
    EXPECT_EQ(log, (Log{"enter parthenon", "update parthenon", "enter autostart", "update autostart",
                        "update parthenon"}))
        << "a scene without the visible flag is not stepped";
}

TEST_F(UpdateFrameTest, HeldFPutsTheCameraInFreeModeEveryFrameAndTheDevicesArePolled) {
    Press('F');
    show.scenes.rig.mainCamera.SetMode(FlyTo);
    UpdateFrame(show, 16);
    EXPECT_EQ(show.scenes.rig.mainCamera.mode, Free);
    EXPECT_NE(show.input.mouseDevice, nullptr) << "the first poll creates the devices";
    show.scenes.rig.mainCamera.SetMode(Follow);
    UpdateFrame(show, 16);
    EXPECT_EQ(show.scenes.rig.mainCamera.mode, Free);
    EXPECT_TRUE(keys['F']);
}

TEST_F(UpdateFrameTest, PoseLineGoesToTheDebuggerOutputOncePerPress) {
    show.scenes.rig.mainCamera.position = Vec3(-1.6089f, 0.6149f, 0.4708f);
    show.scenes.rig.mainCamera.rotation = Quaternion(0.1542f, 0.5678f, 0.1093f, 0.8012f);
    Press('C');
    testing::internal::CaptureStderr();
    UpdateFrame(show, 16);
    UpdateFrame(show, 16);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output, "pos: -1.608900 0.614900 0.470800 rot: 0.154200 0.567800 0.109300 0.801200\n");
    EXPECT_FALSE(keys['C']);
}

TEST_F(UpdateFrameTest, BobIsATriangleWaveStrictlyInsideItsBounds) {
    constexpr uint32_t kFrameMs = 20;
    std::vector<int> turns; // the frames at which the direction flipped
    for (int frame = 1; frame <= 250; ++frame) {
        const int32_t before = show.celShading.bobDirection;
        UpdateFrame(show, kFrameMs);
        ASSERT_LT(show.celShading.bobOffset, 0.025f);
        ASSERT_GT(show.celShading.bobOffset, -0.025f);
        if (show.celShading.bobDirection != before) {
            turns.push_back(frame);
            EXPECT_EQ(show.celShading.bobOffset, before > 0 ? 0.0249f : -0.0249f);
        }
    }
    // From the middle to an end takes 1 s; from one end to the other 2 s.
    ASSERT_GE(turns.size(), 2u);
    EXPECT_NEAR(turns[0] * kFrameMs, 1000, kFrameMs);
    EXPECT_NEAR((turns[1] - turns[0]) * kFrameMs, 2000, kFrameMs);
    EXPECT_EQ(show.celShading.bobDirection, turns.size() % 2 ? -1 : 1);
}

TEST_F(UpdateFrameTest, ALongFrameFlipsTheBobOnceAtTheBound) {
    UpdateFrame(show, 5000);
    EXPECT_EQ(show.celShading.bobOffset, 0.0249f);
    EXPECT_EQ(show.celShading.bobDirection, -1);
    UpdateFrame(show, 5000);
    EXPECT_EQ(show.celShading.bobOffset, -0.0249f);
    EXPECT_EQ(show.celShading.bobDirection, 1);
}

// The real video stage, made by start-up.
class CubesLineTest : public StartedPresentationFixture {
protected:
    testing_support::FakeInputBackend noInputDevices{platform::InputResult::DeviceNotRegistered};
};

TEST_F(CubesLineTest, APressWhileTheCubesRunMovesTheCarouselOnAndGrantsMoreTime) {
    auto* cubes = dynamic_cast<CubesScene*>(show.scenes.Find("Cubes"));
    ASSERT_NE(cubes, nullptr);
    keys['H'] = true;
    UpdateFrame(show, 16);
    ASSERT_TRUE(cubes->active);
    EXPECT_EQ(cubes->carousel->state, VideoCarousel::kResting) << "the first press only starts the stage";

    clock.AdvanceSeconds(20.0);
    port.status = 0x6F; // button 4
    UpdateFrame(show, 16);
    EXPECT_TRUE(cubes->active);
    EXPECT_EQ(cubes->carousel->state, VideoCarousel::kSliding);
    EXPECT_EQ(cubes->carousel->transitionStart, platform::GetTickCount());
    EXPECT_NEAR(cubes->timeout, 55.0f, 0.01f) << "35 s from the press";
}

} // namespace
