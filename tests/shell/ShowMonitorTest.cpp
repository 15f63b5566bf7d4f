// The show watched from afar, as a booth runs it: the whole program in one process on SDL's offscreen
// driver with a fake clock and port, one of its tracks broken, writing its metrics file and its
// snapshot. A scripted run (a key, the video stage's button pressed twice, a button held until it
// counts as stuck, frames of known lengths) and the figures it must give: the first file, written at the
// first frame, and the last, written at the end; promtool accepts both. The last snapshot decodes as a
// PNG and is the frame it was taken from, scaled down.
#include "PresentationFixture.h"

#include "media/Sound.h"
#include "monitor/Snapshot.h"
#include "platform/MessageBox.h"
#include "render/Glow.h"
#include "scenes/Scene.h"
#include "shell/AppMain.h"
#include "shell/ShowMonitor.h"
#include "shell/StartUp.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int64_t kEpochMs = 1781078400000; // 2026-06-10 08:00 UTC
constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;
constexpr int kSnapshotEverySeconds = 43;
// Two frames that differ somewhere by more than this are told apart.
constexpr int kFramesApart = 8;

// Status register values.
constexpr uint8_t kNoButton = 0x7F;
constexpr uint8_t kButton2 = 0xFF;
constexpr uint8_t kButton4 = 0x6F;

// What the test does after each frame of a step: how far the clock moves before the next frame (the loop
// makes a frame at least 17 ms), which buttons the port shows from the next frame on, and a key pressed
// after the step's last frame and let go after the next.
struct Step {
    int lastFrame; // the step covers the frames up to this one
    uint32_t advanceMs;
    uint8_t port;
    uint32_t key; // 0 for none
};
// clang-format off
constexpr Step kScript[] = {
    {1,   1000, kNoButton, 0},
    {2,   3000, kNoButton, 0},   // a slow frame follows
    {3,   30,   kNoButton, 0},   // and a quick one
    {4,   1000, kNoButton, 'L'}, // the horse by its key: its track is broken
    {8,   1000, kButton4,  0},   // the video stage by its button
    {10,  1000, kNoButton, 0},
    {12,  1000, kButton4,  0},   // pressed again while it runs: the next movie, no new start
    {54,  1000, kNoButton, 0},   // the stage's time-out
    {135, 1000, kButton2,  0},   // held for good: the mountain, its time-out, again, stuck, time-out
};
// clang-format on
constexpr int kFrames = 135;
// The loop's elapsed time for each frame: 17 ms for the first, then what the script moved the clock.
constexpr uint32_t kFirstFrameMs = 17;
// The frames whose pixels the snapshots hold: the first, then one each 43 s of frame time after it
// (frames 43, 86 and 129). The last comes as the camera flies back from the mountain, so that the frame
// before it looks different.
constexpr int kLastSnapshotFrame = 129;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each sample line, "name{labels}" -> value.
std::map<std::string, std::string> Samples(const std::string& text) {
    std::map<std::string, std::string> samples;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != '#') {
            const size_t space = line.rfind(' ');
            samples[line.substr(0, space)] = line.substr(space + 1);
        }
    }
    return samples;
}

// The scene starts listed with a count other than 0, and how many are listed in all.
std::map<std::string, std::string> Starts(std::map<std::string, std::string>& samples, size_t* listed) {
    std::map<std::string, std::string> starts;
    *listed = 0;
    for (auto sample = samples.begin(); sample != samples.end();) {
        if (sample->first.rfind("standview_scene_starts_total{", 0) != 0) {
            ++sample;
            continue;
        }
        ++*listed;
        if (sample->second != "0") {
            starts.insert(*sample);
        }
        sample = samples.erase(sample);
    }
    return starts;
}

