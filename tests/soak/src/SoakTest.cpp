// A simulated booth day of the whole presentation: the real entry point with the real start-up, frame
// update, drawing and shut-down in an offscreen window, on a fake clock, with visitors' buttons through
// the port and operator keys through the window's messages. The loop paces ordinary frames itself
// (17 ms); the schedule adds slower frames and jumps over pauses, so a day fits in a few minutes.
#include "PresentationProbe.h"
#include "ProcessUsage.h"
#include "VisitorSchedule.h"

#include "media/Sound.h"
#include "platform/MessageBox.h"
#include "platform/ParallelPort.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "shell/AppMain.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"
#include "stats/VisitRecording.h"
#include "support/FakeClock.h"
#include "support/FakeParallelPort.h"
#include "qelio/tests/FakePortKernel.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kHourMs = 60 * 60 * 1000;
constexpr uint64_t kDayMs = 24 * kHourMs;
constexpr uint32_t kSeed = 20030611;
// Two hours before the tick count wraps, so the day runs across the wrap.
constexpr uint32_t kStartTick = static_cast<uint32_t>(0x100000000ull - 2 * kHourMs);
const std::vector<uint64_t> kToggleTimes = {6 * kHourMs, 13 * kHourMs, 19 * kHourMs};

// A run that has gone wrong ends early instead of hanging.
constexpr int kFrameLimit = 20000;

// Hours before the first measurement that later ones are compared with: every scene and movie has run
// by then. After a toggle, one hour lets the new window settle.
constexpr uint64_t kFirstWarmUpHours = 2;
constexpr uint64_t kToggleSettleHours = 1;
// Resident memory may rise this much within a window's hours: the allocator's and the driver's caches
// level off some 8 MB above the first measurement, within the first ten hours of a day in one window.
// A movie frame (192 kB) lost per drawn frame of the video stage would pass it within a few minutes.
constexpr int64_t kResidentSlackKb = 12 * 1024;
// Under the address sanitizer freed memory waits in quarantine, and under the thread sanitizer resident
// memory grows with its shadow of every page touched, so resident memory says nothing there; the ordinary
// build checks it, the sanitizer builds everything else.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kResidentMemoryChecked = false;
#else
constexpr bool kResidentMemoryChecked = true;
#endif

constexpr const char* kVisitsFile = "visits.sqlite";
constexpr uint64_t kFirstFrameLimitMs = 1000;

// Each kind of event must have happened at least this often in the day (the schedule gives half again
// as many or more of the rarest).
constexpr int kManyEvents = 10;

// The calendar day the simulated day starts on: 2026-06-11 06:00 UTC.
constexpr int64_t kDayStartUtcMs = 1781157600000;

struct VisitRow {
    std::string scene; // lower case, as the registry keys it
    uint64_t atMs;     // since the start of the run
    std::string cause;
    bool whileRunning;
    int64_t stayMs; // -1 when never ended
};

std::vector<VisitRow> ReadVisitRows(const std::string& path) {
    std::vector<VisitRow> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "SELECT lower(scene), started_utc_ms, cause, while_running, ifnull(stay_ms, -1) "
                           "FROM visit ORDER BY id",
                           -1, &select, nullptr) == SQLITE_OK) {
        while (sqlite3_step(select) == SQLITE_ROW) {
            rows.push_back({reinterpret_cast<const char*>(sqlite3_column_text(select, 0)),
                            static_cast<uint64_t>(sqlite3_column_int64(select, 1) - kDayStartUtcMs),
                            reinterpret_cast<const char*>(sqlite3_column_text(select, 2)),
                            sqlite3_column_int(select, 3) != 0, sqlite3_column_int64(select, 4)});
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

const std::string kQuestion = "Would You Like To Run In Fullscreen Mode?";
const std::string kModeSwitchFailed = "Mode Switch Failed.\nRunning In Windowed Mode.";

// The music player, which every window shares, keeps the file of the track it played last open, one at
// a time.
constexpr int kPlayerTrackFiles = 1;

struct Sample {
    uint64_t hour;
    int window; // 1 for the first window, 2 after the first toggle, ...
    bool playerHoldsTrack;
    soak::ProcessUsage usage;
};

// The first sample of the window taken at least `settleHours` after the window began, once its player
// holds a track: what the window holds from then on.
const Sample* Baseline(const std::vector<Sample>& samples, int window, uint64_t startHour,
                       uint64_t settleHours) {
    for (const Sample& sample : samples) {
        if (sample.window == window && sample.hour >= startHour + settleHours && sample.playerHoldsTrack) {
            return &sample;
        }
    }
    return nullptr;
}

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::filesystem::create_directory_symlink(std::string(STANDVIEW_SOURCE_DIR) + "/Data", "Data");
        platform::SetMessageBoxHook([this](const char* text, const char*, platform::MessageBoxStyle style) {
            boxes.emplace_back(text);
            return style == platform::MessageBoxStyle::QuestionYesNo ? platform::MessageBoxAnswer::No
                                                                     : platform::MessageBoxAnswer::Ok;
        });
    }
    void TearDown() override { platform::SetMessageBoxHook(nullptr); }

    testing_support::TempDir workDir{true};
    testing_support::FakeClock clock{kStartTick, kDayStartUtcMs};
    testing_support::FakePortKernel kernel;
    platform::LinuxPortSystem portSystem{kernel};
    testing_support::FakeParallelPort port{portSystem};
    std::vector<std::string> boxes;
};

