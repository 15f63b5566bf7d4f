#include "PresentationFixture.h"

#include "camera/CameraRig.h"
#include "media/Sound.h"
#include "platform/ParallelPort.h"
#include "platform/Process.h"
#include "qelio/QelIoNames.h"
#include "render/CelShading.h"
#include "render/ScreenEffects.h"
#include "scenes/Scene.h"
#include "shell/StartUp.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> RegistryKeys(const SceneRegistry& scenes) {
    std::vector<std::string> keys;
    for (const auto& entry : scenes.Entries()) {
        keys.push_back(entry.first);
    }
    return keys;
}

void ExpectPose(const SceneNode& node, Vec3 position, Quaternion rotation) {
    EXPECT_EQ(node.position.x, position.x) << node.name;
    EXPECT_EQ(node.position.y, position.y) << node.name;
    EXPECT_EQ(node.position.z, position.z) << node.name;
    EXPECT_EQ(node.rotation.x, rotation.x) << node.name;
    EXPECT_EQ(node.rotation.y, rotation.y) << node.name;
    EXPECT_EQ(node.rotation.z, rotation.z) << node.name;
    EXPECT_EQ(node.rotation.w, rotation.w) << node.name;
}

const Vec3 kBoothPosition(-1.6089f, 0.6149f, 0.4708f);
const Quaternion kBoothRotation(0.1542f, 0.5678f, 0.1093f, 0.8012f);
const Vec3 kHorsePosition(-0.201275f, 0.377024f, 0.918975f);
const Quaternion kHorseRotation(0.188857f, 0.351072f, 0.073043f, 0.914191f);

// Registered as "MainScreen" before start-up, it takes that name from the real start screen, so that
// start-up's request to start the start screen reaches it: it notes what start-up had done by then.
class StartScreenProbe final : public Scene {
public:
    struct Seen {
        bool entered = false;
        SceneNode* cameraTarget = nullptr;
        float flightDistance = 0.0f;
        Vec3 cameraPosition;
        Vec3 boothPosition;
        GLuint sceneTexture = 0;
        GLuint shadeTexture = 0;
        std::vector<std::string> scenes;
        size_t portRequests = 0;
        FMODSound* player = nullptr;
        GLuint blurList = 0;
        GLuint captureList = 0;
    };

    StartScreenProbe(Presentation& show, const testing_support::FakeQelIoSystem& driver)
        : Scene(show.scenes, "MainScreen", kSceneVisible), show(show), driver(driver) {}
    ~StartScreenProbe() = default;

    bool ShouldStart() override { return false; }
    bool IsFinished() override { return false; }
    void OnEnter() override {
        seen.entered = true;
        const CameraRig& rig = show.scenes.rig;
        seen.cameraTarget = rig.mainCamera.target;
        seen.flightDistance = rig.mainCamera.flightDistance;
        seen.cameraPosition = rig.mainCamera.position;
        seen.boothPosition = rig.waypointBooth.position;
        seen.sceneTexture = show.glow.sceneTexture;
        seen.shadeTexture = show.celShading.shadeTexture;
        seen.scenes = RegistryKeys(show.scenes);
        seen.portRequests = driver.requests.size();
        seen.player = show.scenes.soundInstance.get();
        seen.blurList = show.blurList;
        seen.captureList = show.captureList;
    }

    Seen seen;

private:
    const Presentation& show;
    const testing_support::FakeQelIoSystem& driver;
};

using StartUpTest = PresentationFixture;

TEST_F(StartUpTest, WithoutTheRampFileItFailsSilentlyAndDoesNothingElse) {
    FMODSound* const player = show.scenes.soundInstance.get();
    SceneNode* const target = rig.mainCamera.target;
    const GLuint previousSceneTexture = show.glow.sceneTexture;

    std::string whyNot;
    EXPECT_FALSE(StartUp(show, &window, &keys, &whyNot));
    EXPECT_EQ(whyNot, "Data/shader.txt: cannot open: No such file or directory") << "for the log of a kiosk";

    EXPECT_EQ(show.currentWindow, &window);
    EXPECT_EQ(show.currentKeys, &keys);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_NEAR(clear[0], 0.7f, 1e-6) << "the GL state comes before the file";
    EXPECT_TRUE(messageBoxes.empty());
    EXPECT_EQ(show.celShading.shadeTexture, 0u);
    EXPECT_TRUE(show.scenes.Entries().empty());
    EXPECT_EQ(rig.mainCamera.target, target);
    EXPECT_EQ(show.glow.sceneTexture, previousSceneTexture);
    ExpectPose(rig.waypointBooth, Vec3(), Quaternion());
    EXPECT_TRUE(driver.requests.empty()) << "no port session";
    EXPECT_EQ(show.scenes.soundInstance.get(), player);
    EXPECT_EQ(show.blurList, 0u);
    EXPECT_EQ(show.captureList, 0u);
}

