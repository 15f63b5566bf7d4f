// A whole presentation in one process for start-up and frame tests: an 800 by 600 offscreen context, the
// bundled data (or none), a fake clock, a port whose driver runs and grants sessions, message boxes
// answered and logged, and everything start-up creates disposed of afterwards.
#pragma once

#include "input/ButtonPanel.h"
#include "platform/OffscreenContext.h"
#include "shell/AppWindow.h"
#include "shell/Presentation.h"
#include "support/FakeClock.h"
#include "support/FakeParallelPort.h"
#include "qelio/tests/FakeQelIoSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FMODSound;

class PresentationFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    void SetUp() override;
    void TearDown() override;

    // Links the bundled data folder into the working directory, as the program finds it beside itself.
    void UseBundledData() const;
    // StartUp on the fixture's window and key table; the music player it makes is disposed of later.
    bool RunStartUp();
    // RGB of one pixel of the back buffer, x from the left, y from the bottom.
    std::vector<int> Pixel(int x, int y) const;
    // A new current context, as a new window brings, sized by ReshapeView; it outlives the test's
    // disposal of what start-up made.
    bool SwitchToNewContext();
    // Hand steering, standing at the node's pose and looking as it looks.
    void PlaceCamera(const SceneNode& pose);

    testing_support::FakeClock clock;
    Presentation show;
    // The show's camera and waypoints.
    CameraRig& rig = show.scenes.rig;
    testing_support::TempDir workDir{true};
    testing_support::FakeQelIoSystem driver;
    testing_support::FakeParallelPort port{driver};
    platform::OffscreenContext gl{kWidth, kHeight};
    std::unique_ptr<platform::OffscreenContext> laterContext;
    KeyTable keys{};
    ButtonPanel buttons;
    AppWindow window{};
    std::vector<std::string> messageBoxes;
};

// The presentation started on the bundled data.
class StartedPresentationFixture : public PresentationFixture {
protected:
    void SetUp() override;
};

// Channel distance for flat colours read back from the frame.
constexpr int kColourTolerance = 2;
