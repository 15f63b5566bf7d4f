#include "platform/AudioDevice.h"

#include "platform/SystemBackend.h"
#include "platform/linux/MusicFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace platform {
namespace {

// Samples per mixing pass: about 46 ms at the mix rate, small enough that a stop is heard at once.
constexpr int kMixChunkSamples = 2048;
constexpr int kLoopForever = -1;
constexpr int kPlayOnce = 1;
constexpr int kNoFade = 0;

class SdlAudioDevice;

class SdlMusicStream final : public MusicStream {
public:
    SdlMusicStream(SdlAudioDevice& device, Mix_Music* music) : device(device), music(music) {}
    ~SdlMusicStream() override;
    void SetPositionMs(uint32_t milliseconds) override { positionMs = milliseconds; }
    void SetLooping(bool loop) override { looping = loop; }
    void Play() override;
    void Stop() override;
    bool Playing() const override;

private:
    SdlAudioDevice& device;
    Mix_Music* music;
    uint32_t positionMs = 0;
    bool looping = false;
};

class SdlAudioDevice final : public internal::SharedAudioOutput {
public:
    // The mixer has one music channel; this is the stream that last started on it.
    const SdlMusicStream* playing = nullptr;

private:
    bool OpenOutput() override {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return false;
        }
        // Without the MP3 decoder the device still opens; loading a track then fails and says so.
        Mix_Init(MIX_INIT_MP3);
        // The format is fixed (no changes allowed): SDL converts for hardware that differs.
        if (Mix_OpenAudioDevice(kAudioMixRate, AUDIO_S16SYS, kAudioChannels, kMixChunkSamples, nullptr, 0) !=
            0) {
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        return true;
    }

    void CloseOutput() override {
        Mix_HaltMusic();
        playing = nullptr;
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    std::unique_ptr<MusicStream> LoadMusic(const std::string& path) override {
        Mix_Music* music = internal::LoadMusicFile(path);
        if (!music) {
            return nullptr;
        }
        return std::make_unique<SdlMusicStream>(*this, music);
    }
};

SdlMusicStream::~SdlMusicStream() {
    Stop();
    Mix_FreeMusic(music);
    device.Release();
}

void SdlMusicStream::Play() {
    const double startSeconds = positionMs / 1000.0;
    if (Mix_FadeInMusicPos(music, looping ? kLoopForever : kPlayOnce, kNoFade, startSeconds) == 0) {
        device.playing = this;
    }
}

bool SdlMusicStream::Playing() const {
    return device.playing == this && Mix_PlayingMusic() != 0;
}

void SdlMusicStream::Stop() {
    if (device.playing == this) {
        Mix_HaltMusic();
        device.playing = nullptr;
    }
}

SdlAudioDevice sdlDevice;

} // namespace

AudioDevice& internal::SystemAudioDevice() {
    return sdlDevice;
}

} // namespace platform
