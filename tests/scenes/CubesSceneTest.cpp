#include "scenes/CubesScene.h"

#include "LoggingScene.h"
#include "MediaFakes.h"
#include "SceneGl.h"
#include "camera/CameraRig.h"
#include "camera/Waypoints.h"
#include "media/Sound.h"
#include "media/VideoCarousel.h"
#include "scenes/ExhibitScene.h"
#include "scenes/MainScreenScene.h"
#include "scenes/PictureTextures.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace scenes_test;

namespace {

using Log = std::vector<std::string>;

// The carousel makes its textures while the scene is constructed, so every test has a context.
class CubesSceneTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        AssignWaypointPoses(rig);
        rig.mainCamera.SetTarget(&rig.waypointBooth);
        rig.mainCamera.inFlight = false;
        registry.soundInstance = std::make_unique<FMODSound>();
    }

    testing_support::FakeClock fakeClock;
    // Before the registry, whose player gives its share of the output back when it goes.
    FakeAudioDevice audio;
    SceneRegistry registry;
    CameraRig& rig = registry.rig;
    testing_support::TempDir noData{true};
    platform::OffscreenContext gl{800, 600};
    testing_support::FakeVideoDecoder decoder{kAnyMovie};
    std::unique_ptr<FMODSound>& player = registry.soundInstance;
};

} // namespace

TEST_F(CubesSceneTest, OpensTheFourMoviesInOrder) {
    CubesScene cubes{registry};
    EXPECT_EQ(cubes.name, "cubes");
    ASSERT_NE(cubes.carousel, nullptr);
    EXPECT_EQ(decoder.opened, (Log{"Data/movies/Booth1.avi", "Data/movies/Booth2.avi",
                                   "Data/movies/Booth3.avi", "Data/movies/face2.avi"}));
    EXPECT_EQ(cubes.carousel->count, 3) << "the last movie stays out of the ring";
}

TEST_F(CubesSceneTest, EntryStopsTheOthersFliesRewindsAndSetsTheTimeOut) {
    Log log;
    LoggingScene horse(registry, "Horse", log), mainScreen(registry, "MainScreen", log),
        mountain(registry, "Mountain", log), parthenon(registry, "Parthenon", log);
    CubesScene cubes{registry};
    for (const char* name : {"Horse", "MainScreen", "Mountain", "Parthenon"}) {
        ASSERT_TRUE(registry.Start(name));
    }
    log.clear();
    ASSERT_TRUE(registry.Start("Cubes"));
    EXPECT_EQ(log, (Log{"mainscreen leave", "horse leave", "mountain leave", "parthenon leave"}));
    EXPECT_EQ(rig.mainCamera.target, &rig.waypointCubes);
    EXPECT_EQ(rig.mainCamera.mode, FlyTo);
    EXPECT_FLOAT_EQ(cubes.timeout, 35.0f);
    EXPECT_EQ(cubes.carousel->centre, 0);
    EXPECT_TRUE(cubes.carousel->clips[0].playing);
}

TEST_F(CubesSceneTest, StartingItSilencesTheMusic) {
    CubesScene cubes{registry};
    player->PlayTrack("data/music/olympus.mp3", 0.0f); // no exhibit running: only the scene can stop it
    audio.log.clear();
    ASSERT_TRUE(registry.Start("Cubes"));
    EXPECT_EQ(audio.log, (Log{"stop data/music/olympus.mp3"}));
    ASSERT_TRUE(registry.Stop("Cubes"));
    EXPECT_EQ(audio.log.size(), 1u) << "leaving does not touch the music";
}

TEST_F(CubesSceneTest, EndsPastTheTimeOutWhichEachPressMoves) {
    MainScreenScene screen{registry};
    CubesScene cubes{registry};
    ASSERT_TRUE(registry.Start("Cubes"));
    fakeClock.AdvanceSeconds(35.0);
    registry.StepAll();
    EXPECT_TRUE(cubes.active);
    fakeClock.AdvanceMs(1);
    registry.StepAll();
    EXPECT_FALSE(cubes.active);
    EXPECT_TRUE(screen.active);

    ASSERT_TRUE(registry.Start("Cubes"));
    fakeClock.AdvanceSeconds(30);
    cubes.KeepAlive();
    EXPECT_FLOAT_EQ(cubes.timeout, 65.0f);
    fakeClock.AdvanceSeconds(34);
    registry.StepAll();
    EXPECT_TRUE(cubes.active) << "64 s";
    cubes.KeepAlive();
    EXPECT_FLOAT_EQ(cubes.timeout, 99.0f);
    fakeClock.AdvanceSeconds(35);
    registry.StepAll();
    EXPECT_TRUE(cubes.active) << "99 s";
    fakeClock.AdvanceMs(1);
    registry.StepAll();
    EXPECT_FALSE(cubes.active);
    EXPECT_TRUE(screen.active);
}

TEST_F(CubesSceneTest, ComingBackStartsAtTheFirstMovie) {
    CubesScene cubes{registry};
    HorseScene horse{registry};
    ASSERT_TRUE(registry.Start("Cubes"));
    cubes.carousel->Next();
    fakeClock.AdvanceMs(900);
    cubes.carousel->Draw(); // the slide is over: the ring moves on
    ASSERT_EQ(cubes.carousel->centre, 1);

    ASSERT_TRUE(registry.Start("Horse"));
    EXPECT_FALSE(cubes.active);
    ASSERT_TRUE(registry.Start("Cubes"));
    EXPECT_EQ(cubes.carousel->centre, 0);
    EXPECT_TRUE(cubes.carousel->clips[0].playing);
    EXPECT_FALSE(cubes.carousel->clips[1].playing);
}

TEST_F(CubesSceneTest, DrawsNothingInFlightThenTheCarouselAndTheTitle) {
    CubesScene cubes{registry};
    registry.pictures.cubesTexture = SolidTexture(0, 255, 0);
    ASSERT_TRUE(registry.Start("Cubes"));

    rig.mainCamera.inFlight = true;
    ClearBlack();
    registry.DrawAll(View{});
    EXPECT_EQ(cubes.carousel->shared.idleTexture, kNoIdleTexture) << "the carousel was not drawn";
    EXPECT_EQ(PixelFromTop(gl, 400, 100), (Rgb{0, 0, 0}));

    rig.mainCamera.inFlight = false;
    ClearBlack();
    registry.DrawAll(View{});
    EXPECT_EQ(cubes.carousel->shared.idleTexture, cubes.carousel->clips[cubes.carousel->centre].texture);
    const int title = Blend(255, 0.85f);
    // The title spans columns 200..599 and rows 15..149 from the top.
    for (const auto& [x, row] : {std::pair{200, 15}, std::pair{599, 149}, std::pair{400, 80}}) {
        EXPECT_NEAR(PixelFromTop(gl, x, row)[1], title, 2) << x << ", " << row;
    }
    for (const auto& [x, row] :
         {std::pair{199, 80}, std::pair{600, 80}, std::pair{400, 14}, std::pair{400, 150}}) {
        EXPECT_EQ(PixelFromTop(gl, x, row)[1], 0) << x << ", " << row;
    }
}
