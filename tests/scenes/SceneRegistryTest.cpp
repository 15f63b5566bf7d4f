#include "scenes/Scene.h"

#include "LoggingScene.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using scenes_test::LoggingScene;

namespace {

class SceneRegistryTest : public testing::Test {
protected:
    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    testing_support::FakeClock fakeClock;
    SceneRegistry registry;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(SceneRegistryTest, FindsByAnyCaseAndNumbersRepeatedNames) {
    LoggingScene horse(registry, "Horse", log);
    LoggingScene second(registry, "HORSE", log);
    LoggingScene third(registry, "horse", log);
    EXPECT_EQ(horse.name, "horse");
    EXPECT_EQ(second.name, "horse1");
    EXPECT_EQ(third.name, "horse2");
    for (const char* asked : {"Horse", "HORSE", "horse", "hOrSe"}) {
        EXPECT_EQ(registry.Find(asked), &horse) << asked;
    }
    EXPECT_EQ(registry.Find("Horse1"), &second);
    EXPECT_EQ(registry.Find("Cubes"), nullptr);
    EXPECT_FALSE(registry.Start("Cubes"));
    EXPECT_FALSE(registry.Stop("Cubes"));
}

TEST_F(SceneRegistryTest, KeysFoldOnlyAsciiLettersAndSortBytewise) {
    LoggingScene accented(registry, "\xC3\x89tude", log); // a UTF-8 capital stays as it is
    LoggingScene zulu(registry, "Zulu", log);
    LoggingScene alpha(registry, "alpha", log);
    LoggingScene digits(registry, "9lives", log);
    std::vector<std::string> keys;
    for (const auto& entry : registry.Entries()) {
        keys.push_back(entry.first);
    }
    // Bytes compare unsigned: 0xC3 sorts after every ASCII letter.
    EXPECT_EQ(keys, (std::vector<std::string>{"9lives", "alpha", "zulu", "\xC3\x89tude"}));
    EXPECT_EQ(registry.Find("\xC3\x89TUDE"), &accented);
}

TEST_F(SceneRegistryTest, DestroyedSceneLeavesTheRegistry) {
    {
        LoggingScene brief(registry, "Brief", log);
        ASSERT_EQ(registry.Find("brief"), &brief);
    }
    EXPECT_EQ(registry.Find("brief"), nullptr);
}

TEST_F(SceneRegistryTest, StartAndStopAreRefusedInTheWrongStates) {
    LoggingScene scene(registry, "Horse", log);
    scene.clearsLeaving = false;

    EXPECT_FALSE(registry.Stop("horse")) << "idle";
    fakeClock.AdvanceSeconds(3);
    EXPECT_TRUE(registry.Start("horse"));
    EXPECT_EQ(TakeLog(), (Log{"horse enter", "horse update"}));
    EXPECT_TRUE(scene.active);
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 0.0);

    fakeClock.AdvanceSeconds(2);
    EXPECT_FALSE(registry.Start("Horse")) << "running";
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 2.0) << "a refused start does not restart the clock";

    EXPECT_TRUE(registry.Stop("Horse"));
    EXPECT_EQ(TakeLog(), (Log{"horse leave"}));
    EXPECT_FALSE(scene.active);
    EXPECT_TRUE(scene.leaving);
    EXPECT_FALSE(registry.Start("Horse")) << "leaving";
    EXPECT_FALSE(registry.Stop("Horse")) << "leaving";
    EXPECT_TRUE(TakeLog().empty());

    EXPECT_TRUE(scene.EndLeaving());
    EXPECT_FALSE(scene.leaving);
    EXPECT_FALSE(scene.EndLeaving());
    EXPECT_TRUE(registry.Start("Horse"));
}

