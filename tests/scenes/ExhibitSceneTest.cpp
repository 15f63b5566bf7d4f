#include "scenes/ExhibitScene.h"

#include "LoggingScene.h"
#include "MediaFakes.h"
#include "SceneGl.h"
#include "camera/CameraRig.h"
#include "camera/Waypoints.h"
#include "media/Sound.h"
#include "scenes/MainScreenScene.h"
#include "scenes/PictureTextures.h"
#include "core/View.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace scenes_test;

namespace {

using Log = std::vector<std::string>;

class ExhibitSceneTest : public testing::Test {
protected:
    void SetUp() override {
        AssignWaypointPoses(rig);
        rig.mainCamera.SetTarget(&rig.waypointBooth);
        rig.mainCamera.position = rig.waypointBooth.position;
        rig.mainCamera.rotation = rig.waypointBooth.rotation;
        rig.mainCamera.inFlight = false;
        registry.soundInstance = std::make_unique<FMODSound>();
    }

    Log TakeMusic() { return std::exchange(audio.log, {}); }

    testing_support::FakeClock fakeClock;
    // Before the registry, whose player gives its share of the output back when it goes.
    FakeAudioDevice audio;
    SceneRegistry registry;
    CameraRig& rig = registry.rig;
    testing_support::TempDir noData{true}; // no pictures: the constructors then make no OpenGL call
    std::unique_ptr<FMODSound>& player = registry.soundInstance;
};

} // namespace

