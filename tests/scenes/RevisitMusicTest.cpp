// What a visitor hears when coming back to an exhibit: the real scenes and music player on the real
// mixer, whose output SDL's disk audio driver writes to a file.
#include "MediaFakes.h"
#include "camera/CameraRig.h"
#include "camera/Waypoints.h"
#include "media/Sound.h"
#include "media/VideoClip.h"
#include "platform/OffscreenContext.h"
#include "scenes/CubesScene.h"
#include "scenes/ExhibitScene.h"
#include "scenes/MainScreenScene.h"
#include "scenes/PictureTextures.h"
#include "support/DiskAudio.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::DiskAudio;

// Long enough for several mixing passes on a loaded machine, short enough to keep the test quick.
constexpr double kListenSeconds = 1.0;
// What the mixer had mixed before a scene changed may still be written this much later in the output.
constexpr double kMixLatencySeconds = 0.2;

class RevisitMusicTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        AssignWaypointPoses(rig);
        rig.mainCamera.SetTarget(&rig.waypointBooth);
        rig.mainCamera.inFlight = false;
        dir.Write("Data/music/horse.mp3", "");
        ASSERT_TRUE(DiskAudio::MakeTones("-f lavfi -i sine=frequency=440:duration=3", "",
                                         dir.Path() + "/Data/music/horse.mp3"));
        std::filesystem::copy_file(dir.Path() + "/Data/music/horse.mp3",
                                   dir.Path() + "/Data/music/olympus.mp3");
    }
    void TearDown() override {}

    // Loud samples from a moment after the mark to the end of a further stretch of output. The mark
    // must be taken after the scene change: the disk driver writes many times faster than real time,
    // so a mark taken before it may lie seconds of output ahead of the change on a loaded machine.
    size_t LoudAfter(size_t mark) const {
        EXPECT_TRUE(disk.WaitForSeconds(kListenSeconds));
        const std::vector<int16_t> heard = disk.Left(mark + DiskAudio::Seconds(kMixLatencySeconds),
                                                     DiskAudio::Seconds(kListenSeconds - kMixLatencySeconds));
        return DiskAudio::LoudSamples(heard, 0, heard.size());
    }

    testing_support::FakeClock fakeClock;
    testing_support::TempDir dir{true};
    DiskAudio disk{dir.Path() + "/output.raw"};
    // After the output, so that its player closes before the output does.
    SceneRegistry registry;
    CameraRig& rig = registry.rig;
    platform::OffscreenContext gl{800, 600};
    testing_support::FakeVideoDecoder movies{scenes_test::kAnyMovie};
};

TEST_F(RevisitMusicTest, AnExhibitVisitedAgainIsHeardAgain) {
    registry.soundInstance = std::make_unique<FMODSound>();
    MainScreenScene screen{registry};
    HorseScene horse{registry};
    MountainScene mountain{registry};
    CubesScene cubes{registry};
    ASSERT_TRUE(registry.Start("MainScreen"));
    EXPECT_EQ(LoudAfter(0), 0u) << "the start screen is silent";

    struct Step {
        const char* what;
        std::function<void()> action;
        bool audible;
    };
    const std::vector<Step> steps = {
        {"horse", [this] { registry.Start("Horse"); }, true},
        {"the time-out back to the start screen",
         [this] {
             fakeClock.AdvanceSeconds(sceneTimeout + 1.0f);
             registry.StepAll();
         },
         false},
        {"horse again", [this] { registry.Start("Horse"); }, true},
        {"mountain", [this] { registry.Start("Mountain"); }, true},
        {"cubes", [this] { registry.Start("Cubes"); }, false},
        {"mountain again", [this] { registry.Start("Mountain"); }, true},
    };
    for (const Step& step : steps) {
        step.action();
        const size_t mark = disk.Mark();
        const size_t loud = LoudAfter(mark);
        if (step.audible) {
            EXPECT_GT(loud, DiskAudio::Seconds(kListenSeconds / 4)) << step.what << " is heard";
        } else {
            EXPECT_EQ(loud, 0u) << step.what << " is silent";
        }
    }
    EXPECT_TRUE(mountain.active);
    EXPECT_FALSE(horse.active);
}

} // namespace