TEST_F(SoakTest, ABoothDayOfVisitorsOperatorKeysAndModeToggles) {
    soak::VisitorSchedule schedule(kSeed, kDayMs, kToggleTimes);
    Presentation show;
    soak::PresentationProbe probe(show.scenes);
    const uint64_t startMicros = clock.PerformanceCounter();
    ASSERT_EQ(startMicros, 0u) << "the wall clock counts from the run's start";
    auto simulatedMs = [&] { return (clock.PerformanceCounter() - startMicros) / 1000; };

    AppWindow* window = nullptr;
    int windows = 0;
    soak::ProcessUsage beforeFirstStartUp;
    soak::ProcessUsage afterFirstStartUp;
    std::vector<Sample> samples;
    std::vector<uint64_t> windowStartHours;
    uint64_t nextSampleMs = kHourMs;
    int brokenFrames = 0;
    std::string firstBroken;

    const auto wallStart = std::chrono::steady_clock::now();
    FrameCallbacks callbacks;
    callbacks.startUp = [&](AppWindow* appWindow, KeyTable* keys, std::string* whyNot) {
        window = appWindow;
        if (windows == 0) {
            beforeFirstStartUp = soak::MeasureProcessUsage();
        }
        const bool started = StartUp(show, appWindow, keys, whyNot);
        if (windows == 0) {
            afterFirstStartUp = soak::MeasureProcessUsage();
        }
        ++windows;
        windowStartHours.push_back(simulatedMs() / kHourMs);
        probe.AfterStartUp();
        return started;
    };
    callbacks.updateFrame = [&](uint32_t elapsedMs) { UpdateFrame(show, elapsedMs); };
    callbacks.shutDown = [&] { ShutDown(show); };
    callbacks.drawFrame = [&] {
        DrawFrame(show);
        const uint64_t now = simulatedMs();
        const std::string broken = probe.AfterFrame();
        if (!broken.empty() && brokenFrames++ == 0) {
            firstBroken = broken + " (frame " + std::to_string(probe.Events().frames) + ", " +
                          std::to_string(now / 1000) + " s)";
        }
        if (now >= nextSampleMs) {
            const bool playerHoldsTrack = show.scenes.soundInstance && show.scenes.soundInstance->stream;
            samples.push_back({now / kHourMs, windows, playerHoldsTrack, soak::MeasureProcessUsage()});
            nextSampleMs = (now / kHourMs + 1) * kHourMs;
            std::fprintf(stderr, "soak: hour %llu reached at frame %d after %.1f s\n",
                         static_cast<unsigned long long>(now / kHourMs), probe.Events().frames,
                         std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count());
        }
        soak::Turn turn;
        if (brokenFrames > 0 || probe.Events().frames >= kFrameLimit) {
            turn.keysDown.push_back(platform::VK_ESCAPE);
        } else {
            turn = schedule.Next(now);
        }
        for (uint32_t key : turn.keysUp) {
            platform::QueueMessage(window->window, platform::WM_KEYUP, key, 0);
        }
        for (uint32_t key : turn.keysDown) {
            platform::QueueMessage(window->window, platform::WM_KEYDOWN, key, 0);
        }
        port.status = turn.portByte;
        clock.AdvanceMs(turn.extraMs);
    };

    // The start of every visit the probe sees after a frame, at that frame's simulated time.
    std::vector<uint64_t> startTimes;
    const auto drawFrame = callbacks.drawFrame;
    callbacks.drawFrame = [&] {
        const uint64_t now = simulatedMs();
        drawFrame();
        startTimes.resize(probe.Events().startOrder.size(), now);
    };
    show.scenes.visits.Start(kVisitsFile);
    const int exitCode = AppMain(platform::ProgramInstance(), callbacks);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const soak::PresentationEvents& events = probe.Events();
    const soak::ScheduleTally& tally = schedule.Tally();
    const uint64_t recordingStopMs = simulatedMs();
    show.scenes.visits.Stop();

    std::printf("soak: %.1f simulated hours in %d frames, %.1f s of wall time\n",
                static_cast<double>(simulatedMs()) / kHourMs, events.frames, wallSeconds);
    std::printf("soak: actions: %d buttons, %d scene keys, %d operator keys, %d toggles, %d idle stretches; "
                "%zu port reads\n",
                tally.buttonPresses, tally.sceneKeys, tally.operatorKeys, tally.toggles, tally.idleStretches,
                port.reads.size());
    std::printf("soak: events: %d flights arrived, %d reveals started, %d scrolls unrolled, %d movie frames "
                "shown, %d slides, %d tracks started, %d returns to the start screen\n",
                events.flightsArrived, events.revealsStarted, events.scrollsUnrolled, events.movieFramesShown,
                events.slides, events.tracksStarted, events.startScreenReturns);
    for (const auto& [key, starts] : events.sceneStarts) {
        std::printf("soak: scene %s started %d times\n", key.c_str(), starts);
    }
    std::printf(
        "soak: before the first start-up %lld kB resident, %d files open; after it %lld kB, %d files\n",
        static_cast<long long>(beforeFirstStartUp.residentKb), beforeFirstStartUp.openFiles,
        static_cast<long long>(afterFirstStartUp.residentKb), afterFirstStartUp.openFiles);
    for (const Sample& sample : samples) {
        std::printf("soak: hour %2llu window %d: %lld kB resident, %lld kB heap in use, %d files open%s\n",
                    static_cast<unsigned long long>(sample.hour), sample.window,
                    static_cast<long long>(sample.usage.residentKb),
                    static_cast<long long>(sample.usage.heapInUseKb), sample.usage.openFiles,
                    sample.playerHoldsTrack ? "" : " (the player holds no track yet)");
    }
    for (const std::string& target : soak::OpenFileTargets()) {
        std::printf("soak: at the end, open: %s\n", target.c_str());
    }

    // The run itself: a whole day, ended by Escape, which closed the port session.
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(brokenFrames, 0) << firstBroken;
    EXPECT_LT(events.frames, kFrameLimit) << "the run was cut short";
    EXPECT_GE(simulatedMs(), kDayMs);
    EXPECT_EQ(windows, 1 + static_cast<int>(kToggleTimes.size())) << "each toggle makes one new window";
    EXPECT_EQ(tally.toggles, static_cast<int>(kToggleTimes.size()));
    EXPECT_GE(kernel.Grants(), 1) << "start-up opened the port session";
    EXPECT_GE(kernel.Revocations(), 1) << "Escape closed the port session";
    EXPECT_FALSE(platform::PortSessionOpen());
    EXPECT_GT(port.reads.size(), 0u);
    for (const std::string& box : boxes) {
        EXPECT_TRUE(box == kQuestion || box == kModeSwitchFailed) << "unexpected message box: " << box;
    }

    // What a day at the booth brings, many times over.
    EXPECT_GE(events.flightsArrived, kManyEvents);
    EXPECT_GE(events.revealsStarted, kManyEvents);
    EXPECT_GE(events.scrollsUnrolled, kManyEvents);
    EXPECT_GE(events.movieFramesShown, kManyEvents);
    EXPECT_GE(events.slides, kManyEvents);
    EXPECT_GE(events.tracksStarted, kManyEvents);
    EXPECT_EQ(events.tracksWithoutStream, 0) << "every track of the demo data opens";
    EXPECT_GE(events.startScreenReturns, kManyEvents);
    for (const char* key : {"cubes", "horse", "mountain", "parthenon"}) {
        const auto found = events.sceneStarts.find(key);
        EXPECT_TRUE(found != events.sceneStarts.end() && found->second >= kManyEvents) << key;
    }

    // The visit statistics: one record for every start the probe saw, at its time, each stay ended by
    // the next start and the last by the end of the run, so the stays fill the day without gap.
    const std::vector<VisitRow> visits = ReadVisitRows(kVisitsFile);
    std::vector<VisitRow> starts;
    int whileRunning = 0;
    for (const VisitRow& visit : visits) {
        if (visit.whileRunning) {
            ++whileRunning;
            EXPECT_EQ(visit.scene, "cubes") << "only the video stage takes a press while it runs";
        } else {
            starts.push_back(visit);
        }
    }
    ASSERT_EQ(starts.size(), events.startOrder.size());
    int64_t staySum = 0;
    int timeOuts = 0, startUps = 0, byVisitors = 0;
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i].scene, events.startOrder[i]) << "start " << i;
        // A start-up's start comes before the window's first frame is paced, the others within a frame.
        if (starts[i].cause == "startup") {
            EXPECT_LE(startTimes[i] - starts[i].atMs, kFirstFrameLimitMs) << "start " << i;
        } else {
            EXPECT_EQ(starts[i].atMs, startTimes[i]) << "start " << i << ", " << starts[i].scene;
        }
        const uint64_t endMs = i + 1 < starts.size() ? starts[i + 1].atMs : recordingStopMs;
        EXPECT_EQ(starts[i].stayMs, static_cast<int64_t>(endMs - starts[i].atMs)) << "start " << i;
        staySum += starts[i].stayMs;
        const bool startScreen = starts[i].scene == "mainscreen";
        timeOuts += starts[i].cause == "timeout";
        startUps += starts[i].cause == "startup";
        byVisitors += starts[i].cause == "key" || starts[i].cause.rfind("button", 0) == 0;
        EXPECT_EQ(startScreen, starts[i].cause == "timeout" || starts[i].cause == "startup") << "start " << i;
    }
    EXPECT_EQ(staySum, static_cast<int64_t>(recordingStopMs - starts.front().atMs));
    EXPECT_GE(staySum, static_cast<int64_t>(kDayMs - kHourMs));
    EXPECT_EQ(timeOuts, events.startScreenReturns);
    EXPECT_EQ(timeOuts + startUps + byVisitors, static_cast<int>(starts.size()));
    std::printf("soak: %zu visits recorded (%d by visitors, %d time-outs, %d start-ups), %d presses on the "
                "running video stage\n",
                starts.size(), byVisitors, timeOuts, startUps, whileRunning);

    if (!kResidentMemoryChecked) {
        std::printf(
            "soak: resident memory not checked: a sanitizer's own memory grows with what the program did\n");
    }
    // Within each window's hours the process holds no more over time; a toggle may add what the new
    // window's start-up holds (a new set of scenes with their movies, a new player with its track),
    // and no more.
    const int64_t startUpResidentKb = afterFirstStartUp.residentKb - beforeFirstStartUp.residentKb;
    const int startUpFiles = afterFirstStartUp.openFiles - beforeFirstStartUp.openFiles;
    const Sample* previousLast = nullptr;
    for (int w = 1; w <= windows; ++w) {
        const uint64_t settle = w == 1 ? kFirstWarmUpHours : kToggleSettleHours;
        const Sample* baseline = Baseline(samples, w, windowStartHours[static_cast<size_t>(w - 1)], settle);
        ASSERT_NE(baseline, nullptr) << "window " << w << " lasted too short to measure";
        const Sample* last = baseline;
        for (const Sample& sample : samples) {
            if (sample.window != w || sample.hour < baseline->hour) {
                continue;
            }
            EXPECT_EQ(sample.usage.openFiles, baseline->usage.openFiles)
                << "window " << w << ", hour " << sample.hour << ": open files changed since hour "
                << baseline->hour;
            if (kResidentMemoryChecked) {
                EXPECT_LE(sample.usage.residentKb, baseline->usage.residentKb + kResidentSlackKb)
                    << "window " << w << ", hour " << sample.hour << ": resident memory grew since hour "
                    << baseline->hour;
            }
            last = &sample;
        }
        if (previousLast != nullptr) {
            EXPECT_LE(baseline->usage.openFiles - previousLast->usage.openFiles,
                      startUpFiles + kPlayerTrackFiles)
                << "toggle to window " << w;
            if (kResidentMemoryChecked) {
                EXPECT_LE(baseline->usage.residentKb - previousLast->usage.residentKb,
                          startUpResidentKb + kResidentSlackKb)
                    << "toggle to window " << w;
            }
        }
        previousLast = last;
    }
}

} // namespace
