// The show's figures for watching it from afar, in Prometheus' text exposition format: what runs and
// since when, how many frames and how long they take, which scenes started and why, stuck buttons and
// content that failed to load. The frame thread keeps them up to date; a copy of them is what the
// metrics file is written from.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace monitor {

// Upper bounds of the frame-time histogram's buckets, in milliseconds: a refresh at 60 Hz and at 30 Hz,
// the software rasterizer's usual frames, and frames slow enough for a person to notice.
constexpr std::array<uint32_t, 9> kFrameBucketBoundsMs = {10, 20, 40, 70, 100, 200, 500, 1000, 2500};

class Figures {
public:
    // What the show runs as, when it started (UTC milliseconds since 1970), and every cause a scene
    // start can have: each scene's count is listed for each of them, from 0.
    Figures(std::string version, int64_t startUtcMs, std::vector<std::string> causes);

    // A frame shown at utcMs, `elapsedMs` after the one before it. glowFast: how its glow was drawn.
    void CountFrame(uint32_t elapsedMs, int64_t utcMs, bool glowFast);
    // New movie pictures put on the video cubes since the show started.
    void SetMovieFrames(uint64_t shown);
    // Each scene by its registry name, running or not, in the order they are to be listed.
    void SetScenes(const std::vector<std::pair<std::string, bool>>& scenes);
    // cause: as the visit statistics name it.
    void CountSceneStart(const std::string& scene, const std::string& cause);
    // stuck[i]: button i + 1.
    void SetStuckButtons(const std::vector<bool>& stuck);
    // The latest load of the file at this path worked or failed; a file that loads after a failure is
    // well again.
    void ContentLoaded(const std::string& path, bool ok);

    // The metrics, HELP and TYPE lines included.
    std::string Text() const;

private:
    std::string version;
    std::vector<std::string> causes;
    bool glowFast = false;
    int64_t startUtcMs;
    int64_t lastFrameUtcMs = 0;
    uint64_t frames = 0;
    // Frames per bucket, not cumulative; the last counts those above every bound.
    std::array<uint64_t, kFrameBucketBoundsMs.size() + 1> frameBuckets{};
    uint64_t frameMsSum = 0;
    uint64_t movieFrames = 0;
    std::vector<std::pair<std::string, bool>> scenes;
    std::map<std::pair<std::string, std::string>, uint64_t> sceneStarts;
    std::vector<bool> stuck;
    std::map<std::string, bool> contentLoads;
};

} // namespace monitor
