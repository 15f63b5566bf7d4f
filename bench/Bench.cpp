// Times the frame of the whole presentation phase by phase, offscreen on the bundled data (800x600, or
// a full screen's size, where the 4:3 view is fitted into it as a native full screen shows it),
// at fixed camera poses, with the exact glow and with the fast one frame by frame in turn (so that a
// busy machine slows both alike), and prints a table of the median milliseconds. Time stands still
// while a pose is measured, so every frame of a pose shows the same picture, and the bench also prints
// how far the fast glow's frame lies from the exact one's there.
//
// Usage: standview_bench [--size WxH] [FRAMES]     (frames per pose and glow; 40 by default)
#include "camera/CameraRig.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/OffscreenContext.h"
#include "render/Glow.h"
#include "render/PictureDifference.h"
#include "scenes/Scene.h"
#include "shell/AppWindow.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultFrames = 40;
constexpr const char* kSizeOption = "--size";
constexpr const char* kUsage = "usage: standview_bench [--size WxH] [FRAMES]\n";
constexpr int kUsageExitCode = 2;
constexpr int kWarmUpFrames = 3;
constexpr int kLevelTolerance = 8;
// Long enough for an exhibit's scroll to unroll, short of the scene's end.
constexpr uint32_t kSettleMs = 4000;

// Moves only when told, so the scenes' animations and the movies hold still.
class StillClock final : public platform::Clock {
public:
    uint32_t TickCount() override { return static_cast<uint32_t>(micros / 1000); }
    uint64_t PerformanceCounter() override { return micros; }
    uint64_t PerformanceFrequency() override { return kMicrosPerSecond; }
    void Delay(uint32_t milliseconds) override { micros += uint64_t{milliseconds} * 1000; }

private:
    static constexpr uint64_t kMicrosPerSecond = 1000000;
    uint64_t micros = kMicrosPerSecond;
};

struct Pose {
    const char* name;
    const char* scene;
    SceneNode CameraRig::*waypoint;
};
const Pose kPoses[] = {
    {"start screen", "MainScreen", &CameraRig::waypointBooth},
    {"exhibit", "Parthenon", &CameraRig::waypointParthenon},
    {"Cubes", "Cubes", &CameraRig::waypointCubes},
};

struct Way {
    const char* name;
    GlowMode mode;
};
constexpr Way kWays[] = {{"exact", GlowMode::Exact}, {"fast", GlowMode::Fast}};
constexpr int kWayCount = 2;

void PlaceCamera(Camera& camera, const SceneNode& pose) {
    camera.SetMode(Free);
    camera.inFlight = false;
    camera.position = pose.position;
    camera.rotation = pose.rotation;
    camera.Rotate(Vec3(0.0f, 0.0f, 0.0f));
}

struct BenchOptions {
    int width = kComposedWidth;
    int height = kComposedHeight;
    int frames = kDefaultFrames;
};

// "1920x1080": both positive.
bool ReadSize(const char* text, BenchOptions* options) {
    int width = 0;
    int height = 0;
    char end = '\0';
    if (std::sscanf(text, "%dx%d%c", &width, &height, &end) != 2 || width <= 0 || height <= 0) {
        return false;
    }
    options->width = width;
    options->height = height;
    return true;
}

bool ReadOptions(int argc, char** argv, BenchOptions* options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kSizeOption) == 0) {
            if (i + 1 == argc || !ReadSize(argv[++i], options)) {
                return false;
            }
        } else {
            char* end = nullptr;
            const long frames = std::strtol(argv[i], &end, 10);
            if (end == argv[i] || *end != '\0' || frames < 1) {
                return false;
            }
            options->frames = static_cast<int>(std::min<long>(frames, INT32_MAX));
        }
    }
    return true;
}

double Milliseconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each phase finished before the clock stops, so a phase is charged only for its own work.
void TimeFrame(Presentation& show, std::vector<std::vector<double>>& phaseTimes,
               std::vector<double>& frameTimes) {
    glFinish();
    const auto frameStart = std::chrono::steady_clock::now();
    for (int phase = 0; phase < kFramePhaseCount; ++phase) {
        const auto start = std::chrono::steady_clock::now();
        kFramePhases[phase].draw(show);
        glFinish();
        phaseTimes[static_cast<size_t>(phase)].push_back(Milliseconds(start));
    }
    frameTimes.push_back(Milliseconds(frameStart));
}

