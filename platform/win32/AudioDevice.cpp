// The Windows sound output: tracks decoded by the system's MP3 codec on a thread of their own, played
// through one waveOut stream that a feeding thread keeps filled, with silence while no music plays.
#include "platform/AudioDevice.h"

#include "platform/Paths.h"
#include "platform/SystemBackend.h"
#include "platform/win32/AudioMp3.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

// Output frames a buffer holds: about 46 ms at the mix rate, so a stop is heard at once and the queue
// of buffers outlasts a busy frame of the show.
constexpr size_t kBufferFrames = 2048;
constexpr int kBufferCount = 4;

// A track's samples as its decoding thread delivers them.
struct DecodedSamples {
    std::mutex lock;
    std::vector<int16_t> samples;
    bool complete = false;
    std::atomic<bool> abandoned{false};
};

// What the channel plays: a track and where it has got to.
struct Playback {
    std::shared_ptr<DecodedSamples> track;
    size_t nextFrame = 0;
    bool looping = false;
    bool ended = false;
};

class WaveOutDevice;

class WaveOutMusicStream final : public MusicStream {
public:
    WaveOutMusicStream(WaveOutDevice& device, Mp3Decoder decoder);
    ~WaveOutMusicStream() override;
    void SetPositionMs(uint32_t milliseconds) override { positionMs = milliseconds; }
    void SetLooping(bool loop) override { looping = loop; }
    void Play() override;
    void Stop() override;
    bool Playing() const override;

private:
    WaveOutDevice& device;
    std::shared_ptr<DecodedSamples> track = std::make_shared<DecodedSamples>();
    std::thread decoding;
    uint32_t positionMs = 0;
    bool looping = false;
};

class WaveOutDevice final : public internal::SharedAudioOutput {
public:
    // A share still held when the process ends: the feeding thread is stopped before it is destroyed.
    ~WaveOutDevice() override {
        if (Held()) {
            CloseOutput();
        }
    }

    // Puts the stream on the channel from `frame` on; what was queued before is dropped, so the change
    // is heard at once.
    void Start(const WaveOutMusicStream* stream, std::shared_ptr<DecodedSamples> track, size_t frame,
               bool looping) {
        std::lock_guard<std::mutex> hold(lock);
        owner = stream;
        playback = Playback{std::move(track), frame, looping, false};
        waveOutReset(output);
    }

    void Silence(const WaveOutMusicStream* stream) {
        std::lock_guard<std::mutex> hold(lock);
        if (owner != stream) {
            return;
        }
        owner = nullptr;
        playback = Playback{};
        waveOutReset(output);
    }

    bool Plays(const WaveOutMusicStream* stream) {
        std::lock_guard<std::mutex> hold(lock);
        return owner == stream && !playback.ended;
    }

private:
    std::unique_ptr<MusicStream> LoadMusic(const std::string& path) override {
        // The file is read and its codec opened here; the decoding runs beside the show.
        Mp3Decoder decoder;
        if (!decoder.Open(ResolvePath(path))) {
            return nullptr;
        }
        return std::make_unique<WaveOutMusicStream>(*this, std::move(decoder));
    }