TEST_F(StartUpTest, StepsRunInOrder) {
    UseBundledData();
    StartScreenProbe probe(show, driver);
    FMODSound* const previousPlayer = show.scenes.soundInstance.get();
    std::vector<FMODSound*> playerAtPortRequest;
    std::vector<GLuint> blurListAtPortRequest;
    driver.onRequest = [&](const testing_support::FakeQelIoSystem::Request&) {
        playerAtPortRequest.push_back(show.scenes.soundInstance.get());
        blurListAtPortRequest.push_back(show.blurList);
    };

    ASSERT_TRUE(RunStartUp());

    // By the start of the start screen: ramp, scenes, camera aimed, scene texture, poses; nothing later.
    const StartScreenProbe::Seen& seen = probe.seen;
    ASSERT_TRUE(seen.entered);
    EXPECT_NE(seen.shadeTexture, 0u);
    EXPECT_EQ(seen.scenes, (std::vector<std::string>{"cubes", "horse", "mainscreen", "mainscreen1",
                                                     "mountain", "parthenon"}));
    EXPECT_EQ(seen.cameraTarget, &rig.waypointBooth);
    EXPECT_FLOAT_EQ(seen.flightDistance, Distance(seen.cameraPosition, Vec3()))
        << "the camera was aimed while the booth still stood at the origin";
    EXPECT_NE(seen.sceneTexture, 0u);
    EXPECT_EQ(seen.boothPosition.x, kBoothPosition.x) << "the poses are given before the start screen starts";
    EXPECT_EQ(seen.portRequests, 0u);
    EXPECT_EQ(seen.player, previousPlayer);
    EXPECT_EQ(seen.blurList, 0u);
    EXPECT_EQ(seen.captureList, 0u);

    // Then the port session, the player, and the two lists.
    ASSERT_EQ(driver.requests.size(), 1u);
    EXPECT_EQ(driver.requests[0].code, qelio::kOpenSessionCode);
    EXPECT_EQ(driver.requests[0].processId, platform::GetCurrentProcessId());
    EXPECT_EQ(playerAtPortRequest, std::vector<FMODSound*>{previousPlayer});
    EXPECT_EQ(blurListAtPortRequest, std::vector<GLuint>{0u});
    EXPECT_NE(show.scenes.soundInstance.get(), previousPlayer);
    EXPECT_NE(show.scenes.soundInstance, nullptr);
    EXPECT_TRUE(glIsList(show.blurList));
    EXPECT_TRUE(glIsList(show.captureList));
    EXPECT_NE(show.blurList, show.captureList);
}

TEST_F(StartUpTest, LeavesTheStartScreenRunningWithTheCameraOnItsWay) {
    UseBundledData();
    ASSERT_TRUE(RunStartUp());

    EXPECT_TRUE(messageBoxes.empty()) << "every bundled movie opens";
    EXPECT_TRUE(show.scenes.Find("MainScreen")->active);
    for (const char* idle : {"Horse", "Mountain", "Parthenon", "Cubes"}) {
        EXPECT_FALSE(show.scenes.Find(idle)->active) << idle;
    }
    ExpectPose(rig.waypointBooth, kBoothPosition, kBoothRotation);
    ExpectPose(rig.waypointHorse, kHorsePosition, kHorseRotation);
    EXPECT_EQ(rig.mainCamera.target, &rig.waypointBooth);
    EXPECT_EQ(rig.mainCamera.mode, FlyTo);
    EXPECT_TRUE(platform::PortSessionOpen());
    EXPECT_EQ(show.celShading.lightDirection.x, 0.0f);
    EXPECT_EQ(show.celShading.lightDirection.y, 0.0f);
    EXPECT_EQ(show.celShading.lightDirection.z, 1.0f);
    EXPECT_TRUE(glIsTexture(show.celShading.shadeTexture));
    EXPECT_NE(show.captureList, 0u);
}

TEST_F(StartUpTest, ShutDownDeletesTheRampAndTheScenesAndSilencesTheMusic) {
    UseBundledData();
    ASSERT_TRUE(RunStartUp());
    ASSERT_TRUE(show.scenes.Start("Horse"));
    ASSERT_TRUE(show.scenes.soundInstance->stream && show.scenes.soundInstance->stream->Playing());
    const GLuint ramp = show.celShading.shadeTexture;
    ShutDown(show);
    EXPECT_FALSE(glIsTexture(ramp));
    EXPECT_TRUE(show.scenes.Entries().empty());
    EXPECT_FALSE(show.scenes.soundInstance->stream->Playing()) << "the exhibit was stopped before it went";
    EXPECT_TRUE(glIsTexture(show.glow.sceneTexture));
    EXPECT_TRUE(glIsList(show.blurList));
    EXPECT_TRUE(glIsList(show.captureList));
}

// What a full-screen toggle does: shut down, a new context, start up again.
TEST_F(StartUpTest, AfterAToggleANewSetOfScenesStartsAtTheStartScreenWithTheSamePlayer) {
    UseBundledData();
    ASSERT_TRUE(RunStartUp());
    FMODSound* const player = show.scenes.soundInstance.get();
    show.scenes.Start("Horse");
    rig.waypointHorse.position = Vec3(9.0f, 9.0f, 9.0f);
    // An open session needs no second request; a closed one shows that start-up asks again.
    platform::ClosePortSession(platform::GetCurrentProcessId());
    ShutDown(show);

    ASSERT_TRUE(SwitchToNewContext());
    ASSERT_TRUE(RunStartUp());

    EXPECT_EQ(RegistryKeys(show.scenes),
              (std::vector<std::string>{"cubes", "horse", "mainscreen", "mountain", "parthenon"}));
    EXPECT_TRUE(show.scenes.Find("MainScreen")->active) << "the show starts again at the start screen";
    for (const char* idle : {"Horse", "Mountain", "Parthenon", "Cubes"}) {
        EXPECT_FALSE(show.scenes.Find(idle)->active) << idle;
    }
    EXPECT_TRUE(messageBoxes.empty()) << "every movie opens again";
    ExpectPose(rig.waypointHorse, kHorsePosition, kHorseRotation);
    EXPECT_EQ(show.scenes.soundInstance.get(), player);
    ASSERT_EQ(driver.requests.size(), 3u);
    EXPECT_EQ(driver.requests[2].code, qelio::kOpenSessionCode);
    EXPECT_TRUE(platform::PortSessionOpen());
    EXPECT_TRUE(glIsList(show.captureList));
}

} // namespace