void PrintDifference(const std::vector<uint8_t>& exact, const std::vector<uint8_t>& fast) {
    const PictureDifference difference = ComparePictures(exact, fast, kLevelTolerance);
    std::printf("  fast vs exact: mean %.2f levels per channel, %.2f %% of pixels over %d, largest %d\n",
                difference.meanLevels, 100.0 * difference.pixelsOver / difference.pixels, kLevelTolerance,
                difference.largestLevels);
}

} // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ReadOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return kUsageExitCode;
    }
    const int frames = options.frames;
    const int width = options.width;
    const int height = options.height;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::error_code error;
    std::filesystem::current_path(STANDVIEW_SOURCE_DIR, error);
    if (error) {
        std::fprintf(stderr, "standview_bench: cannot enter %s\n", STANDVIEW_SOURCE_DIR);
        return 1;
    }
    platform::SetMessageBoxHook([](const char* text, const char*, platform::MessageBoxStyle) {
        std::fprintf(stderr, "standview_bench: %s\n", text);
        return platform::MessageBoxAnswer::No;
    });
    // Static: whatever still reads the clock at exit finds it.
    static StillClock clock;
    platform::InstallClock(&clock);
    platform::OffscreenContext gl(width, height);
    if (!gl.Ok()) {
        return 1;
    }
    KeyTable keys{};
    AppWindow window{};
    window.keys = &keys;
    ReshapeFittedView(window.view, width, height);
    Presentation show;
    if (!StartUp(show, &window, &keys)) {
        std::fprintf(stderr, "standview_bench: start-up failed (is Data/shader.txt there?)\n");
        return 1;
    }
    std::printf("%s, %dx%d, median of %d frames per pose and glow\n",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), width, height, frames);
    std::printf("view %.0fx%.0f at %d,%d\n\n", window.view.width, window.view.height, window.view.x,
                window.view.y);
    std::printf("%-14s %-24s %10s %10s\n", "pose", "phase (ms)", kWays[0].name, kWays[1].name);

    std::vector<double> allFrames[kWayCount];
    for (const Pose& pose : kPoses) {
        show.scenes.Start(pose.scene);
        PlaceCamera(show.scenes.rig.mainCamera, show.scenes.rig.*pose.waypoint);
        DrawFrame(show);
        clock.Delay(kSettleMs);
        std::vector<std::vector<double>> phaseTimes[kWayCount];
        std::vector<double> frameTimes[kWayCount];
        std::vector<uint8_t> pictures[kWayCount];
        for (int way = 0; way < kWayCount; ++way) {
            phaseTimes[way].resize(static_cast<size_t>(kFramePhaseCount));
            show.glow.mode = kWays[way].mode;
            for (int i = 0; i < kWarmUpFrames; ++i) {
                DrawFrame(show);
            }
            pictures[way] = gl.ReadPixels(0, 0, width, height);
            if (show.glow.lastDrawnFast != (kWays[way].mode == GlowMode::Fast)) {
                std::fprintf(stderr, "standview_bench: the %s glow is not available here\n", kWays[way].name);
                return 1;
            }
        }
        for (int frame = 0; frame < frames; ++frame) {
            for (int way = 0; way < kWayCount; ++way) {
                show.glow.mode = kWays[way].mode;
                TimeFrame(show, phaseTimes[way], frameTimes[way]);
            }
        }
        for (int phase = 0; phase < kFramePhaseCount; ++phase) {
            std::printf("%-14s %-24s %10.2f %10.2f\n", phase == 0 ? pose.name : "", kFramePhases[phase].name,
                        Median(phaseTimes[0][static_cast<size_t>(phase)]),
                        Median(phaseTimes[1][static_cast<size_t>(phase)]));
        }
        std::printf("%-14s %-24s %10.2f %10.2f\n", "", "whole frame", Median(frameTimes[0]),
                    Median(frameTimes[1]));
        PrintDifference(pictures[0], pictures[1]);
        for (int way = 0; way < kWayCount; ++way) {
            allFrames[way].insert(allFrames[way].end(), frameTimes[way].begin(), frameTimes[way].end());
        }
    }
    const double exact = Median(allFrames[0]);
    const double fast = Median(allFrames[1]);
    std::printf("\nall poses: whole frame %.2f ms exact, %.2f ms fast (fast/exact %.2f)\n", exact, fast,
                fast / exact);
    return 0;
}