    bool OpenOutput() override {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = kAudioChannels;
        format.nSamplesPerSec = kAudioMixRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(kAudioChannels * sizeof(int16_t));
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!bufferDone) {
            return false;
        }
        if (waveOutOpen(&output, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferDone), 0,
                        CALLBACK_EVENT) != MMSYSERR_NOERROR) {
            CloseHandle(bufferDone);
            bufferDone = nullptr;
            output = nullptr;
            return false;
        }
        for (int i = 0; i < kBufferCount; ++i) {
            blocks[i].assign(kBufferFrames * kAudioChannels, 0);
            headers[i] = WAVEHDR{};
            headers[i].lpData = reinterpret_cast<LPSTR>(blocks[i].data());
            headers[i].dwBufferLength = static_cast<DWORD>(blocks[i].size() * sizeof(int16_t));
            waveOutPrepareHeader(output, &headers[i], sizeof headers[i]);
            // Marked played, so the feeder fills and queues it first.
            headers[i].dwFlags |= WHDR_DONE;
        }
        quitting = false;
        feeder = std::thread([this] { Feed(); });
        SetEvent(bufferDone);
        return true;
    }

    void CloseOutput() override {
        {
            std::lock_guard<std::mutex> hold(lock);
            quitting = true;
            owner = nullptr;
            playback = Playback{};
        }
        SetEvent(bufferDone);
        feeder.join();
        waveOutReset(output);
        for (WAVEHDR& header : headers) {
            waveOutUnprepareHeader(output, &header, sizeof header);
        }
        waveOutClose(output);
        output = nullptr;
        CloseHandle(bufferDone);
        bufferDone = nullptr;
    }

    // Refills every buffer the output has played and queues it again, until the device closes.
    void Feed() {
        for (;;) {
            WaitForSingleObject(bufferDone, INFINITE);
            std::lock_guard<std::mutex> hold(lock);
            if (quitting) {
                return;
            }
            for (int i = 0; i < kBufferCount; ++i) {
                if ((headers[i].dwFlags & WHDR_DONE) == 0) {
                    continue;
                }
                Fill(blocks[i]);
                headers[i].dwFlags &= ~WHDR_DONE;
                waveOutWrite(output, &headers[i], sizeof headers[i]);
            }
        }
    }

    // A track still being decoded that has not yet reached the place to play leaves the rest of the
    // block silent; it is played from there when it has.
    void Fill(std::vector<int16_t>& block) {
        size_t filled = 0;
        const size_t wanted = block.size() / kAudioChannels;
        while (filled < wanted && playback.track && !playback.ended) {
            DecodedSamples& track = *playback.track;
            std::lock_guard<std::mutex> hold(track.lock);
            const size_t frames = track.samples.size() / kAudioChannels;
            if (playback.nextFrame >= frames) {
                if (!track.complete) {
                    break;
                }
                if (!playback.looping || frames == 0) {
                    playback.ended = true;
                    break;
                }
                playback.nextFrame = 0;
            }
            const size_t taken = std::min(wanted - filled, frames - playback.nextFrame);
            const auto from =
                track.samples.begin() + static_cast<ptrdiff_t>(playback.nextFrame * kAudioChannels);
            std::copy(from, from + static_cast<ptrdiff_t>(taken * kAudioChannels),
                      block.begin() + static_cast<ptrdiff_t>(filled * kAudioChannels));
            filled += taken;
            playback.nextFrame += taken;
        }
        std::fill(block.begin() + static_cast<ptrdiff_t>(filled * kAudioChannels), block.end(), int16_t{0});
    }

    HWAVEOUT output = nullptr;
    HANDLE bufferDone = nullptr;
    std::thread feeder;
    WAVEHDR headers[kBufferCount] = {};
    std::vector<int16_t> blocks[kBufferCount];

    // Shared with the feeding thread.
    std::mutex lock;
    bool quitting = false;
    const WaveOutMusicStream* owner = nullptr;
    Playback playback;
};

WaveOutMusicStream::WaveOutMusicStream(WaveOutDevice& device, Mp3Decoder decoder) : device(device) {
    decoding = std::thread([track = track, decoder = std::move(decoder)]() mutable {
        std::vector<int16_t> stretch;
        bool more = true;
        while (more && !track->abandoned) {
            stretch.clear();
            more = decoder.DecodeMore(stretch);
            std::lock_guard<std::mutex> hold(track->lock);
            track->samples.insert(track->samples.end(), stretch.begin(), stretch.end());
            track->complete = !more;
        }
    });
}

WaveOutMusicStream::~WaveOutMusicStream() {
    Stop();
    track->abandoned = true;
    decoding.join();
    device.Release();
}

void WaveOutMusicStream::Play() {
    // Where the track ends is known once it is decoded: a looping piece started beyond its end starts
    // over, one that does not loop just ends.
    const size_t frame = static_cast<size_t>(static_cast<uint64_t>(positionMs) * kAudioMixRate / 1000);
    device.Start(this, track, frame, looping);
}

void WaveOutMusicStream::Stop() {
    device.Silence(this);
}

bool WaveOutMusicStream::Playing() const {
    return device.Plays(this);
}

WaveOutDevice waveOutDevice;

} // namespace

AudioDevice& internal::SystemAudioDevice() {
    return waveOutDevice;
}

} // namespace platform
