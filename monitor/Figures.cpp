#include "monitor/Figures.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace monitor {
namespace {

// The metrics' names.
constexpr const char* kInfo = "standview_info";
constexpr const char* kStartTime = "standview_start_time_seconds";
constexpr const char* kFrames = "standview_frames_total";
constexpr const char* kFrameSeconds = "standview_frame_seconds";
constexpr const char* kLastFrameTime = "standview_last_frame_timestamp_seconds";
constexpr const char* kMovieFrames = "standview_movie_frames_total";
constexpr const char* kScene = "standview_scene";
constexpr const char* kSceneStarts = "standview_scene_starts_total";
constexpr const char* kButtonStuck = "standview_button_stuck";
constexpr const char* kContentOk = "standview_content_ok";

constexpr const char* kGauge = "gauge";
constexpr const char* kCounter = "counter";
constexpr const char* kHistogram = "histogram";
constexpr const char* kSceneLabel = "scene";
constexpr const char* kBucketLabel = "le";

constexpr const char* kGlowNames[] = {"exact", "fast"};
constexpr int64_t kMillisecondsPerSecond = 1000;

using Labels = std::vector<std::pair<const char*, std::string>>;

// A label's value with the backslash, the double quote and the line end escaped as the format asks.
std::string Escaped(const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '\\' || c == '"') {
            escaped += '\\';
            escaped += c;
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void Family(std::string& text, const char* name, const char* type, const char* help) {
    text += std::string("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
}

void Sample(std::string& text, const std::string& name, const Labels& labels, const std::string& value) {
    text += name;
    for (size_t i = 0; i < labels.size(); ++i) {
        text += (i == 0 ? "{" : ",") + std::string(labels[i].first) + "=\"" + Escaped(labels[i].second) + '"';
    }
    text += (labels.empty() ? " " : "} ") + value + '\n';
}

// Milliseconds as seconds with three decimals, exactly.
std::string Seconds(int64_t milliseconds) {
    char number[32];
    std::snprintf(number, sizeof number, "%" PRId64 ".%03" PRId64, milliseconds / kMillisecondsPerSecond,
                  milliseconds % kMillisecondsPerSecond);
    return number;
}

std::string BoundLabel(uint32_t boundMs) {
    char bound[32];
    std::snprintf(bound, sizeof bound, "%g", static_cast<double>(boundMs) / kMillisecondsPerSecond);
    return bound;
}

std::string Flag(bool value) {
    return value ? "1" : "0";
}

} // namespace

Figures::Figures(std::string version, int64_t startUtcMs, std::vector<std::string> causes)
    : version(std::move(version)), causes(std::move(causes)), startUtcMs(startUtcMs) {}

void Figures::CountFrame(uint32_t elapsedMs, int64_t utcMs, bool fast) {
    ++frames;
    frameMsSum += elapsedMs;
    const auto bucket = std::lower_bound(kFrameBucketBoundsMs.begin(), kFrameBucketBoundsMs.end(), elapsedMs);
    ++frameBuckets[static_cast<size_t>(bucket - kFrameBucketBoundsMs.begin())];
    lastFrameUtcMs = utcMs;
    glowFast = fast;
}

void Figures::SetMovieFrames(uint64_t shown) {
    movieFrames = shown;
}

void Figures::SetScenes(const std::vector<std::pair<std::string, bool>>& running) {
    scenes = running;
}

void Figures::CountSceneStart(const std::string& scene, const std::string& cause) {
    ++sceneStarts[{scene, cause}];
}

void Figures::SetStuckButtons(const std::vector<bool>& buttons) {
    stuck = buttons;
}

void Figures::ContentLoaded(const std::string& path, bool ok) {
    contentLoads[path] = ok;
}

std::string Figures::Text() const {
    std::string text;
    Family(text, kInfo, kGauge, "The show that runs: its version and how it draws the glow.");
    Sample(text, kInfo, {{"version", version}, {"glow", kGlowNames[glowFast ? 1 : 0]}}, "1");

    Family(text, kStartTime, kGauge, "When the show started, in seconds since 1970 (UTC).");
    Sample(text, kStartTime, {}, Seconds(startUtcMs));

    Family(text, kFrames, kCounter, "Frames shown since the show started.");
    Sample(text, kFrames, {}, std::to_string(frames));

    Family(text, kFrameSeconds, kHistogram, "Time from one frame to the next.");
    const std::string bucket = kFrameSeconds + std::string("_bucket");
    uint64_t cumulative = 0;
    for (size_t i = 0; i < kFrameBucketBoundsMs.size(); ++i) {
        cumulative += frameBuckets[i];
        Sample(text, bucket, {{kBucketLabel, BoundLabel(kFrameBucketBoundsMs[i])}},
               std::to_string(cumulative));
    }
    Sample(text, bucket, {{kBucketLabel, "+Inf"}}, std::to_string(frames));
    Sample(text, kFrameSeconds + std::string("_sum"), {}, Seconds(static_cast<int64_t>(frameMsSum)));
    Sample(text, kFrameSeconds + std::string("_count"), {}, std::to_string(frames));

    Family(text, kLastFrameTime, kGauge,
           "When the last frame was shown, in seconds since 1970 (UTC); 0 before the first.");
    Sample(text, kLastFrameTime, {}, Seconds(lastFrameUtcMs));

    Family(text, kMovieFrames, kCounter, "New movie pictures put on the video cubes since the show started.");
    Sample(text, kMovieFrames, {}, std::to_string(movieFrames));

    Family(text, kScene, kGauge, "1 for the scene that runs, 0 for the others.");
    for (const auto& [scene, running] : scenes) {
        Sample(text, kScene, {{kSceneLabel, scene}}, Flag(running));
    }

    Family(text, kSceneStarts, kCounter,
           "Scene starts since the show started, by what started them (as the visit statistics name it).");
    std::map<std::pair<std::string, std::string>, uint64_t> starts = sceneStarts;
    for (const auto& scene : scenes) {
        for (const std::string& cause : causes) {
            starts.emplace(std::make_pair(scene.first, cause), 0);
        }
    }
    for (const auto& [key, count] : starts) {
        Sample(text, kSceneStarts, {{kSceneLabel, key.first}, {"cause", key.second}}, std::to_string(count));
    }

    Family(text, kButtonStuck, kGauge,
           "1 for a visitors' button held so long without a break that it is ignored as stuck.");
    for (size_t i = 0; i < stuck.size(); ++i) {
        Sample(text, kButtonStuck, {{"button", std::to_string(i + 1)}}, Flag(stuck[i]));
    }

    Family(text, kContentOk, kGauge,
           "1 while every content file loaded at its latest try; 0 when one failed to load.");
    const bool contentOk =
        std::none_of(contentLoads.begin(), contentLoads.end(), [](const auto& load) { return !load.second; });
    Sample(text, kContentOk, {}, Flag(contentOk));
    return text;
}

} // namespace monitor
