// Watching the show from afar (--metrics, --snapshot). The figures are kept up to date from the frame
// loop, the scene starts and the content loads, and written to the metrics file at the first frame,
// every ten seconds and at the end; the frame on screen is read back at the first frame and every
// --snapshot-every seconds, and written as a PNG. Each file has a writer thread of its own
// (monitor/BackgroundWriter.h): the frame thread only counts and copies.
#pragma once

#include "core/ContentLoads.h"
#include "monitor/BackgroundWriter.h"
#include "monitor/Figures.h"
#include "monitor/FrameReadback.h"
#include "shell/CommandLine.h"
#include "stats/VisitRecording.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ButtonPanel;
struct Presentation;

constexpr uint32_t kMetricsEveryMs = 10000;

class ShowMonitor final : public stats::SceneStartWatcher, public ContentLoadWatcher {
public:
    // Watches nothing and starts no thread when the options ask for neither file. The show, whose scenes
    // and glow the figures report and whose recording tells of the scene starts, must outlive the monitor.
    ShowMonitor(const CommandLine& options, Presentation& show);
    ShowMonitor(const ShowMonitor&) = delete;
    ShowMonitor& operator=(const ShowMonitor&) = delete;
    // Finish().
    ~ShowMonitor() override;

    bool Wanted() const { return metrics != nullptr || snapshot != nullptr; }
    // After each frame is drawn, before it is swapped to the screen; elapsedMs since the frame before.
    void FrameDrawn(uint32_t elapsedMs, const ButtonPanel& buttons);
    // Writes the figures a last time, as the last frame left them, and waits for both files to be
    // written; watches nothing more.
    void Finish();

    void SceneStarted(const char* scene, stats::StartCause cause) override;
    void ContentLoaded(const std::string& path, bool ok) override;

private:
    void PostMetrics();

    const Presentation& show;
    stats::VisitRecording& visits;
    monitor::Figures figures;
    std::unique_ptr<monitor::BackgroundWriter> metrics;
    std::unique_ptr<monitor::BackgroundWriter> snapshot;
    monitor::FrameReadback readback;
    uint64_t snapshotEveryMs;
    bool firstFrame = true;
    uint64_t msSinceMetrics = 0;
    uint64_t msSinceSnapshot = 0;
    // As the last frame found them; the scenes are gone by the time the last figures are written.
    std::vector<std::pair<std::string, bool>> scenes;
    std::vector<bool> stuck;
};
