#include "shell/ShowMonitor.h"

#include "core/View.h"
#include "input/ButtonPanel.h"
#include "monitor/Snapshot.h"
#include "platform/Clock.h"
#include "platform/PngEncoder.h"
#include "shell/Presentation.h"
#include "stats/VisitStore.h"

#include <iterator>

namespace {

constexpr uint32_t kMillisecondsPerSecond = 1000;
constexpr const char* kMetricsName = "metrics";
constexpr const char* kSnapshotName = "snapshot";

std::unique_ptr<monitor::BackgroundWriter> WriterFor(const std::string& path, const char* what) {
    return path.empty() ? nullptr : std::make_unique<monitor::BackgroundWriter>(path, what);
}

} // namespace

ShowMonitor::ShowMonitor(const CommandLine& options, Presentation& watched)
    : show(watched), visits(watched.scenes.visits),
      figures(ProgramVersion(), platform::CurrentClock().UtcMilliseconds(),
              std::vector<std::string>(std::begin(stats::kCauseNames), std::end(stats::kCauseNames))),
      metrics(WriterFor(options.metricsPath, kMetricsName)),
      snapshot(WriterFor(options.snapshotPath, kSnapshotName)),
      snapshotEveryMs(static_cast<uint64_t>(options.snapshotEverySeconds) * kMillisecondsPerSecond),
      stuck(kButtonCount, false) {
    if (metrics) {
        visits.Watch(this);
        WatchContentLoads(this);
    }
}

ShowMonitor::~ShowMonitor() {
    Finish();
}

void ShowMonitor::FrameDrawn(uint32_t elapsedMs, const ButtonPanel& buttons) {
    if (snapshot) {
        monitor::FramePixels pixels;
        if (readback.Collect(&pixels)) {
            snapshot->Post([pixels = std::move(pixels)](std::string* png, std::string* problem) {
                return platform::EncodePng(monitor::ScaledForSnapshot(pixels), monitor::kSnapshotWidth,
                                           monitor::kSnapshotHeight, png, problem);
            });
        }
        msSinceSnapshot += elapsedMs;
        if (firstFrame || msSinceSnapshot >= snapshotEveryMs) {
            const View& view = show.currentWindow->view;
            readback.Start(view.x, view.y, static_cast<int>(view.width), static_cast<int>(view.height));
            msSinceSnapshot = 0;
        }
    }
    if (metrics) {
        figures.CountFrame(elapsedMs, platform::CurrentClock().UtcMilliseconds(), show.glow.lastDrawnFast);
        figures.SetMovieFrames(show.scenes.movieFramesShown);
        scenes.clear();
        for (const auto& [name, scene] : show.scenes.Entries()) {
            scenes.emplace_back(name, scene->active);
        }
        for (int button = 1; button <= kButtonCount; ++button) {
            stuck[static_cast<size_t>(button - 1)] = buttons.Stuck(button);
        }
        msSinceMetrics += elapsedMs;
        if (firstFrame || msSinceMetrics >= kMetricsEveryMs) {
            PostMetrics();
            msSinceMetrics = 0;
        }
    }
    firstFrame = false;
}

void ShowMonitor::PostMetrics() {
    figures.SetScenes(scenes);
    figures.SetStuckButtons(stuck);
    metrics->Post([copy = figures](std::string* text, std::string*) {
        *text = copy.Text();
        return true;
    });
}

void ShowMonitor::Finish() {
    if (metrics) {
        visits.Watch(nullptr);
        WatchContentLoads(nullptr);
        PostMetrics();
        metrics->Finish();
        metrics.reset();
    }
    if (snapshot) {
        snapshot->Finish();
        snapshot.reset();
    }
}

void ShowMonitor::SceneStarted(const char* scene, stats::StartCause cause) {
    // The registry's name, as the status line and the scene figures give it.
    const Scene* started = show.scenes.Find(scene);
    figures.CountSceneStart(started ? started->name : scene, stats::kCauseNames[static_cast<int>(cause)]);
}

void ShowMonitor::ContentLoaded(const std::string& path, bool ok) {
    figures.ContentLoaded(path, ok);
}
