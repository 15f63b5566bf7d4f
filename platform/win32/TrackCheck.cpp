#include "platform/TrackCheck.h"

#include "platform/AudioDevice.h"
#include "platform/Paths.h"
#include "platform/win32/AudioMp3.h"

#include <cstdio>

namespace platform {
namespace {

// A track that decodes to less than this share of what its header states ends early.
constexpr double kShortestDecodedShare = 0.9;

} // namespace

// The music stream's own decoder, run into memory: no sound device is opened, so this may run while
// the show plays.
std::string CheckTrackDecodes(const std::string& path) {
    const DecodedTrack track = DecodeMp3File(ResolvePath(path));
    if (!track.problem.empty()) {
        return track.problem;
    }
    const double decodedSeconds = static_cast<double>(track.samples.size() / kAudioChannels) / kAudioMixRate;
    const double statedSeconds = static_cast<double>(track.statedFrames) / kAudioMixRate;
    if (statedSeconds > 0.0 && decodedSeconds < statedSeconds * kShortestDecodedShare) {
        char text[96];
        std::snprintf(text, sizeof text, "decodes only %.1f s of its %.1f s", decodedSeconds, statedSeconds);
        return text;
    }
    return {};
}

} // namespace platform