TEST_F(ExhibitSceneTest, EachExhibitStopsTheOthersInItsOrderFliesAndPlays) {
    struct Row {
        std::string name;
        SceneNode* waypoint;
        std::string track;
        Log stops;
    };
    const Row rows[] = {
        {"Horse",
         &rig.waypointHorse,
         "data/music/horse.mp3",
         {"mainscreen", "parthenon", "mountain", "cubes"}},
        {"Mountain",
         &rig.waypointMountain,
         "data/music/olympus.mp3",
         {"mainscreen", "parthenon", "horse", "cubes"}},
        {"Parthenon",
         &rig.waypointParthenon,
         "data/music/parthenon.mp3",
         {"mainscreen", "horse", "mountain", "cubes"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Log log;
        std::vector<std::unique_ptr<LoggingScene>> others;
        for (const char* other : {"MainScreen", "Horse", "Mountain", "Parthenon", "Cubes"}) {
            if (row.name != other) {
                others.push_back(std::make_unique<LoggingScene>(registry, other, log));
                ASSERT_TRUE(registry.Start(other));
            }
        }
        std::unique_ptr<HorseScene> horse;
        std::unique_ptr<MountainScene> mountain;
        std::unique_ptr<ParthenonScene> parthenon;
        ExhibitScene* exhibit = nullptr;
        if (row.name == "Horse") {
            exhibit = (horse = std::make_unique<HorseScene>(registry)).get();
        } else if (row.name == "Mountain") {
            exhibit = (mountain = std::make_unique<MountainScene>(registry)).get();
        } else {
            exhibit = (parthenon = std::make_unique<ParthenonScene>(registry)).get();
        }
        log.clear();
        ASSERT_TRUE(registry.Start(row.name));
        Log stopped;
        for (const std::string& line : log) {
            stopped.push_back(line.substr(0, line.find(' ')));
        }
        EXPECT_EQ(stopped, row.stops);
        EXPECT_EQ(rig.mainCamera.target, row.waypoint);
        EXPECT_EQ(rig.mainCamera.mode, FlyTo);
        EXPECT_TRUE(exhibit->revealPending);
        EXPECT_FALSE(exhibit->revealRunning);
        EXPECT_EQ(player->currentTrack, row.track);
        const Log music = TakeMusic();
        ASSERT_FALSE(music.empty());
        EXPECT_EQ(music.back(), "play " + row.track);
    }
}

TEST_F(ExhibitSceneTest, EndsAtTheFirstFramePastTheTimeOutAndTheMusicStops) {
    MainScreenScene screen{registry};
    HorseScene horse{registry};
    ASSERT_TRUE(registry.Start("Horse"));
    TakeMusic();
    fakeClock.AdvanceSeconds(35.0);
    registry.StepAll();
    EXPECT_TRUE(horse.active) << "exactly 35 s is not past the time-out";
    fakeClock.AdvanceMs(1);
    registry.StepAll();
    EXPECT_FALSE(horse.active);
    EXPECT_FALSE(horse.leaving);
    EXPECT_TRUE(screen.active);
    EXPECT_EQ(rig.mainCamera.target, &rig.waypointBooth);
    // The start screen stops the exhibit, then the step stops it again: both silence the track.
    EXPECT_EQ(TakeMusic(), (Log{"stop data/music/horse.mp3", "stop data/music/horse.mp3"}));
}

TEST_F(ExhibitSceneTest, ItsOwnButtonChangesNothing) {
    HorseScene horse{registry};
    ASSERT_TRUE(registry.Start("Horse"));
    TakeMusic();
    fakeClock.AdvanceSeconds(10);
    rig.mainCamera.flightProgress = 0.5f;
    horse.revealPending = false;
    horse.revealRunning = true;

    EXPECT_FALSE(registry.Start("Horse"));
    EXPECT_FLOAT_EQ(rig.mainCamera.flightProgress, 0.5f) << "no new flight";
    EXPECT_FALSE(horse.revealPending);
    EXPECT_TRUE(TakeMusic().empty());
    EXPECT_DOUBLE_EQ(horse.clock.Elapsed(), 10.0);
}

TEST_F(ExhibitSceneTest, AnExhibitEnteredAgainPlaysItsTrackAgainUnlessItStillPlays) {
    MainScreenScene screen{registry};
    HorseScene horse{registry};
    MountainScene mountain{registry};
    ASSERT_TRUE(registry.Start("Horse"));
    EXPECT_EQ(TakeMusic(), (Log{"open data/music/horse.mp3", "play data/music/horse.mp3"}));
    fakeClock.AdvanceSeconds(36.0);
    registry.StepAll();
    ASSERT_TRUE(screen.active) << "the time-out handed back to the start screen";
    TakeMusic();
    ASSERT_TRUE(registry.Start("Horse"));
    EXPECT_EQ(TakeMusic(), (Log{"play data/music/horse.mp3"})) << "the stopped track starts again";

    // Still playing when its exhibit is entered again (started by hand after the exhibit stopped it):
    // it goes on.
    ASSERT_TRUE(registry.Start("Mountain"));
    ASSERT_TRUE(registry.Stop("Mountain"));
    player->PlayTrack("data/music/olympus.mp3", 0.0f);
    TakeMusic();
    ASSERT_TRUE(registry.Start("Mountain"));
    EXPECT_EQ(TakeMusic(), (Log{})) << "a playing track is not restarted";
}

TEST_F(ExhibitSceneTest, ATrackThatFailedToOpenIsTriedAgainOnTheNextVisit) {
    MainScreenScene screen{registry};
    HorseScene horse{registry};
    audio.failing = {"data/music/horse.mp3"};
    testing::internal::CaptureStdout();
    ASSERT_TRUE(registry.Start("Horse"));
    ASSERT_TRUE(registry.Start("MainScreen"));
    audio.failing.clear();
    ASSERT_TRUE(registry.Start("Horse"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMODSound: Cannot load track - data/music/horse.mp3\n");
    EXPECT_EQ(TakeMusic(),
              (Log{"open data/music/horse.mp3", "open data/music/horse.mp3", "play data/music/horse.mp3"}));
}

TEST_F(ExhibitSceneTest, WithoutAPlayerTheExhibitRunsSilently) {
    player.reset();
    MainScreenScene screen{registry};
    ParthenonScene parthenon{registry};
    ASSERT_TRUE(registry.Start("Parthenon"));
    fakeClock.AdvanceSeconds(36);
    registry.StepAll();
    EXPECT_TRUE(screen.active);
    EXPECT_FALSE(parthenon.active);
    EXPECT_TRUE(audio.log.empty());
}

TEST_F(ExhibitSceneTest, RevealFollowsTheWindowHeightAtOnce) {
    MountainScene mountain{registry};
    mountain.revealRunning = true;
    mountain.revealClock.Reset();
    fakeClock.AdvanceSeconds(1.5);
    View view;
    EXPECT_NEAR(mountain.RevealHeight(view), 300.0f, 1e-3f);
    view.height = 400.0f;
    EXPECT_NEAR(mountain.RevealHeight(view), 200.0f, 1e-3f);
    view.height = 600.0f;
    fakeClock.AdvanceSeconds(1.6);
    EXPECT_EQ(mountain.RevealHeight(view), 600.0f);
    EXPECT_FALSE(mountain.revealRunning);
}

namespace {

// The exhibit drawn over a black frame, driven like the frame loop: step, camera, overlays.
class ExhibitDrawTest : public ExhibitSceneTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        ExhibitSceneTest::SetUp();
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
    }

    void Frame(int ms) {
        fakeClock.AdvanceMs(ms);
        registry.StepAll();
        ClearBlack();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        rig.mainCamera.Update(static_cast<float>(ms));
        registry.DrawAll(View{});
    }

    bool Shows(int x, int row) const { return PixelFromTop(gl, x, row)[0] > 100; }

    // Rows from the top that show the picture in column 400.
    int FirstShownRow() const {
        for (int row = 0; row < 600; ++row) {
            if (Shows(400, row)) {
                return row;
            }
        }
        return -1;
    }
    int LastShownRow() const {
        for (int row = 599; row >= 0; --row) {
            if (Shows(400, row)) {
                return row;
            }
        }
        return -1;
    }

    platform::OffscreenContext gl{800, 600};
};

} // namespace

TEST_F(ExhibitDrawTest, HiddenInFlightThenUnrolledFromTheTopWithinThreeSeconds) {
    HorseScene horse{registry};
    registry.pictures.scrollTextureHorse = SolidTexture(255, 255, 255);
    ASSERT_TRUE(registry.Start("Horse"));

    int flightFrames = 0;
    do {
        Frame(16);
        ++flightFrames;
        if (rig.mainCamera.inFlight) {
            EXPECT_EQ(FirstShownRow(), -1) << "frame " << flightFrames << " of the flight";
        }
    } while (rig.mainCamera.inFlight && flightFrames < 10000);
    ASSERT_FALSE(rig.mainCamera.inFlight);
    ASSERT_GT(flightFrames, 1);
    EXPECT_TRUE(horse.revealRunning);
    EXPECT_EQ(FirstShownRow(), -1) << "the first revealed rows lie in the margin";

    Frame(70);
    EXPECT_EQ(FirstShownRow(), -1) << "0.070 s";
    Frame(10);
    EXPECT_EQ(FirstShownRow(), 15) << "0.080 s: the picture's top edge";
    EXPECT_EQ(LastShownRow(), 15);

    Frame(1420);
    EXPECT_EQ(FirstShownRow(), 15) << "1.5 s";
    EXPECT_NEAR(LastShownRow(), 299, 1) << "1.5 s: the upper half of the window";

    Frame(1500);
    Frame(100);
    EXPECT_FALSE(horse.revealRunning);
    EXPECT_EQ(FirstShownRow(), 15) << "3.1 s";
    EXPECT_EQ(LastShownRow(), 584);
    EXPECT_FALSE(Shows(0, 300)) << "column 0 is never drawn";
    EXPECT_TRUE(Shows(1, 300));
    EXPECT_TRUE(Shows(799, 300));
    const Rgb pixel = PixelFromTop(gl, 400, 300);
    EXPECT_NEAR(pixel[1], Blend(255, 0.9f), 2) << "alpha 0.9";
}

TEST_F(ExhibitDrawTest, ALaterFlightHidesThePictureAndBringsItBackWhole) {
    ParthenonScene parthenon{registry};
    registry.pictures.scrollTextureParthenon = SolidTexture(255, 255, 255);
    ASSERT_TRUE(registry.Start("Parthenon"));
    for (int frames = 0; frames < 10000 && (frames == 0 || rig.mainCamera.inFlight); ++frames) {
        Frame(16);
    }
    ASSERT_FALSE(rig.mainCamera.inFlight);
    Frame(3500); // the unrolling is over

    rig.mainCamera.SetTarget(&rig.waypointBooth);
    rig.mainCamera.SetMode(FlyTo);
    Frame(16);
    ASSERT_TRUE(rig.mainCamera.inFlight);
    EXPECT_EQ(FirstShownRow(), -1);
    for (int frames = 0; frames < 10000 && rig.mainCamera.inFlight; ++frames) {
        Frame(16);
    }
    EXPECT_EQ(FirstShownRow(), 15);
    EXPECT_EQ(LastShownRow(), 584) << "no second unrolling";
}
