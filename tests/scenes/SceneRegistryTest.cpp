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
    void SetUp() override { ResetSceneRegistryForTests(); }
    void TearDown() override { ResetSceneRegistryForTests(); }

    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    testing_support::FakeClock fakeClock;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(SceneRegistryTest, FindsByAnyCaseAndNumbersRepeatedNames) {
    LoggingScene horse("Horse", log);
    LoggingScene second("HORSE", log);
    LoggingScene third("horse", log);
    EXPECT_EQ(horse.name, "horse");
    EXPECT_EQ(second.name, "horse1");
    EXPECT_EQ(third.name, "horse2");
    for (const char* asked : {"Horse", "HORSE", "horse", "hOrSe"}) {
        EXPECT_EQ(FindScene(asked), &horse) << asked;
    }
    EXPECT_EQ(FindScene("Horse1"), &second);
    EXPECT_EQ(FindScene("Cubes"), nullptr);
    EXPECT_FALSE(StartScene("Cubes"));
    EXPECT_FALSE(StopScene("Cubes"));
}

TEST_F(SceneRegistryTest, KeysFoldOnlyAsciiLettersAndSortBytewise) {
    LoggingScene accented("\xC3\x89tude", log); // a UTF-8 capital stays as it is
    LoggingScene zulu("Zulu", log);
    LoggingScene alpha("alpha", log);
    LoggingScene digits("9lives", log);
    std::vector<std::string> keys;
    for (const auto& entry : sceneRegistry) {
        keys.push_back(entry.first);
    }
    // Bytes compare unsigned: 0xC3 sorts after every ASCII letter.
    EXPECT_EQ(keys, (std::vector<std::string>{"9lives", "alpha", "zulu", "\xC3\x89tude"}));
    EXPECT_EQ(FindScene("\xC3\x89TUDE"), &accented);
}

TEST_F(SceneRegistryTest, DestroyedSceneLeavesTheRegistry) {
    {
        LoggingScene brief("Brief", log);
        ASSERT_EQ(FindScene("brief"), &brief);
    }
    EXPECT_EQ(FindScene("brief"), nullptr);
}

TEST_F(SceneRegistryTest, StartAndStopAreRefusedInTheWrongStates) {
    LoggingScene scene("Horse", log);
    scene.clearsLeaving = false;

    EXPECT_FALSE(StopScene("horse")) << "idle";
    fakeClock.AdvanceSeconds(3);
    EXPECT_TRUE(StartScene("horse"));
    EXPECT_EQ(TakeLog(), (Log{"horse enter", "horse update"}));
    EXPECT_TRUE(scene.active);
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 0.0);

    fakeClock.AdvanceSeconds(2);
    EXPECT_FALSE(StartScene("Horse")) << "running";
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 2.0) << "a refused start does not restart the clock";

    EXPECT_TRUE(StopScene("Horse"));
    EXPECT_EQ(TakeLog(), (Log{"horse leave"}));
    EXPECT_FALSE(scene.active);
    EXPECT_TRUE(scene.leaving);
    EXPECT_FALSE(StartScene("Horse")) << "leaving";
    EXPECT_FALSE(StopScene("Horse")) << "leaving";
    EXPECT_TRUE(TakeLog().empty());

    EXPECT_TRUE(scene.EndLeaving());
    EXPECT_FALSE(scene.leaving);
    EXPECT_FALSE(scene.EndLeaving());
    EXPECT_TRUE(StartScene("Horse"));
}

TEST_F(SceneRegistryTest, StoppedSceneStartsAgainInTheSameFrame) {
    LoggingScene scene("Mountain", log);
    ASSERT_TRUE(StartScene("Mountain"));
    fakeClock.AdvanceSeconds(7);
    ASSERT_TRUE(StopScene("Mountain"));
    EXPECT_TRUE(StartScene("Mountain"));
    EXPECT_EQ(TakeLog(), (Log{"mountain enter", "mountain update", "mountain leave", "mountain enter",
                              "mountain update"}));
    EXPECT_DOUBLE_EQ(scene.clock.Elapsed(), 0.0);
}

TEST_F(SceneRegistryTest, StepRunsFinishesAndStartsByItself) {
    LoggingScene scene("Parthenon", log);
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
    LoggingScene idle("Idle", log);
    LoggingScene running("Running", log);
    ASSERT_TRUE(StartScene("Running"));
    TakeLog();

    idle.Pause();
    running.Pause();
    fakeClock.AdvanceSeconds(10);
    StepScenes();
    DrawScenes();
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_DOUBLE_EQ(running.clock.Elapsed(), 0.0) << "paused time is not counted";
    EXPECT_FALSE(StartScene("Running")) << "held but running";

    EXPECT_TRUE(StartScene("Idle")) << "a start releases a held idle scene";
    EXPECT_FALSE(idle.paused);

    running.Resume();
    fakeClock.AdvanceSeconds(1);
    EXPECT_DOUBLE_EQ(running.clock.Elapsed(), 1.0);
}

TEST_F(SceneRegistryTest, OnlyVisibleScenesStepAndDrawInNameOrder) {
    LoggingScene b("B", log);
    LoggingScene hidden("C", log, 2u);
    LoggingScene a("A", log, 3u);
    ASSERT_TRUE(StartScene("b"));
    ASSERT_TRUE(StartScene("a"));
    EXPECT_TRUE(StartScene("c")) << "start still acts on a hidden scene";
    TakeLog();

    StepScenes();
    DrawScenes();
    EXPECT_EQ(TakeLog(), (Log{"a update", "b update", "a draw", "b draw"}));

    EXPECT_TRUE(StopScene("c"));
    EXPECT_EQ(TakeLog(), (Log{"c leave"}));
}

TEST_F(SceneRegistryTest, DrawsOnlyWhileRunningAndNotHeld) {
    LoggingScene scene("Horse", log);
    scene.DrawIfActive();
    ASSERT_TRUE(StartScene("Horse"));
    TakeLog();
    scene.DrawIfActive();
    EXPECT_EQ(TakeLog(), (Log{"horse draw"}));
    scene.Pause();
    scene.DrawIfActive();
    EXPECT_TRUE(TakeLog().empty());
    scene.Resume();
    scene.leaving = true;
    scene.DrawIfActive();
    EXPECT_TRUE(TakeLog().empty());
}
