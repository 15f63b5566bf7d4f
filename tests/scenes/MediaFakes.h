// Stand-ins for the sound output and the movie decoder, so that scene tests hear through the real
// music player and watch through the real carousel without devices or movie files.
#pragma once

#include "platform/AudioDevice.h"
#include "support/FakeVideoDecoder.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace scenes_test {

// Writes "open <path>", "play <path>" and "stop <path>" into a log, and plays one stream at a time as
// the mixer's one music channel does; installs itself while it lives.
class FakeAudioDevice final : public platform::AudioDevice {
public:
    FakeAudioDevice() { platform::InstallAudioDevice(this); }
    ~FakeAudioDevice() override { platform::InstallAudioDevice(nullptr); }

    bool Acquire() override { return true; }
    void Release() override {}
    std::unique_ptr<platform::MusicStream> OpenMusic(const std::string& path) override {
        log.push_back("open " + path);
        if (failing.count(path) != 0) {
            return nullptr;
        }
        return std::make_unique<Stream>(path, *this);
    }

    std::vector<std::string> log;
    std::set<std::string> failing; // paths that cannot be opened

private:
    class Stream final : public platform::MusicStream {
    public:
        Stream(std::string streamPath, FakeAudioDevice& owner) : path(std::move(streamPath)), device(owner) {}
        ~Stream() override {
            if (device.playing == this) {
                device.playing = nullptr;
            }
        }
        void SetPositionMs(uint32_t) override {}
        void SetLooping(bool) override {}
        void Play() override {
            device.log.push_back("play " + path);
            device.playing = this;
        }
        void Stop() override {
            device.log.push_back("stop " + path);
            if (device.playing == this) {
                device.playing = nullptr;
            }
        }
        bool Playing() const override { return device.playing == this; }

    private:
        std::string path;
        FakeAudioDevice& device;
    };

    const Stream* playing = nullptr;
};

// The scenes' movies, as far as their tests care: every file one of 50 frames, 2 s long.
inline const testing_support::FakeVideoDecoder::Movie kAnyMovie{{50, 64, 64, 2000}};

} // namespace scenes_test
