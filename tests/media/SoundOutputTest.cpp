// The music player on the real mixer, with SDL's disk audio driver writing the output samples to a
// file that the tests read back.
#include "media/Sound.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = platform::kAudioMixRate;
constexpr size_t kBytesPerSecond = static_cast<size_t>(kRate) * platform::kAudioChannels * sizeof(int16_t);
constexpr int kLoud = 1000;

class SoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A tone of 440 Hz for one second, then 880 Hz for one second.
        dir.Write("Data/music/Tones.mp3", "");
        const std::string command =
            "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i sine=frequency=440:duration=1 "
            "-f lavfi -i sine=frequency=880:duration=1 -filter_complex '[0][1]concat=n=2:v=0:a=1' "
            "-c:a libmp3lame -b:a 64k '" +
            dir.Path() + "/Data/music/Tones.mp3'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        output = dir.Path() + "/output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        // Writes a mixing pass every millisecond: the test hears seconds of music in a fraction of one.
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }
    void TearDown() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

    size_t OutputBytes() const {
        std::ifstream file(output, std::ios::binary | std::ios::ate);
        return file ? static_cast<size_t>(file.tellg()) : 0;
    }
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
    // The left channel of everything written so far.
    std::vector<int16_t> Left() const {
        std::ifstream file(output, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                      std::istreambuf_iterator<char>());
        std::vector<int16_t> both(bytes.size() / sizeof(int16_t));
        std::memcpy(both.data(), bytes.data(), both.size() * sizeof(int16_t));
        std::vector<int16_t> left;
        for (size_t i = 0; i < both.size(); i += platform::kAudioChannels) {
            left.push_back(both[i]);
        }
        return left;
    }
    static size_t Onset(const std::vector<int16_t>& samples, size_t from = 0) {
        for (size_t i = from; i < samples.size(); ++i) {
            if (std::abs(samples[i]) > kLoud) {
                return i;
            }
        }
        return samples.size();
    }
    // The pitch of a tenth of a second of samples, from its zero crossings.
    static double PitchAt(const std::vector<int16_t>& samples, size_t start) {
        const size_t length = kRate / 10;
        if (start + length > samples.size()) {
            return 0.0;
        }
        int crossings = 0;
        for (size_t i = start + 1; i < start + length; ++i) {
            crossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
        }
        return crossings * 10.0 / 2.0;
    }
    static size_t Seconds(double seconds) { return static_cast<size_t>(seconds * kRate); }

    testing_support::TempDir dir{true};
    std::string output;
};

TEST_F(SoundOutputTest, ATrackPlaysFromItsOffsetAndStartsOverAtItsEnd) {
    FMODSound player;
    player.PlayTrack("data/music/tones.mp3", 1.0f);
    ASSERT_EQ(player.stream != nullptr, true);
    ASSERT_TRUE(WaitForBytes(8 * kBytesPerSecond));
    const std::vector<int16_t> left = Left();
    const size_t start = Onset(left);
    ASSERT_LT(start, left.size());
    // The remaining second of the track (880 Hz), then the whole track again, twice.
    EXPECT_NEAR(PitchAt(left, start + Seconds(0.4)), 880.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(1.4)), 440.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(2.4)), 880.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(3.4)), 440.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(4.4)), 880.0, 30.0);
}

TEST_F(SoundOutputTest, StopTrackSilencesTheOutputUntilAnotherTrackIsAskedFor) {
    FMODSound player;
    player.StopTrack(); // nothing to stop yet
    player.PlayTrack("data/music/tones.mp3", 0.0f);
    ASSERT_TRUE(WaitForBytes(3 * kBytesPerSecond));
    player.StopTrack();
    player.PlayTrack("data/music/tones.mp3", 0.0f); // the same track again: not restarted
    const size_t stoppedAt = OutputBytes() / 4;
    ASSERT_TRUE(WaitForBytes(OutputBytes() + 2 * kBytesPerSecond));
    std::vector<int16_t> left = Left();
    EXPECT_LT(Onset(left), stoppedAt) << "it played before";
    // What was being mixed when the stop came may still sound; nothing after it does.
    EXPECT_EQ(Onset(left, stoppedAt + Seconds(0.2)), left.size());

    dir.Write("Data/music/Other.mp3", "");
    std::rename((dir.Path() + "/Data/music/Tones.mp3").c_str(),
                (dir.Path() + "/Data/music/Other.mp3").c_str());
    const size_t otherAt = OutputBytes() / 4;
    player.PlayTrack("data/music/other.mp3", 1.0f);
    ASSERT_TRUE(WaitForBytes(OutputBytes() + kBytesPerSecond));
    left = Left();
    EXPECT_NEAR(PitchAt(left, Onset(left, otherAt) + Seconds(0.4)), 880.0, 30.0);
}

TEST_F(SoundOutputTest, TwoPlayersShareTheOutputAndTheNewestIsTheCurrentOne) {
    testing::internal::CaptureStdout();
    auto first = std::make_unique<FMODSound>();
    auto second = std::make_unique<FMODSound>();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(soundInstance, second.get());
    second->PlayTrack("data/music/tones.mp3", 0.0f);
    ASSERT_TRUE(WaitForBytes(2 * kBytesPerSecond));
    second.reset();
    EXPECT_EQ(soundInstance, nullptr);
    const size_t resumedAt = OutputBytes() / 4;
    first->PlayTrack("data/music/tones.mp3", 1.0f);
    ASSERT_TRUE(WaitForBytes(OutputBytes() + 2 * kBytesPerSecond));
    const std::vector<int16_t> left = Left();
    const size_t start = Onset(left, resumedAt + Seconds(0.2));
    ASSERT_LT(start, left.size()) << "the first player still sounds after the second has gone";
    EXPECT_NEAR(PitchAt(left, start + Seconds(0.4)), 880.0, 30.0);

    auto third = std::make_unique<FMODSound>();
    first.reset();
    EXPECT_EQ(soundInstance, third.get()) << "an older player going leaves the newer one current";
}

TEST_F(SoundOutputTest, WithoutAnAudioDeviceTheProgramRunsOnSilently) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    {
        FMODSound player;
        player.PlayTrack("data/music/tones.mp3", 0.0f);
        player.PlayTrack("data/music/tones.mp3", 0.0f);
        player.StopTrack();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMODSound: Cannot initialize sound!!\nFMODSound: Cannot load track - data/music/tones.mp3");
}

TEST_F(SoundOutputTest, AMissingTrackIsReportedAndTheOldOneStops) {
    FMODSound player;
    player.PlayTrack("data/music/tones.mp3", 0.0f);
    ASSERT_TRUE(WaitForBytes(2 * kBytesPerSecond));
    testing::internal::CaptureStdout();
    player.PlayTrack("data/music/missing.mp3", 2.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMODSound: Cannot load track - data/music/missing.mp3");
    EXPECT_EQ(player.stream, nullptr);
    const size_t missingAt = OutputBytes() / 4;
    ASSERT_TRUE(WaitForBytes(OutputBytes() + kBytesPerSecond));
    const std::vector<int16_t> left = Left();
    EXPECT_EQ(Onset(left, missingAt + Seconds(0.2)), left.size());
}

} // namespace