TEST_F(SceneRegistryTest, StoppedSceneStartsAgainInTheSameFrame) {
    LoggingScene scene(registry, "Mountain", log);
    ASSERT_TRUE(registry.Start("Mountain"));
    fakeClock.AdvanceSeconds(7);
    ASSERT_TRUE(registry.Stop("Mountain"));
    EXPECT_TRUE(registry.Start("Mountain"));
    EXPECT_EQ(TakeLog(), (Log{"mountain enter", "mountain update", "mountain leave", "mountain enter",
                              "mountain update"}));
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 0.0);
}

TEST_F(SceneRegistryTest, StepRunsFinishesAndStartsByItself) {
    LoggingScene scene(registry, "Parthenon", log);
    scene.Step();
    EXPECT_TRUE(TakeLog().empty()) << "idle and not asking to start";

    scene.Pause();
    scene.wantsToStart = true;
    scene.Step();
    EXPECT_TRUE(TakeLog().empty()) << "held";
    scene.Resume();

    fakeClock.AdvanceSeconds(4);
    scene.Step();
    EXPECT_EQ(TakeLog(), (Log{"parthenon enter", "parthenon update"}));
    EXPECT_TRUE(scene.active);
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 0.0);

    scene.Step();
    EXPECT_EQ(TakeLog(), (Log{"parthenon update"}));

    scene.finished = true;
    scene.clearsLeaving = false;
    scene.Step();
    EXPECT_EQ(TakeLog(), (Log{"parthenon leave"}));
    EXPECT_FALSE(scene.active);
    EXPECT_TRUE(scene.leaving);
    scene.Step();
    EXPECT_TRUE(TakeLog().empty()) << "leaving scenes do not step";
}

TEST_F(SceneRegistryTest, HeldScenesStandStillUntilReleased) {
    LoggingScene idle(registry, "Idle", log);
    LoggingScene running(registry, "Running", log);
    ASSERT_TRUE(registry.Start("Running"));
    TakeLog();

    idle.Pause();
    running.Pause();
    fakeClock.AdvanceSeconds(10);
    registry.StepAll();
    registry.DrawAll(View{});
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_DOUBLE_EQ(running.clock.Elapsed(), 0.0) << "paused time is not counted";
    EXPECT_FALSE(registry.Start("Running")) << "held but running";

    EXPECT_TRUE(registry.Start("Idle")) << "a start releases a held idle scene";
    EXPECT_FALSE(idle.paused);

    running.Resume();
    fakeClock.AdvanceSeconds(1);
    EXPECT_DOUBLE_EQ(running.clock.Elapsed(), 1.0);
}

TEST_F(SceneRegistryTest, OnlyVisibleScenesStepAndDrawInNameOrder) {
    LoggingScene b(registry, "B", log);
    LoggingScene hidden(registry, "C", log, 2u);
    LoggingScene a(registry, "A", log, 3u);
    ASSERT_TRUE(registry.Start("b"));
    ASSERT_TRUE(registry.Start("a"));
    EXPECT_TRUE(registry.Start("c")) << "start still acts on a hidden scene";
    TakeLog();

    registry.StepAll();
    registry.DrawAll(View{});
    EXPECT_EQ(TakeLog(), (Log{"a update", "b update", "a draw", "b draw"}));

    EXPECT_TRUE(registry.Stop("c"));
    EXPECT_EQ(TakeLog(), (Log{"c leave"}));
}

TEST_F(SceneRegistryTest, DrawsOnlyWhileRunningAndNotHeld) {
    LoggingScene scene(registry, "Horse", log);
    scene.DrawIfActive(View{});
    ASSERT_TRUE(registry.Start("Horse"));
    TakeLog();
    scene.DrawIfActive(View{});
    EXPECT_EQ(TakeLog(), (Log{"horse draw"}));
    scene.Pause();
    scene.DrawIfActive(View{});
    EXPECT_TRUE(TakeLog().empty());
    scene.Resume();
    scene.leaving = true;
    scene.DrawIfActive(View{});
    EXPECT_TRUE(TakeLog().empty());
}
