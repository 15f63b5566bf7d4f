#include "monitor/Figures.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace monitor {
namespace {

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
    Family(text, "standview_info", "gauge", "The show that runs: its version and how it draws the glow.");
    Sample(text, "standview_info", {{"version", version}, {"glow", kGlowNames[glowFast ? 1 : 0]}}, "1");

    Family(text, "standview_start_time_seconds", "gauge",
           "When the show started, in seconds since 1970 (UTC).");
    Sample(text, "standview_start_time_seconds", {}, Seconds(startUtcMs));

    Family(text, "standview_frames_total", "counter", "Frames shown since the show started.");
    Sample(text, "standview_frames_total", {}, std::to_string(frames));

    Family(text, "standview_frame_seconds", "histogram", "Time from one frame to the next.");
    uint64_t cumulative = 0;
    for (size_t i = 0; i < kFrameBucketBoundsMs.size(); ++i) {
        cumulative += frameBuckets[i];
        Sample(text, "standview_frame_seconds_bucket", {{"le", BoundLabel(kFrameBucketBoundsMs[i])}},
               std::to_string(cumulative));
    }
    Sample(text, "standview_frame_seconds_bucket", {{"le", "+Inf"}}, std::to_string(frames));
    Sample(text, "standview_frame_seconds_sum", {}, Seconds(static_cast<int64_t>(frameMsSum)));
    Sample(text, "standview_frame_seconds_count", {}, std::to_string(frames));

    Family(text, "standview_last_frame_timestamp_seconds", "gauge",
           "When the last frame was shown, in seconds since 1970 (UTC); 0 before the first.");
    Sample(text, "standview_last_frame_timestamp_seconds", {}, Seconds(lastFrameUtcMs));

    Family(text, "standview_scene", "gauge", "1 for the scene that runs, 0 for the others.");
    for (const auto& [scene, running] : scenes) {
        Sample(text, "standview_scene", {{"scene", scene}}, Flag(running));
    }

    Family(text, "standview_scene_starts_total", "counter",
           "Scene starts since the show started, by what started them (as the visit statistics name it).");
    std::map<std::pair<std::string, std::string>, uint64_t> starts = sceneStarts;
    for (const auto& scene : scenes) {
        for (const std::string& cause : causes) {
            starts.emplace(std::make_pair(scene.first, cause), 0);
        }
    }
    for (const auto& [key, count] : starts) {
        Sample(text, "standview_scene_starts_total", {{"scene", key.first}, {"cause", key.second}},
               std::to_string(count));
    }

    Family(text, "standview_button_stuck", "gauge",
           "1 for a visitors' button held so long without a break that it is ignored as stuck.");
    for (size_t i = 0; i < stuck.size(); ++i) {
        Sample(text, "standview_button_stuck", {{"button", std::to_string(i + 1)}}, Flag(stuck[i]));
    }

    Family(text, "standview_content_ok", "gauge",
           "1 while every content file loaded at its latest try; 0 when one failed to load.");
    const bool contentOk =
        std::none_of(contentLoads.begin(), contentLoads.end(), [](const auto& load) { return !load.second; });
    Sample(text, "standview_content_ok", {}, Flag(contentOk));
    return text;
}

} // namespace monitor