// promtool's verdict on the file: its output, empty when it has nothing to say; "skipped: ..." when
// there is no promtool.
std::string PromtoolCheck(const std::string& path, int* status) {
    if (std::system("command -v promtool >/dev/null 2>&1") != 0) {
        return "skipped: no promtool";
    }
    const std::string command = "promtool check metrics < '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char chunk[256];
    while (pipe != nullptr && std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        output += chunk;
    }
    *status = pipe != nullptr ? pclose(pipe) : -1;
    return output;
}

// The PNG's pixels as red, green and blue, rows from the top; empty when it does not decode.
std::vector<uint8_t> DecodePng(const std::string& file, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return pixels;
}

// The largest difference of a channel between the snapshot-sized picture (RGB, rows from the top) and
// the frame (RGBA, rows from the bottom) with each 2 x 2 of it averaged.
int LargestDifference(const std::vector<uint8_t>& picture, const std::vector<uint8_t>& frame) {
    constexpr int kWidth = monitor::kSnapshotWidth;
    constexpr int kHeight = monitor::kSnapshotHeight;
    if (frame.size() != static_cast<size_t>(kFrameWidth) * kFrameHeight * 4) {
        return 256;
    }
    int largest = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const size_t frameRow = kFrameHeight - 1 - (2 * y + dy);
                        sum += frame[(frameRow * kFrameWidth + 2 * x + dx) * 4 + channel];
                    }
                }
                const int shown = picture[(static_cast<size_t>(y) * kWidth + x) * 3 + channel];
                largest = std::max(largest, std::abs(shown - (sum + 2) / 4));
            }
        }
    }
    return largest;
}

// Waits a while for a file to appear, as the writer thread makes it.
bool Appears(const std::string& path) {
    for (int tries = 0; tries < 200 && !fs::exists(path); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fs::exists(path);
}

class ShowMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.InstallRunningDriver();
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        // The bundled content, but for the horse's track, which is no MP3.
        const fs::path bundled = fs::path(STANDVIEW_SOURCE_DIR) / "Data";
        const fs::path data = fs::path(workDir.Path()) / "Data";
        fs::create_directories(data / "music");
        for (const char* entry :
             {"shader.txt", "images", "movies", "music/olympus.mp3", "music/parthenon.mp3"}) {
            fs::create_symlink(bundled / entry, data / entry);
        }
        workDir.Write("Data/music/horse.mp3", "not an MP3\n");
        platform::SetMessageBoxHook([this](const char* text, const char*, platform::MessageBoxStyle style) {
            boxes.emplace_back(text);
            return style == platform::MessageBoxStyle::QuestionYesNo ? platform::MessageBoxAnswer::No
                                                                     : platform::MessageBoxAnswer::Ok;
        });
    }
    void TearDown() override { platform::SetMessageBoxHook(nullptr); }

    testing_support::FakeClock clock{testing_support::FakeClock::kDefaultStartTick, kEpochMs};
    testing_support::TempDir workDir{true};
    testing_support::FakeQelIoSystem driver;
    testing_support::FakeParallelPort port{driver};
    std::vector<std::string> boxes;
};

