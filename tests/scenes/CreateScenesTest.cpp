#include "scenes/Scenes.h"

#include "MediaFakes.h"
#include "camera/CameraRig.h"
#include "camera/Waypoints.h"
#include "media/Sound.h"
#include "media/VideoClip.h"
#include "platform/OffscreenContext.h"
#include "scenes/MainScreenScene.h"
#include "scenes/PictureTextures.h"
#include "scenes/Scene.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Keys(const SceneRegistry& registry) {
    std::vector<std::string> keys;
    for (const auto& entry : registry.Entries()) {
        keys.push_back(entry.first);
    }
    return keys;
}

// Runs in the source tree, so the bundled pictures load.
class CreateScenesTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        std::filesystem::current_path(STANDVIEW_SOURCE_DIR);
        AssignWaypointPoses(rig);
    }
    void TearDown() override {
        DestroyScenes(registry);
        std::filesystem::current_path(previousDir);
    }

    const std::filesystem::path previousDir = std::filesystem::current_path();
    testing_support::FakeClock fakeClock;
    SceneRegistry registry;
    CameraRig& rig = registry.rig;
    platform::OffscreenContext gl{800, 600};
    testing_support::FakeVideoDecoder decoder{scenes_test::kAnyMovie};
};

} // namespace

TEST_F(CreateScenesTest, ASecondSetGetsNumberedNamesAndStaysIdle) {
    CreateScenes(registry);
    EXPECT_EQ(Keys(registry),
              (std::vector<std::string>{"cubes", "horse", "mainscreen", "mountain", "parthenon"}));
    for (const auto& entry : registry.Entries()) {
        EXPECT_EQ(entry.second->flags, 1u) << entry.first;
        EXPECT_FALSE(entry.second->active) << entry.first;
    }
    const GLuint pictures[] = {registry.pictures.startScreenTextures[0],
                               registry.pictures.startScreenTextures[1],
                               registry.pictures.startScreenTextures[2],
                               registry.pictures.scrollTextureHorse,
                               registry.pictures.scrollTextureMountain,
                               registry.pictures.scrollTextureParthenon,
                               registry.pictures.cubesTexture};
    for (GLuint picture : pictures) {
        EXPECT_NE(picture, kNoPicture);
    }
    Scene* const firstHorse = registry.Find("Horse");

    CreateScenes(registry);
    EXPECT_EQ(Keys(registry),
              (std::vector<std::string>{"cubes", "cubes1", "horse", "horse1", "mainscreen", "mainscreen1",
                                        "mountain", "mountain1", "parthenon", "parthenon1"}));
    EXPECT_EQ(registry.Find("Horse"), firstHorse);
    EXPECT_NE(registry.pictures.startScreenTextures[0], pictures[0])
        << "the second set reloads the shared pictures";

    ASSERT_TRUE(registry.Start("MainScreen"));
    ASSERT_TRUE(registry.Start("Horse"));
    for (int frame = 0; frame < 400; ++frame) {
        fakeClock.AdvanceMs(100);
        registry.StepAll();
    }
    EXPECT_TRUE(registry.Find("mainscreen")->active) << "the horse's time ran out";
    for (const char* second : {"cubes1", "horse1", "mainscreen1", "mountain1", "parthenon1"}) {
        EXPECT_FALSE(registry.Find(second)->active) << second;
    }
}

TEST_F(CreateScenesTest, DestroyingEmptiesTheRegistry) {
    CreateScenes(registry);
    DestroyScenes(registry);
    EXPECT_TRUE(registry.Entries().empty());
    CreateScenes(registry);
    EXPECT_EQ(registry.Find("mainscreen")->name, "mainscreen") << "names are free again";
}
