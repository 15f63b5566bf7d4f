#include "scenes/MainScreenScene.h"

#include "LoggingScene.h"
#include "SceneGl.h"
#include "camera/CameraRig.h"
#include "scenes/PictureTextures.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace scenes_test;

namespace {

constexpr int kFrameMs = 100;

class MainScreenSceneTest : public testing::Test {
protected:
    void SetUp() override { rig.mainCamera.SetMode(Free); }
    void TearDown() override {}

    // Runs frames until the scene clock reaches the time, calling watch after each frame's step.
    template <typename Watch> void RunUntilMs(int endMs, Watch watch) {
        for (int ms = kFrameMs; ms <= endMs; ms += kFrameMs) {
            fakeClock.AdvanceMs(kFrameMs);
            registry.StepAll();
            watch(ms);
        }
    }

    int BoothIndex(const SceneNode* node) const {
        const SceneNode* booths[] = {&rig.waypointBooth, &rig.waypointBooth1, &rig.waypointBooth2,
                                     &rig.waypointBooth3};
        for (int i = 0; i < 4; ++i) {
            if (node == booths[i]) {
                return i;
            }
        }
        return -1;
    }

    testing_support::FakeClock fakeClock;
    SceneRegistry registry;
    CameraRig& rig = registry.rig;
    testing_support::TempDir noData{true}; // no pictures: the constructor then makes no OpenGL call
};

} // namespace

TEST_F(MainScreenSceneTest, PicturesChangeAtTheFirstFrameAfterEachFiveSeconds) {
    MainScreenScene screen{registry};
    EXPECT_EQ(screen.name, "mainscreen");
    ASSERT_TRUE(registry.Start("MainScreen"));
    EXPECT_EQ(screen.imageIndex, 0);

    std::map<int, int> changes; // scene ms -> new picture
    int shown = screen.imageIndex;
    RunUntilMs(20000, [&](int ms) {
        if (screen.imageIndex != shown) {
            shown = screen.imageIndex;
            changes[ms] = shown;
        }
    });
    EXPECT_EQ(changes, (std::map<int, int>{{5100, 1}, {10100, 2}, {15100, 0}}));
    EXPECT_EQ(registry.startScreen.lastImageSwitch, 15);
}

TEST_F(MainScreenSceneTest, AfterAVisitOfTwoHoursTheNextVisitStillChangesEveryFiveSeconds) {
    MainScreenScene screen{registry};
    ASSERT_TRUE(registry.Start("MainScreen"));
    RunUntilMs(12000, [](int) {});
    fakeClock.AdvanceSeconds(2 * 60 * 60);
    registry.StepAll();
    ASSERT_GE(registry.startScreen.lastImageSwitch, 2 * 60 * 60);
    const int shownAtLeave = screen.imageIndex;
    ASSERT_TRUE(registry.Stop("MainScreen"));

    ASSERT_TRUE(registry.Start("MainScreen"));
    EXPECT_EQ(screen.imageIndex, shownAtLeave) << "the picture is not reset on entry";
    std::vector<int> changes;
    int shown = screen.imageIndex;
    RunUntilMs(16000, [&](int ms) {
        if (screen.imageIndex != shown) {
            shown = screen.imageIndex;
            changes.push_back(ms);
        }
    });
    EXPECT_EQ(changes, (std::vector<int>{5100, 10100, 15100}));
}

TEST_F(MainScreenSceneTest, FliesToBoothThenTheFixedTourAfterFifteenSeconds) {
    MainScreenScene screen{registry};
    ASSERT_TRUE(registry.Start("MainScreen"));
    EXPECT_EQ(rig.mainCamera.target, &rig.waypointBooth);
    EXPECT_EQ(rig.mainCamera.mode, FlyTo);

    std::map<int, int> flights; // scene ms -> booth index
    const SceneNode* target = rig.mainCamera.target;
    RunUntilMs(75100, [&](int ms) {
        if (rig.mainCamera.target != target) {
            target = rig.mainCamera.target;
            flights[ms] = BoothIndex(target);
            EXPECT_EQ(rig.mainCamera.mode, FlyTo);
        }
    });
    EXPECT_EQ(flights,
              (std::map<int, int>{
                  {15100, 1}, {25100, 3}, {35100, 2}, {45100, 0}, {55100, 1}, {65100, 0}, {75100, 2}}));
}

