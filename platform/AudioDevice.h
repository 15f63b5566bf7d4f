// The sound output and one streamed piece of music at a time (MP3 and the other formats the mixer
// reads). Backed by the system's output (SDL2_mixer on Linux, waveOut on Windows); tests install a
// fake device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Output format: 16-bit signed samples, two interleaved channels, at this rate.
constexpr int kAudioMixRate = 44100;
constexpr int kAudioChannels = 2;

class MusicStream {
public:
    virtual ~MusicStream() = default;
    // Where the next Play begins.
    virtual void SetPositionMs(uint32_t milliseconds) = 0;
    // Whether the piece starts over from its beginning when it ends.
    virtual void SetLooping(bool loop) = 0;
    // Plays on the one music channel, replacing whatever played there.
    virtual void Play() = 0;
    // Silences the channel if this stream is what it plays.
    virtual void Stop() = 0;
    // True while the channel plays this stream: false after Stop, after another stream took the
    // channel, or once a piece that does not loop has ended.
    virtual bool Playing() const = 0;
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;
    // Takes a share of the output, opening it for the first holder. False (and nothing taken) when
    // no output device can be opened.
    virtual bool Acquire() = 0;
    // Gives a share back; the last one closes the output.
    virtual void Release() = 0;
    // The file (found with platform::ResolvePath) ready to play, or null when it cannot be read or
    // the output is not open. A stream keeps the output open while it lives.
    virtual std::unique_ptr<MusicStream> OpenMusic(const std::string& path) = 0;
};

// nullptr puts the system's device back.
void InstallAudioDevice(AudioDevice* device);
AudioDevice& CurrentAudioDevice();

} // namespace platform
