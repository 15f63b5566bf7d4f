#include "platform/TrackCheck.h"

#include "platform/AudioDevice.h"
#include "platform/linux/MusicFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

namespace platform {
namespace {

constexpr const char* kSilentDriver = "dummy";
constexpr int kChunkSamples = 2048;
constexpr double kBytesPerSecond = kAudioMixRate * kAudioChannels * 2.0;
// Decoders estimate the length of some files; a track that decodes to less than this share of it
// ends early.
constexpr double kShortestDecodedShare = 0.9;

std::string MixerError(const char* what) {
    return std::string(what) + ": " + Mix_GetError();
}

std::string DecodeOpenTrack(const std::string& path) {
    Mix_Music* music = internal::LoadMusicFile(path);
    if (!music) {
        return MixerError("not music the player can open");
    }
    const double seconds = Mix_MusicDuration(music);
    Mix_FreeMusic(music);
    // The same decoders, run to the end of the file into one buffer.
    Mix_Chunk* decoded = internal::DecodeMusicFile(path);
    if (!decoded) {
        return MixerError("cannot be decoded");
    }
    const double decodedSeconds = decoded->alen / kBytesPerSecond;
    Mix_FreeChunk(decoded);
    if (decodedSeconds <= 0.0) {
        return "decodes to no sound";
    }
    if (seconds > 0.0 && decodedSeconds < seconds * kShortestDecodedShare) {
        char text[96];
        std::snprintf(text, sizeof text, "decodes only %.1f s of its %.1f s", decodedSeconds, seconds);
        return text;
    }
    return {};
}

} // namespace

std::string CheckTrackDecodes(const std::string& path) {
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, kSilentDriver, SDL_HINT_OVERRIDE);
    const bool initialised = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!initialised) {
        return std::string("no silent sound output: ") + SDL_GetError();
    }
    Mix_Init(MIX_INIT_MP3);
    std::string problem;
    if (Mix_OpenAudioDevice(kAudioMixRate, AUDIO_S16SYS, kAudioChannels, kChunkSamples, nullptr, 0) != 0) {
        problem = MixerError("no silent sound output");
    } else {
        problem = DecodeOpenTrack(path);
        Mix_CloseAudio();
    }
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return problem;
}

} // namespace platform