TEST_F(MainScreenSceneTest, NeverPicksTheSameBoothTwiceInARowAcrossVisits) {
    MainScreenScene screen{registry};
    std::vector<int> picks;
    for (int visit = 0; visit < 10; ++visit) {
        ASSERT_TRUE(registry.Start("MainScreen"));
        EXPECT_EQ(screen.nextCameraChange, 15);
        RunUntilMs(15100, [](int) {});
        picks.push_back(BoothIndex(rig.mainCamera.target));
        EXPECT_EQ(picks.back(), registry.startScreen.lastBoothPick);
        ASSERT_TRUE(registry.Stop("MainScreen"));
    }
    // The eighth visit's first draw repeats the seventh pick and is drawn again.
    EXPECT_EQ(picks, (std::vector<int>{1, 3, 2, 0, 1, 0, 2, 0, 1, 3}));
}

TEST_F(MainScreenSceneTest, GeneratorStartsFromOneInEachShow) {
    StartScreenState state;
    EXPECT_EQ(NextBoothRandom(state), 41);
    EXPECT_EQ(NextBoothRandom(state), 18467);
    StartScreenState nextShow;
    EXPECT_EQ(NextBoothRandom(nextShow), 41);
}

TEST_F(MainScreenSceneTest, EntryStopsTheOthersInOrderAndNeverEnds) {
    std::vector<std::string> log;
    LoggingScene cubes(registry, "Cubes", log), horse(registry, "Horse", log),
        mountain(registry, "Mountain", log), parthenon(registry, "Parthenon", log);
    MainScreenScene screen{registry};
    for (const char* name : {"Cubes", "Horse", "Mountain", "Parthenon"}) {
        ASSERT_TRUE(registry.Start(name));
    }
    log.clear();
    ASSERT_TRUE(registry.Start("MainScreen"));
    EXPECT_EQ(log,
              (std::vector<std::string>{"parthenon leave", "horse leave", "mountain leave", "cubes leave"}));
    fakeClock.AdvanceSeconds(3600);
    registry.StepAll();
    EXPECT_TRUE(screen.active);
}

TEST_F(MainScreenSceneTest, DrawsTheChosenPictureOverTheTopEvenInFlight) {
    platform::OffscreenContext gl(800, 600);
    ASSERT_TRUE(gl.Ok());
    glViewport(0, 0, 800, 600);
    MainScreenScene screen{registry};
    registry.pictures.startScreenTextures[0] = SolidTexture(255, 0, 0);
    registry.pictures.startScreenTextures[1] = SolidTexture(0, 255, 0);
    registry.pictures.startScreenTextures[2] = SolidTexture(0, 0, 255);
    ASSERT_TRUE(registry.Start("MainScreen"));
    rig.mainCamera.inFlight = true;

    const int full = Blend(255, 0.85f);
    const std::pair<int, Rgb> cases[] = {
        {0, {full, 0, 0}}, {1, {0, full, 0}}, {2, {0, 0, full}}, {7, {0, 0, full}}};
    for (const auto& [index, colour] : cases) {
        ClearBlack();
        screen.imageIndex = index;
        registry.DrawAll(View{});
        for (int row : {0, 269}) {
            const Rgb pixel = PixelFromTop(gl, 400, row);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(pixel[c], colour[c], 2) << "picture " << index << " row " << row;
            }
        }
        EXPECT_EQ(PixelFromTop(gl, 400, 270), (Rgb{0, 0, 0}));
    }
    rig.mainCamera.inFlight = false;
}
