#include "shell/AppMain.h"

#include "platform/GlGeneration.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessages.h"
#include "support/FakeClock.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Frames and windows after which a run that should have ended is stopped, so a fault fails instead of
// hanging.
constexpr size_t kFrameLimit = 500;
constexpr size_t kWindowLimit = 10;

class AppMainTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef _WIN32
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
        platform::SetMessageBoxHook([this](const char* text, const char*, platform::MessageBoxStyle style) {
            boxes.push_back(text);
            if (style == platform::MessageBoxStyle::QuestionYesNo) {
                return answer;
            }
            return platform::MessageBoxAnswer::Ok;
        });
    }
    void TearDown() override {
        platform::SetMessageBoxHook(nullptr);
        platform::SetWaitMessageHookForTests(nullptr);
#ifdef _WIN32
        // A run whose start-up fails leaves its WM_QUIT unread. Wine keeps a WM_QUIT posted to a window as
        // the thread's own quit message, which outlives the window and ends the next run's first message
        // loop at once, so the thread's queue is emptied between runs.
        platform::Message message;
        while (platform::PollMessage(&message, nullptr)) {
        }
#endif
    }

    int Run(const CommandLine& options = {}) {
        FrameCallbacks callbacks;
        callbacks.startUp = [this](AppWindow* appWindow, KeyTable* keys, std::string* whyNot) {
            calls.push_back("StartUp");
            window = appWindow;
            keyTable = keys;
            generations.push_back(platform::GlContextGeneration());
            if (generations.size() > kWindowLimit) {
                ADD_FAILURE() << "the run did not end";
                appWindow->keepRunning = false;
                return false;
            }
            const bool started = onStartUp ? onStartUp() : true;
            if (!started) {
                *whyNot = startUpProblem;
            }
            return started;
        };
        callbacks.updateFrame = [this](uint32_t ms) {
            calls.push_back("Update");
            frameMs.push_back(ms);
            if (frameMs.size() > kFrameLimit) {
                ADD_FAILURE() << "the loop did not end";
                RequestQuit(window);
            } else if (onFrame) {
                onFrame(static_cast<int>(frameMs.size()));
            }
        };
        callbacks.drawFrame = [this] { calls.push_back("Draw"); };
        callbacks.shutDown = [this] {
            calls.push_back("ShutDown");
            keptRunning = window->keepRunning;
            wantedFullScreen = window->wantFullScreen;
        };
        return AppMain(platform::ProgramInstance(), callbacks, options);
    }

    platform::MessageBoxAnswer answer = platform::MessageBoxAnswer::No;
    std::vector<std::string> boxes;
    std::vector<std::string> calls;
    std::vector<uint32_t> frameMs;
    std::vector<uint32_t> generations;
    std::function<bool()> onStartUp;
    std::string startUpProblem;
    std::function<void(int frame)> onFrame;
    AppWindow* window = nullptr;
    KeyTable* keyTable = nullptr;
    // What the window wanted when it was last shut down.
    bool keptRunning = true;
    bool wantedFullScreen = false;
};

using Calls = std::vector<std::string>;

