#include "platform/AudioDevice.h"

#include "platform/Paths.h"
#include "platform/SystemBackend.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cassert>

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

class SdlAudioDevice final : public AudioDevice {
public:
    bool Acquire() override {
        if (holders > 0) {
            ++holders;
            return true;
        }
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
        holders = 1;
        return true;
    }

    void Release() override {
        assert(holders > 0 && "every release matches an acquire that succeeded");
        if (--holders > 0) {
            return;
        }
        Mix_HaltMusic();
        playing = nullptr;
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    std::unique_ptr<MusicStream> OpenMusic(const std::string& path) override {
        if (holders == 0) {
            return nullptr;
        }
        Mix_Music* music = Mix_LoadMUS(ResolvePath(path).c_str());
        if (!music) {
            return nullptr;
        }
        ++holders;
        return std::make_unique<SdlMusicStream>(*this, music);
    }

    // The mixer has one music channel; this is the stream that last started on it.
    const SdlMusicStream* playing = nullptr;

private:
    int holders = 0;
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
