// MP3 tracks decoded whole into memory by the system's MP3 codec (the Audio Compression Manager), in the
// output's format: what the Windows music stream plays and the track check measures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DecodedTrack {
    // Interleaved 16-bit samples at kAudioMixRate with kAudioChannels channels.
    std::vector<int16_t> samples;
    // What the file's header says the track lasts, in output frames; 0 when it does not say.
    uint64_t statedFrames = 0;
    // Empty when the file decoded; otherwise what is wrong, in a few words.
    std::string problem;
};

// Decodes the file found at `path` (already resolved). The encoder's delay and padding recorded in the
// file's information frame are cut off, so a track that loops has no gap.
DecodedTrack DecodeMp3File(const std::string& path);

} // namespace platform
