// What full-screen toggles cost the process: the whole program in one process on SDL's offscreen
// driver with the bundled data, toggled fifty times, counting open files and resident memory.
#include "PresentationFixture.h"

#include "media/Sound.h"
#include "platform/MessageBox.h"
#include "scenes/Scene.h"
#include "shell/AppMain.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kToggles = 50;
// Frames each window draws before the next toggle: enough for the start screen to run.
constexpr int kFramesPerWindow = 3;
// Resident memory the last window may hold beyond the second: the allocator's and the GL driver's
// caches (the software rasterizer keeps compiled shaders) grow by some 10 MB over the first twenty
// toggles and then stay, while a toggle that kept its movies would add some 4 MB each time.
constexpr long kResidentSlackKb = 16 * 1024;
// Over the second half of the toggles, once those caches are full, memory stays within noise.
constexpr long kSecondHalfSlackKb = 4 * 1024;

struct Usage {
    int openFiles = 0;
    long residentKb = 0;
};

Usage Measure() {
    Usage usage;
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(fds)) {
            usage.openFiles += entry->d_name[0] != '.' ? 1 : 0;
        }
        closedir(fds);
        --usage.openFiles; // the listing's own descriptor
    }
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    usage.residentKb = resident * (sysconf(_SC_PAGESIZE) / 1024);
    return usage;
}

class ToggleCostTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.InstallRunningDriver();
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::filesystem::create_directory_symlink(std::filesystem::path(STANDVIEW_SOURCE_DIR) / "Data",
                                                  std::filesystem::path(workDir.Path()) / "Data");
        platform::SetMessageBoxHook([this](const char* text, const char*, platform::MessageBoxStyle style) {
            boxes.emplace_back(text);
            return style == platform::MessageBoxStyle::QuestionYesNo ? platform::MessageBoxAnswer::No
                                                                     : platform::MessageBoxAnswer::Ok;
        });
    }
    void TearDown() override { platform::SetMessageBoxHook(nullptr); }

    testing_support::FakeClock clock;
    testing_support::TempDir workDir{true};
    testing_support::FakeQelIoSystem driver;
    testing_support::FakeParallelPort port{driver};
    std::vector<std::string> boxes;
};

TEST_F(ToggleCostTest, FiftyTogglesHoldNoMoreFilesAndLittleMoreMemoryThanTheFirst) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "under the address sanitizer freed memory waits in quarantine, so resident memory says "
                    "nothing; the soak's day toggles the window under the sanitizers";
#elif defined(__SANITIZE_THREAD__)
    GTEST_SKIP()
        << "under the thread sanitizer resident memory grows with its shadow of every page touched, so "
           "it says nothing; the soak's day toggles the window under the sanitizers";
#endif
    AppWindow* window = nullptr;
    int windows = 0;
    int frames = 0;
    bool startScreenEachTime = true;
    std::vector<Usage> usage; // after each window's frames
    Presentation show;
    FrameCallbacks callbacks;
    callbacks.startUp = [&](AppWindow* appWindow, KeyTable* keys, std::string* whyNot) {
        window = appWindow;
        frames = 0;
        ++windows;
        return StartUp(show, appWindow, keys, whyNot);
    };
    callbacks.updateFrame = [&](uint32_t elapsedMs) { UpdateFrame(show, elapsedMs); };
    callbacks.drawFrame = [&] {
        DrawFrame(show);
        clock.AdvanceMs(40);
        if (++frames < kFramesPerWindow) {
            return;
        }
        const Scene* screen = show.scenes.Find("MainScreen");
        startScreenEachTime = startScreenEachTime && screen != nullptr && screen->active;
        usage.push_back(Measure());
        if (windows <= kToggles) {
            RequestToggleFullScreen(window);
        } else {
            RequestQuit(window);
        }
    };
    callbacks.shutDown = [&] { ShutDown(show); };

    ASSERT_EQ(AppMain(platform::ProgramInstance(), callbacks), 0);
    ASSERT_EQ(windows, kToggles + 1);
    ASSERT_EQ(usage.size(), static_cast<size_t>(kToggles + 1));
    for (const std::string& box : boxes) {
        EXPECT_EQ(box.find("AVI"), std::string::npos) << "every movie opened each time: " << box;
    }
    EXPECT_TRUE(startScreenEachTime) << "each new window shows the start screen";

    const Usage& first = usage[0];
    const Usage& afterFirstToggle = usage[1];
    const Usage& last = usage.back();
    std::printf("toggles: first window %d files, %ld kB; after the first toggle %d files, %ld kB; after %d "
                "toggles %d files, %ld kB\n",
                first.openFiles, first.residentKb, afterFirstToggle.openFiles, afterFirstToggle.residentKb,
                kToggles, last.openFiles, last.residentKb);
    EXPECT_LE(last.openFiles, afterFirstToggle.openFiles);
    EXPECT_LE(last.residentKb, afterFirstToggle.residentKb + kResidentSlackKb);
    EXPECT_LE(last.residentKb, usage[kToggles / 2].residentKb + kSecondHalfSlackKb);
}

} // namespace
