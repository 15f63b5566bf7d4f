// MP3 tracks decoded whole into memory by the system's MP3 codec (the Audio Compression Manager), in the
// output's format: what the Windows music stream plays and the track check measures.
#pragma once

#include <cstdint>
#include <memory>
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

// Decodes an MP3 file a stretch at a time. The encoder's delay and padding recorded in the file's
// information frame are cut off, so a track that loops has no gap.
class Mp3Decoder {
public:
    Mp3Decoder();
    ~Mp3Decoder();
    Mp3Decoder(Mp3Decoder&&) noexcept;
    Mp3Decoder& operator=(Mp3Decoder&&) noexcept;

    // Reads the file at `path` (already resolved) and opens the codec; false when either fails.
    bool Open(const std::string& path);
    // Appends the next stretch of samples; false once the track has ended or cannot be decoded further.
    bool DecodeMore(std::vector<int16_t>& samples);
    // Empty while nothing went wrong; otherwise what, in a few words.
    const std::string& Problem() const { return problem; }
    // What the file's header says the track lasts, in output frames; 0 when it does not say.
    uint64_t StatedFrames() const { return statedFrames; }

private:
    struct State;
    std::unique_ptr<State> state;
    std::string problem;
    uint64_t statedFrames = 0;
};

// The whole file decoded at once.
DecodedTrack DecodeMp3File(const std::string& path);

} // namespace platform