TEST_F(ShowMonitorTest, AScriptedRunGivesItsFiguresAndItsFrameToTheFiles) {
    const std::string metricsPath = workDir.Path() + "/standview.prom";
    const std::string snapshotPath = workDir.Path() + "/snapshot.png";
    CommandLine options;
    options.startAnswer = StartAnswer::Windowed;
    options.metricsPath = metricsPath;
    options.snapshotPath = snapshotPath;
    options.snapshotEverySeconds = kSnapshotEverySeconds;
    Presentation show;
    show.glow.mode = GlowMode::Fast;
    ShowMonitor monitor(options, show);
    ASSERT_TRUE(monitor.Wanted());

    FrameCallbacks callbacks = ShellFrameCallbacks(show, &monitor);
    AppWindow* window = nullptr;
    int frame = 0;
    std::vector<uint32_t> elapsed;
    std::string firstMetrics;
    // The frame the last snapshot holds and the one before it: RGBA, rows from the bottom.
    std::vector<uint8_t> snapshotFrames[2];
    const auto startUp = callbacks.startUp;
    callbacks.startUp = [&](AppWindow* appWindow, KeyTable* keys, std::string* whyNot) {
        window = appWindow;
        return startUp(appWindow, keys, whyNot);
    };
    const auto updateFrame = callbacks.updateFrame;
    callbacks.updateFrame = [&](uint32_t ms) {
        ++frame;
        elapsed.push_back(ms);
        if (frame == 2) {
            // Written by now, or soon: the figures of the first frame.
            EXPECT_TRUE(Appears(metricsPath));
            firstMetrics = Read(metricsPath);
        }
        updateFrame(ms);
    };
    const auto drawFrame = callbacks.drawFrame;
    callbacks.drawFrame = [&] {
        drawFrame();
        EXPECT_EQ(show.input.window, window->window) << "the running window is handed to the input devices";
        if (frame == kLastSnapshotFrame - 1 || frame == kLastSnapshotFrame) {
            std::vector<uint8_t>& pixels = snapshotFrames[frame - (kLastSnapshotFrame - 1)];
            const View& view = window->view;
            pixels.resize(static_cast<size_t>(view.width * view.height * 4));
            glReadPixels(0, 0, static_cast<GLsizei>(view.width), static_cast<GLsizei>(view.height), GL_RGBA,
                         GL_UNSIGNED_BYTE, pixels.data());
        }
    };
    const auto frameDrawn = callbacks.frameDrawn;
    callbacks.frameDrawn = [&](uint32_t ms, const ButtonPanel& buttons) {
        frameDrawn(ms, buttons);
        const Step* step = kScript;
        while (step->lastFrame < frame) {
            ++step;
        }
        port.status = step->port;
        if (frame == step->lastFrame && step->key != 0) {
            platform::QueueMessage(window->window, platform::WM_KEYDOWN, step->key, 0);
        } else if (frame > 1 && frame == (step - 1)->lastFrame + 1 && (step - 1)->key != 0) {
            platform::QueueMessage(window->window, platform::WM_KEYUP, (step - 1)->key, 0);
        }
        clock.AdvanceMs(step->advanceMs);
        if (frame == kFrames) {
            RequestQuit(window);
        }
    };
    ASSERT_EQ(AppMain(platform::ProgramInstance(), callbacks, options), 0);
    monitor.Finish();

    std::vector<uint32_t> plannedElapsed = {kFirstFrameMs};
    uint64_t frameMsSum = kFirstFrameMs;
    for (int f = 1; f < kFrames; ++f) {
        const Step* step = kScript;
        while (step->lastFrame < f) {
            ++step;
        }
        plannedElapsed.push_back(step->advanceMs);
        frameMsSum += step->advanceMs;
    }
    ASSERT_EQ(elapsed, plannedElapsed) << "the frames did not take the times the script gave them";
    EXPECT_EQ(frameMsSum, 135047u);

    // The first frame's figures: the start screen, started at start-up, and all content loaded so far.
    std::map<std::string, std::string> first = Samples(firstMetrics);
    EXPECT_EQ(first["standview_frames_total"], "1") << firstMetrics;
    EXPECT_EQ(first["standview_frame_seconds_bucket{le=\"0.02\"}"], "1");
    EXPECT_EQ(first["standview_last_frame_timestamp_seconds"], "1781078400.017");
    EXPECT_EQ(first["standview_scene{scene=\"mainscreen\"}"], "1");
    EXPECT_EQ(first["standview_scene_starts_total{scene=\"mainscreen\",cause=\"startup\"}"], "1");
    EXPECT_EQ(first["standview_content_ok"], "1");

    const std::string last = Read(metricsPath);
    std::map<std::string, std::string> samples = Samples(last);
    size_t startsListed = 0;
    const std::map<std::string, std::string> starts = Starts(samples, &startsListed);
    EXPECT_EQ(startsListed, 5u * 7u) << "each scene with each cause, from 0";
    const std::map<std::string, std::string> expectedStarts = {
        {"standview_scene_starts_total{scene=\"cubes\",cause=\"button4\"}", "1"},
        {"standview_scene_starts_total{scene=\"horse\",cause=\"key\"}", "1"},
        {"standview_scene_starts_total{scene=\"mainscreen\",cause=\"startup\"}", "1"},
        {"standview_scene_starts_total{scene=\"mainscreen\",cause=\"timeout\"}", "3"},
        {"standview_scene_starts_total{scene=\"mountain\",cause=\"button2\"}", "2"},
    };
    EXPECT_EQ(starts, expectedStarts) << last;
    const std::map<std::string, std::string> expected = {
        {"standview_info{version=\"" + std::string(ProgramVersion()) + "\",glow=\"fast\"}", "1"},
        {"standview_start_time_seconds", "1781078400.000"},
        {"standview_frames_total", "135"},
        {"standview_frame_seconds_bucket{le=\"0.01\"}", "0"},
        {"standview_frame_seconds_bucket{le=\"0.02\"}", "1"},
        {"standview_frame_seconds_bucket{le=\"0.04\"}", "2"},
        {"standview_frame_seconds_bucket{le=\"0.07\"}", "2"},
        {"standview_frame_seconds_bucket{le=\"0.1\"}", "2"},
        {"standview_frame_seconds_bucket{le=\"0.2\"}", "2"},
        {"standview_frame_seconds_bucket{le=\"0.5\"}", "2"},
        {"standview_frame_seconds_bucket{le=\"1\"}", "134"},
        {"standview_frame_seconds_bucket{le=\"2.5\"}", "134"},
        {"standview_frame_seconds_bucket{le=\"+Inf\"}", "135"},
        {"standview_frame_seconds_sum", "135.047"},
        {"standview_frame_seconds_count", "135"},
        {"standview_last_frame_timestamp_seconds", "1781078535.047"},
        // At a frame a second the camera is still on its way to the cubes when their stage ends.
        {"standview_movie_frames_total", "0"},
        {"standview_scene{scene=\"cubes\"}", "0"},
        {"standview_scene{scene=\"horse\"}", "0"},
        {"standview_scene{scene=\"mainscreen\"}", "1"},
        {"standview_scene{scene=\"mountain\"}", "0"},
        {"standview_scene{scene=\"parthenon\"}", "0"},
        {"standview_button_stuck{button=\"1\"}", "0"},
        {"standview_button_stuck{button=\"2\"}", "1"},
        {"standview_button_stuck{button=\"3\"}", "0"},
        {"standview_button_stuck{button=\"4\"}", "0"},
        {"standview_content_ok", "0"},
    };
    EXPECT_EQ(samples, expected) << last;

    // The snapshot: the frame it was taken from, scaled to 400 x 300, each pixel the mean of 2 x 2; not
    // the frame before.
    int width = 0;
    int height = 0;
    const std::vector<uint8_t> png = DecodePng(Read(snapshotPath), &width, &height);
    ASSERT_FALSE(png.empty()) << snapshotPath << " does not decode as a PNG";
    ASSERT_EQ(width, monitor::kSnapshotWidth);
    ASSERT_EQ(height, monitor::kSnapshotHeight);
    EXPECT_LE(LargestDifference(png, snapshotFrames[1]), 1)
        << "the snapshot is not the frame it was taken from";
    EXPECT_GT(LargestDifference(png, snapshotFrames[0]), kFramesApart) << "the frames before look alike";

    int status = 0;
    for (const std::string& text : {firstMetrics, last}) {
        const std::string file = workDir.Write("checked.prom", text);
        const std::string verdict = PromtoolCheck(file, &status);
        if (verdict.rfind("skipped", 0) == 0) {
            GTEST_SKIP() << verdict;
        }
        EXPECT_EQ(status, 0) << verdict;
        EXPECT_EQ(verdict, "") << text;
    }
}

} // namespace
