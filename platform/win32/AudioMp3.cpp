#include "platform/win32/AudioMp3.h"

#include "platform/AudioDevice.h"

#include <windows.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace platform {
namespace {

// Music files larger than this are refused rather than read into memory.
constexpr uint64_t kLargestTrackBytes = 64ull << 20;
// MP3 data handed to the codec at a time: a few seconds of music at the usual bitrates.
constexpr size_t kSourceChunkBytes = 32 * 1024;
constexpr size_t kFrameHeaderBytes = 4;
constexpr size_t kId3HeaderBytes = 10;
// Every MP3 decoder's output lags its input by this many samples (the synthesis filter bank's delay);
// the delay recorded by the encoder is counted from there.
constexpr uint64_t kDecoderDelaySamples = 529;
constexpr int kBytesPerSample = 2;
// The encoder delay and padding of the LAME information frame are 12 bits each, in the 3 bytes that
// follow this many bytes after the encoder's name.
constexpr size_t kLameDelayOffset = 21;
// What a codec reports as its own delay when asked to describe a stream it decodes.
constexpr WORD kCodecDelay = 1393;

struct FrameHeader {
    int sampleRate = 0;
    int channels = 0;
    int bitrate = 0; // bits per second
    int samplesPerFrame = 0;
    size_t bytes = 0;
    size_t sideInfoBytes = 0;
};

// Layer III frames only; false for anything else, free-format frames included.
bool ParseFrameHeader(const uint8_t* data, FrameHeader& header) {
    if (data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int version = (data[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (data[1] >> 1) & 3;
    const int bitrateIndex = data[2] >> 4;
    const int rateIndex = (data[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
        return false;
    }
    static const int kMpeg1Bitrates[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kMpeg2Bitrates[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kMpeg1Rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int rateDivisor = mpeg1 ? 1 : version == 2 ? 2 : 4;
    header.sampleRate = kMpeg1Rates[rateIndex] / rateDivisor;
    header.bitrate = (mpeg1 ? kMpeg1Bitrates : kMpeg2Bitrates)[bitrateIndex] * 1000;
    header.channels = (data[3] >> 6) == 3 ? 1 : 2;
    header.samplesPerFrame = mpeg1 ? 1152 : 576;
    const int padding = (data[2] >> 1) & 1;
    header.bytes =
        static_cast<size_t>(header.samplesPerFrame / 8 * header.bitrate / header.sampleRate + padding);
    header.sideInfoBytes = mpeg1 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
    return true;
}

uint32_t ReadBigEndian(const uint8_t* data, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = value << 8 | data[i];
    }
    return value;
}

// What an information frame ("Xing" or "Info") at the start of the stream says.
struct StreamFacts {
    bool present = false;
    uint32_t frames = 0; // audio frames after the information frame; 0 when not given
    uint32_t encoderDelay = 0;
    uint32_t padding = 0;
};

StreamFacts ReadInformationFrame(const uint8_t* frame, const FrameHeader& header) {
    StreamFacts facts;
    size_t at = kFrameHeaderBytes + header.sideInfoBytes;
    const size_t end = header.bytes;
    if (at + 8 > end ||
        (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0)) {
        return facts;
    }
    facts.present = true;
    const uint32_t flags = ReadBigEndian(frame + at + 4, 4);
    at += 8;
    const struct {
        uint32_t flag;
        size_t bytes;
    } fields[] = {{1, 4}, {2, 4}, {4, 100}, {8, 4}}; // frames, bytes, seek table, quality
    for (const auto& field : fields) {
        if ((flags & field.flag) == 0) {
            continue;
        }
        if (at + field.bytes > end) {
            return facts;
        }
        if (field.flag == 1) {
            facts.frames = ReadBigEndian(frame + at, 4);
        }
        at += field.bytes;
    }
    if (at + kLameDelayOffset + 3 <= end) {
        const uint32_t delays = ReadBigEndian(frame + at + kLameDelayOffset, 3);
        facts.encoderDelay = delays >> 12;
        facts.padding = delays & 0xFFF;
    }
    return facts;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = "cannot be opened";
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
    if (!ok) {
        problem = "not a file";
    } else if (static_cast<uint64_t>(size.QuadPart) > kLargestTrackBytes) {
        problem = "too large";
        ok = false;
    } else {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok =
            bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                              got == bytes.size());
        if (!ok) {
            problem = "cannot be read";
        }
    }
    CloseHandle(file);
    return ok;
}

// Where the audio frames begin: after an ID3v2 tag, at the first frame whose successor follows where
// its header says it ends (a lone sync pattern in a tag's leftovers is not taken for a frame).
size_t FindFirstFrame(const std::vector<uint8_t>& bytes, FrameHeader& header) {
    size_t at = 0;
    if (bytes.size() >= kId3HeaderBytes && std::memcmp(bytes.data(), "ID3", 3) == 0) {
        const uint8_t* size = &bytes[6];
        at = kId3HeaderBytes +
             ((size[0] & 0x7F) << 21 | (size[1] & 0x7F) << 14 | (size[2] & 0x7F) << 7 | (size[3] & 0x7F));
        if (bytes[5] & 0x10) {
            at += kId3HeaderBytes; // the footer
        }
    }
    for (; at + kFrameHeaderBytes <= bytes.size(); ++at) {
        if (!ParseFrameHeader(&bytes[at], header)) {
            continue;
        }
        const size_t next = at + header.bytes;
        FrameHeader following;
        if (next + kFrameHeaderBytes > bytes.size() || ParseFrameHeader(&bytes[next], following)) {
            return at;
        }
    }
    return bytes.size();
}

// One conversion by the Audio Compression Manager, fed a piece at a time.
class AcmStream {
public:
    AcmStream(WAVEFORMATEX* source, WAVEFORMATEX* target) {
        // The codec is asked for a conversion that need not keep up with playback, then for any.
        for (const DWORD flags : {DWORD{ACM_STREAMOPENF_NONREALTIME}, DWORD{0}}) {
            if (acmStreamOpen(&stream, nullptr, source, target, nullptr, 0, 0, flags) == MMSYSERR_NOERROR) {
                return;
            }
            stream = nullptr;
        }
    }
    ~AcmStream() {
        if (stream) {
            acmStreamClose(stream, 0);
        }
    }
    AcmStream(const AcmStream&) = delete;
    AcmStream& operator=(const AcmStream&) = delete;

    bool Opened() const { return stream != nullptr; }

    // Converts what it can of `input` after what was left over before, appending the output bytes; with
    // `last`, all of it but an incomplete block at the end.
    bool Push(const uint8_t* input, size_t size, bool last, std::vector<uint8_t>& output) {
        pending.insert(pending.end(), input, input + size);
        while (!pending.empty()) {
            const DWORD flags = (started ? 0 : ACM_STREAMCONVERTF_START) |
                                (last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN);
            DWORD targetBytes = 0;
            if (acmStreamSize(stream, static_cast<DWORD>(pending.size()), &targetBytes,
                              ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR) {
                return false;
            }
            target.resize(std::max<DWORD>(targetBytes, 1));
            ACMSTREAMHEADER chunk{};
            chunk.cbStruct = sizeof chunk;
            chunk.pbSrc = pending.data();
            chunk.cbSrcLength = static_cast<DWORD>(pending.size());
            chunk.pbDst = target.data();
            chunk.cbDstLength = static_cast<DWORD>(target.size());
            if (acmStreamPrepareHeader(stream, &chunk, 0) != MMSYSERR_NOERROR) {
                return false;
            }
            const bool converted = acmStreamConvert(stream, &chunk, flags) == MMSYSERR_NOERROR;
            const DWORD used = chunk.cbSrcLengthUsed;
            const DWORD produced = chunk.cbDstLengthUsed;
            chunk.cbSrcLength = static_cast<DWORD>(pending.size());
            chunk.cbDstLength = static_cast<DWORD>(target.size());
            acmStreamUnprepareHeader(stream, &chunk, 0);
            if (!converted || used > pending.size() || produced > target.size()) {
                return false;
            }
            started = true;
            output.insert(output.end(), target.begin(), target.begin() + produced);
            pending.erase(pending.begin(), pending.begin() + used);
            // What is left waits for more input.
            if (used == 0) {
                break;
            }
        }
        return true;
    }

private:
    HACMSTREAM stream = nullptr;
    std::vector<uint8_t> pending;
    std::vector<uint8_t> target;
    bool started = false;
};

WAVEFORMATEX PcmFormat(int rate, int channels) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * kBytesPerSample);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return format;
}

} // namespace

struct Mp3Decoder::State {
    std::vector<uint8_t> bytes;
    size_t next = 0; // the next byte of the file for the codec
    bool ended = false;
    int channels = 0;
    int sampleRate = 0;
    uint64_t decodedFrames = 0; // what the codec gave so far, before the cuts
    uint64_t keepFrom = 0;      // the first frame after the encoder's delay
    uint64_t keepUntil = UINT64_MAX;
    std::unique_ptr<AcmStream> decoder;
    std::unique_ptr<AcmStream> resampler;
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> stereo;
    std::vector<uint8_t> resampled;
};

Mp3Decoder::Mp3Decoder() : state(std::make_unique<State>()) {}
Mp3Decoder::~Mp3Decoder() = default;
Mp3Decoder::Mp3Decoder(Mp3Decoder&&) noexcept = default;
Mp3Decoder& Mp3Decoder::operator=(Mp3Decoder&&) noexcept = default;

bool Mp3Decoder::Open(const std::string& path) {
    State& s = *state;
    if (!ReadWholeFile(path, s.bytes, problem)) {
        return false;
    }
    FrameHeader first;
    s.next = FindFirstFrame(s.bytes, first);
    if (s.next >= s.bytes.size()) {
        problem = "no MP3 audio";
        return false;
    }
    const StreamFacts facts = ReadInformationFrame(&s.bytes[s.next], first);
    if (facts.present) {
        s.next += first.bytes;
    }
    s.channels = first.channels;
    s.sampleRate = first.sampleRate;
    // The encoder's delay and padding are cut off, as the Linux decoder does, so a loop has no seam.
    if (facts.present && facts.frames > 0) {
        const uint64_t coded = static_cast<uint64_t>(facts.frames) * first.samplesPerFrame;
        s.keepFrom = facts.encoderDelay + kDecoderDelaySamples;
        s.keepUntil = coded + kDecoderDelaySamples - std::min<uint64_t>(facts.padding, coded);
        statedFrames = coded - std::min<uint64_t>(coded, facts.encoderDelay + facts.padding);
    } else {
        // Without a frame count the length is estimated from the size at the first frame's bitrate.
        statedFrames = static_cast<uint64_t>(s.bytes.size() - s.next) * 8 * first.sampleRate / first.bitrate;
    }

    MPEGLAYER3WAVEFORMAT mp3{};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(first.channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrate / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = static_cast<WORD>(first.samplesPerFrame / 8 * first.bitrate / first.sampleRate);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = kCodecDelay;
    WAVEFORMATEX decoded = PcmFormat(first.sampleRate, first.channels);
    s.decoder = std::make_unique<AcmStream>(&mp3.wfx, &decoded);
    if (!s.decoder->Opened()) {
        problem = "no MP3 codec for this stream";
        return false;
    }
    // Another rate goes through the system's PCM converter.
    if (first.sampleRate != kAudioMixRate) {
        WAVEFORMATEX from = PcmFormat(first.sampleRate, kAudioChannels);
        WAVEFORMATEX to = PcmFormat(kAudioMixRate, kAudioChannels);
        s.resampler = std::make_unique<AcmStream>(&from, &to);
        statedFrames = statedFrames * kAudioMixRate / first.sampleRate;
        if (!s.resampler->Opened()) {
            problem = "its sample rate cannot be converted";
            return false;
        }
    }
    return true;
}

bool Mp3Decoder::DecodeMore(std::vector<int16_t>& samples) {
    State& s = *state;
    if (!s.decoder || !problem.empty() || s.ended) {
        return false;
    }
    const size_t taken = std::min<size_t>(kSourceChunkBytes, s.bytes.size() - s.next);
    const bool last = s.next + taken == s.bytes.size();
    s.pcm.clear();
    if (!s.decoder->Push(s.bytes.data() + s.next, taken, last, s.pcm)) {
        problem = "cannot be decoded";
        return false;
    }
    s.next += taken;
    s.ended = last;

    // Mono is heard on both sides.
    const size_t frameBytes = static_cast<size_t>(s.channels) * kBytesPerSample;
    s.stereo.clear();
    for (size_t frame = 0; frame < s.pcm.size() / frameBytes; ++frame, ++s.decodedFrames) {
        if (s.decodedFrames < s.keepFrom || s.decodedFrames >= s.keepUntil) {
            continue;
        }
        const uint8_t* sample = &s.pcm[frame * frameBytes];
        for (int channel = 0; channel < kAudioChannels; ++channel) {
            const uint8_t* from = sample + (s.channels == 1 ? 0 : channel * kBytesPerSample);
            s.stereo.insert(s.stereo.end(), from, from + kBytesPerSample);
        }
    }
    const std::vector<uint8_t>* output = &s.stereo;
    if (s.resampler) {
        s.resampled.clear();
        if (!s.resampler->Push(s.stereo.data(), s.stereo.size(), last, s.resampled)) {
            problem = "its sample rate cannot be converted";
            return false;
        }
        output = &s.resampled;
    }
    const size_t first = samples.size();
    samples.resize(first + output->size() / kBytesPerSample);
    std::memcpy(samples.data() + first, output->data(), (samples.size() - first) * kBytesPerSample);
    return !last;
}

DecodedTrack DecodeMp3File(const std::string& path) {
    DecodedTrack track;
    Mp3Decoder decoder;
    if (decoder.Open(path)) {
        while (decoder.DecodeMore(track.samples)) {
        }
    }
    track.problem = decoder.Problem();
    track.statedFrames = decoder.StatedFrames();
    if (track.problem.empty() && track.samples.empty()) {
        track.problem = "decodes to no sound";
    }
    return track;
}

} // namespace platform
