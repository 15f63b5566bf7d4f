// The real mixer heard through SDL's disk audio driver: while it lives, the output device writes its
// samples to a file that the test reads back; makes test tones as MP3 files with FFmpeg.
#pragma once

#include "platform/AudioDevice.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class DiskAudio {
public:
    static constexpr int kRate = platform::kAudioMixRate;
    static constexpr size_t kBytesPerSecond =
        static_cast<size_t>(kRate) * platform::kAudioChannels * sizeof(int16_t);
    static constexpr size_t kBytesPerFrame = platform::kAudioChannels * sizeof(int16_t);
    static constexpr int kLoud = 1000;

    explicit DiskAudio(std::string outputFile) : output(std::move(outputFile)) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        // Writes a mixing pass every millisecond: the test hears seconds of music in a fraction of one.
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }
    ~DiskAudio() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    DiskAudio(const DiskAudio&) = delete;
    DiskAudio& operator=(const DiskAudio&) = delete;

    // FFmpeg's filter graph of sine sources: true when the file was written.
    static bool MakeTones(const std::string& inputs, const std::string& filter, const std::string& path) {
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + inputs +
                                    (filter.empty() ? "" : " -filter_complex '" + filter + "'") +
                                    " -c:a libmp3lame -b:a 64k '" + path + "'";
        return std::system(command.c_str()) == 0;
    }

    size_t OutputBytes() const {
        std::ifstream file(output, std::ios::binary | std::ios::ate);
        return file ? static_cast<size_t>(file.tellg()) : 0;
    }
    // The output's length in samples of one channel: a mark to look for sound after.
    size_t Mark() const { return OutputBytes() / kBytesPerFrame; }
    // Waits (a bounded time) until the output holds `bytes`.
    bool WaitForBytes(size_t bytes) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (OutputBytes() < bytes) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    bool WaitForSeconds(double seconds) const {
        return WaitForBytes(OutputBytes() + static_cast<size_t>(seconds * kRate) * kBytesPerFrame);
    }
    // The left channel of what was written from sample `from` on, at most `count` samples. The output
    // grows by megabytes a second while the mixer runs: a slow reader that took all of it would find
    // more each time and never catch up.
    std::vector<int16_t> Left(size_t from = 0, size_t count = SIZE_MAX) const {
        std::ifstream file(output, std::ios::binary);
        file.seekg(static_cast<std::streamoff>(from * kBytesPerFrame));
        const size_t written = OutputBytes() / kBytesPerFrame;
        std::vector<char> bytes(std::min(count, written - std::min(from, written)) * kBytesPerFrame);
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(file.gcount()));
        std::vector<int16_t> both(bytes.size() / sizeof(int16_t));
        std::memcpy(both.data(), bytes.data(), both.size() * sizeof(int16_t));
        std::vector<int16_t> left;
        for (size_t i = 0; i < both.size(); i += platform::kAudioChannels) {
            left.push_back(both[i]);
        }
        return left;
    }
    // The first loud sample at or after `from`; the length when there is none.
    static size_t Onset(const std::vector<int16_t>& samples, size_t from = 0) {
        for (size_t i = from; i < samples.size(); ++i) {
            if (std::abs(samples[i]) > kLoud) {
                return i;
            }
        }
        return samples.size();
    }
    // Loud samples between two marks.
    static size_t LoudSamples(const std::vector<int16_t>& samples, size_t from, size_t to) {
        size_t loud = 0;
        for (size_t i = from; i < to && i < samples.size(); ++i) {
            loud += std::abs(samples[i]) > kLoud ? 1 : 0;
        }
        return loud;
    }
    static size_t Seconds(double seconds) { return static_cast<size_t>(seconds * kRate); }

private:
    std::string output;
};

} // namespace testing_support
