#include "media/Sound.h"

#include "core/ContentLoads.h"
#include "platform/MessageLines.h"
#include "platform/Paths.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

uint32_t StartOffsetMs(float startSeconds) {
    const double milliseconds = std::trunc(static_cast<double>(startSeconds) * kMillisecondsPerSecond);
    // A negative or unreadable offset starts at the beginning; a huge one stops at the longest
    // offset the device can be given.
    if (!(milliseconds > 0.0)) {
        return 0;
    }
    return milliseconds >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(milliseconds);
}

} // namespace

FMODSound::FMODSound() {
    deviceHeld = platform::CurrentAudioDevice().Acquire();
    if (!deviceHeld) {
        platform::PrintMessage("FMODSound: Cannot initialize sound!!\n");
    }
}

FMODSound::~FMODSound() {
    // The stream holds its own share of the device, so it goes first either way.
    stream.reset();
    if (deviceHeld) {
        platform::CurrentAudioDevice().Release();
    }
}

void FMODSound::PlayTrack(const char* path, float startSeconds) {
    const std::string requested = path ? path : "";
    if (requested == currentTrack && stream && stream->Playing()) {
        return;
    }
    // The same track stopped earlier is played again from its open stream; any other is opened anew.
    if (requested != currentTrack || !stream) {
        currentTrack = requested;
        if (stream) {
            stream->Stop();
        }
        stream = platform::CurrentAudioDevice().OpenMusic(requested);
        // Without a sound device no track opens, whatever the file holds.
        if (deviceHeld) {
            ReportContentLoad(requested, stream != nullptr);
        }
        if (!stream) {
            // The file the device was asked for, in the content folder where one is set.
            platform::PrintMessage("FMODSound: Cannot load track - %s",
                                   platform::ResolvePath(requested).c_str());
            return;
        }
    }
    stream->SetPositionMs(StartOffsetMs(startSeconds));
    stream->SetLooping(true);
    stream->Play();
}

void FMODSound::StopTrack() {
    if (stream) {
        stream->Stop();
    }
}