TEST_F(AppMainTest, StartUpFailureEndsTheRunWithoutFrames) {
    onStartUp = [] { return false; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(calls, (Calls{"StartUp", "ShutDown"}));
    EXPECT_EQ(boxes, (std::vector<std::string>{"Would You Like To Run In Fullscreen Mode?"}));
    EXPECT_FALSE(keptRunning);
}

// In a kiosk the log is all there is: the line says why, also when the start-up after a toggle fails.
TEST_F(AppMainTest, AKioskRunWhoseStartUpFailsSaysWhyAndEndsWithOne) {
    testing_support::FakeClock clock;
    int startUps = 0;
    onStartUp = [&startUps] { return ++startUps == 1; };
    startUpProblem = "Data/shader.txt: cannot open: No such file or directory";
    onFrame = [this](int) { RequestToggleFullScreen(window); };
    CommandLine kiosk;
    kiosk.kiosk = true;
    kiosk.startAnswer = StartAnswer::Windowed;
    testing::internal::CaptureStderr();
    const int exitCode = Run(kiosk);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(startUps, 2);
    EXPECT_NE(
        log.find("standview: start-up failed; the show cannot run: Data/shader.txt: cannot open: No such "
                 "file or directory\n"),
        std::string::npos)
        << log;
}

TEST_F(AppMainTest, FirstWindowMatchesTheQuestionsAnswer) {
    testing_support::FakeClock clock;
    onFrame = [this](int) {
        EXPECT_FALSE(window->fullScreen);
        EXPECT_EQ(window->width, 800);
        EXPECT_EQ(window->height, 600);
        EXPECT_EQ(window->bitsPerPixel, 32);
        EXPECT_STREQ(window->title, "Orvik Standview 2003");
        EXPECT_STREQ(window->appClass->className, "OpenGL");
        EXPECT_EQ(window->appClass->instance, platform::ProgramInstance());
        RequestQuit(window);
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(calls, (Calls{"StartUp", "Update", "Draw", "ShutDown"}));
}

TEST_F(AppMainTest, FirstFrameGetsStartUpsTimeAndLaterFramesAreNeverShorterThanARefresh) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine on Xvfb takes swap interval 1 without a display to wait for, so the loop does not "
                    "pace itself and the fake clock sees frames of 0 ms";
#endif
    testing_support::FakeClock clock;
    onStartUp = [&] {
        clock.AdvanceMs(250);
        return true;
    };
    onFrame = [&](int frame) {
        if (frame == 3) {
            clock.AdvanceMs(40); // a slow frame
        }
        if (frame == 5) {
            RequestQuit(window);
        }
    };
    EXPECT_EQ(Run(), 0);
    // The offscreen window's swap does not wait for a display, so the loop paces itself at 60 Hz.
    EXPECT_EQ(frameMs, (std::vector<uint32_t>{250, 17, 17, 40, 17}));
}

TEST_F(AppMainTest, ElapsedTimeIsRightAcrossTheTickWrap) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine on Xvfb takes swap interval 1 without a display to wait for, so the loop does not "
                    "pace itself and the fake clock sees frames of 0 ms";
#endif
    testing_support::FakeClock clock(0xFFFFFFFFu - 10);
    onStartUp = [&] {
        clock.AdvanceMs(25);
        return true;
    };
    onFrame = [this](int frame) {
        if (frame == 2) {
            RequestQuit(window);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(frameMs, (std::vector<uint32_t>{25, 17}));
}

TEST_F(AppMainTest, NoFramesWhileMinimisedAndTheFirstAfterwardsGetsTheWholeTime) {
    testing_support::FakeClock clock;
    int waits = 0;
    platform::SetWaitMessageHookForTests([&] {
        ++waits;
        EXPECT_EQ(frameMs.size(), 1u) << "no frame while minimised";
        if (waits == 3) {
            clock.AdvanceMs(5000);
            platform::QueueMessage(window->window, platform::WM_SIZE, platform::SIZE_RESTORED,
                                   platform::MakeLParam(800, 600));
        }
    });
    onFrame = [&](int frame) {
        if (frame == 1) {
            platform::QueueMessage(window->window, platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
        } else {
            RequestQuit(window);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(waits, 3);
    ASSERT_EQ(frameMs.size(), 2u);
    EXPECT_EQ(frameMs[1], 5000u);
}

TEST_F(AppMainTest, CloseEndsTheRun) {
    testing_support::FakeClock clock;
    onFrame = [this](int) { platform::QueueMessage(window->window, platform::WM_CLOSE, 0, 0); };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(calls, (Calls{"StartUp", "Update", "Draw", "ShutDown"}));
}

TEST_F(AppMainTest, ToggleRebuildsTheWindowInTheOtherModeAndStartsAgain) {
    testing_support::FakeClock clock;
    onFrame = [this](int frame) {
        if (frame == 1) {
            platform::QueueMessage(window->window, platform::WM_KEYDOWN, 0x70, 0);
            RequestToggleFullScreen(window);
        } else {
            EXPECT_EQ((*keyTable)[0x70], 0) << "keys held across the toggle read as up";
            EXPECT_FALSE(window->fullScreen);
            RequestQuit(window);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(calls,
              (Calls{"StartUp", "Update", "Draw", "ShutDown", "StartUp", "Update", "Draw", "ShutDown"}));
    ASSERT_EQ(generations.size(), 2u);
    EXPECT_GT(generations[1], generations[0]) << "the second start-up runs on a new context";
    EXPECT_TRUE(wantedFullScreen);
    // The offscreen display has no 800 by 600 mode, so the full-screen window falls back to a window.
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "Mode Switch Failed.\nRunning In Windowed Mode.");
}

TEST_F(AppMainTest, AnsweringYesAsksForFullScreen) {
    testing_support::FakeClock clock;
    answer = platform::MessageBoxAnswer::Yes;
    onFrame = [this](int) { RequestQuit(window); };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(wantedFullScreen);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "Mode Switch Failed.\nRunning In Windowed Mode.");
}

TEST_F(AppMainTest, ClassRegistrationFailureEndsWithMinusOne) {
    ASSERT_TRUE(platform::RegisterWindowClass({"OpenGL", AppWindowProc, platform::ProgramInstance()}));
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(boxes,
              (std::vector<std::string>{"Would You Like To Run In Fullscreen Mode?",
                                        "RegisterClassEx Failed!", "Error Registering Window Class!"}));
    EXPECT_TRUE(platform::UnregisterWindowClass("OpenGL", platform::ProgramInstance()));
}

} // namespace
