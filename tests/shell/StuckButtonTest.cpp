// A button line that reads as held for a minute and more, as a shorted button does, or an emulated
// port with nothing attached: the whole show over its frames, with the real scenes and their time-outs,
// the visit records and the service manager's status line.
#include "PresentationFixture.h"

#include "input/InputAggregation.h"
#include "platform/InputLayer.h"
#include "scenes/Scene.h"
#include "shell/ServiceStatus.h"
#include "shell/UpdateFrame.h"
#include "stats/VisitRecording.h"
#include "stats/VisitSummary.h"
#include "support/FakeInputBackend.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int64_t kEpochMs = 1781078400000; // 2026-06-10 08:00 UTC
constexpr uint32_t kFrameMs = 100;

// Status register values.
constexpr uint8_t kNoButton = 0x7F;
constexpr uint8_t kButton2 = 0xFF;
constexpr uint8_t kButtons2And3 = 0xDF;

class StuckButtonTest : public StartedPresentationFixture {
protected:
    StuckButtonTest() { clock.StartUtcAt(kEpochMs); }

    // One string written over frame after frame, as the message loop keeps it.
    const std::string& StatusOf(const ButtonPanel& panel) {
        ShowStatus(show.scenes, panel, &status);
        return status;
    }

    std::string status;

    void SetUp() override {
        StartedPresentationFixture::SetUp();
        show.scenes.visits.Start(workDir.Path() + "/visits.sqlite");
    }

    void TearDown() override {
        show.scenes.visits.Stop();
        PresentationFixture::TearDown();
    }

    // Frames of the show, each read at the clock's time before it moves on.
    void RunFrames(int count) {
        for (int i = 0; i < count; ++i) {
            UpdateFrame(show, kFrameMs);
            clock.AdvanceMs(kFrameMs);
        }
    }
    void RunSeconds(double seconds) { RunFrames(static_cast<int>(seconds * 1000.0 / kFrameMs + 0.5)); }

    bool Running(const char* name) const {
        const Scene* scene = show.scenes.Find(name);
        return scene != nullptr && scene->active;
    }

    // "scene cause" of every scene start recorded, oldest first.
    std::vector<std::string> RecordedStarts(const std::string& path) {
        show.scenes.visits.Flush();
        std::ostringstream csv;
        std::ostringstream err;
        EXPECT_EQ(stats::PrintVisitSummary({{{"", path}}, "", "", true}, csv, err), 0) << err.str();
        std::istringstream lines(csv.str());
        std::string line;
        std::getline(lines, line); // the header
        std::vector<std::string> starts;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string time, scene, cause, whileRunning;
            std::getline(fields, time, ',');
            std::getline(fields, scene, ',');
            std::getline(fields, cause, ',');
            std::getline(fields, whileRunning, ',');
            starts.push_back(scene + " " + cause + (whileRunning == "1" ? " while running" : ""));
        }
        return starts;
    }

    testing_support::FakeInputBackend noInputDevices{platform::InputResult::DeviceNotRegistered};
};

using Starts = std::vector<std::string>;

TEST_F(StuckButtonTest, AButtonHeldAMinuteIsIgnoredUntilReleasedAndShorterHoldsWorkAsBefore) {
    const std::string path = workDir.Path() + "/visits.sqlite";
    ASSERT_EQ(StatusOf(buttons), "Showing mainscreen");

    testing::internal::CaptureStderr();
    port.status = kButton2;
    RunSeconds(34.0);
    EXPECT_TRUE(Running("Mountain"));
    // Past the exhibit's time-out the button, held under a minute, is a visitor still pressing.
    RunSeconds(26.0);
    EXPECT_TRUE(Running("Mountain"));
    EXPECT_FALSE(buttons.Stuck(2));
    EXPECT_EQ(StatusOf(buttons), "Showing mountain");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(RecordedStarts(path), (Starts{"Mountain button2", "MainScreen timeout", "Mountain button2"}))
        << "a held button starts its scene once, and again after the scene's time-out";

    testing::internal::CaptureStderr();
    RunFrames(1); // the read at one minute
    EXPECT_TRUE(buttons.Stuck(2));
    EXPECT_EQ(StatusOf(buttons), "Showing mountain; button 2 stuck");
    // The restarted exhibit times out at about 70 s; the stuck button must not start it again.
    RunSeconds(60.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "standview: button 2 held for 60 s without a break; ignored as stuck until it is released\n");
    EXPECT_TRUE(Running("MainScreen"));
    EXPECT_FALSE(Running("Mountain"));
    EXPECT_EQ(StatusOf(buttons), "Showing mainscreen; button 2 stuck");

    // A stuck button 2 no longer hides button 3 from the panel.
    port.status = kButtons2And3;
    RunSeconds(1.0);
    port.status = kButton2;
    RunFrames(1);
    EXPECT_TRUE(Running("Horse"));
    EXPECT_EQ(StatusOf(buttons), "Showing horse; button 2 stuck");

    port.status = kNoButton;
    RunFrames(1);
    EXPECT_FALSE(buttons.Stuck(2));
    EXPECT_EQ(StatusOf(buttons), "Showing horse");
    port.status = kButton2;
    RunSeconds(1.0);
    port.status = kNoButton;
    RunFrames(1);
    EXPECT_TRUE(Running("Mountain")) << "once released, the button is a visitor's again";

    EXPECT_EQ(RecordedStarts(path), (Starts{"Mountain button2", "MainScreen timeout", "Mountain button2",
                                            "MainScreen timeout", "Horse button3", "Mountain button2"}));
}

} // namespace
