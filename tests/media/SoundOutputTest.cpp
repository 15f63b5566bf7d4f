// The music player on the real mixer, with SDL's disk audio driver writing the output samples to a
// file that the tests read back.
#include "media/Sound.h"

#include "platform/Paths.h"
#include "support/DiskAudio.h"
#include "support/Fifo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::DiskAudio;

constexpr int kRate = DiskAudio::kRate;
constexpr size_t kBytesPerSecond = DiskAudio::kBytesPerSecond;

class SoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A tone of 440 Hz for one second, then 880 Hz for one second.
        dir.Write("Data/music/Tones.mp3", "");
        ASSERT_TRUE(DiskAudio::MakeTones("-f lavfi -i sine=frequency=440:duration=1 "
                                         "-f lavfi -i sine=frequency=880:duration=1",
                                         "[0][1]concat=n=2:v=0:a=1", dir.Path() + "/Data/music/Tones.mp3"));
    }

    size_t OutputBytes() const { return disk.OutputBytes(); }
    bool WaitForBytes(size_t bytes) const { return disk.WaitForBytes(bytes); }
    std::vector<int16_t> Left() const { return disk.Left(); }
    static size_t Onset(const std::vector<int16_t>& samples, size_t from = 0) {
        return DiskAudio::Onset(samples, from);
    }
    // The first loud sample at or after `from`, waited for: the output runs on in silence, far faster
    // than real time, while a track is loaded, so on a slow build a track starts many seconds of output
    // in. Then `after` seconds from it are waited for too. SIZE_MAX when no sound came within a minute.
    size_t WaitForOnset(size_t from, double after) const {
        constexpr int kMostSeconds = 60;
        for (int second = 1; second <= kMostSeconds; ++second) {
            if (!WaitForBytes((from + Seconds(second)) * DiskAudio::kBytesPerFrame)) {
                break;
            }
            const std::vector<int16_t> left = Left();
            const size_t onset = Onset(left, from);
            if (onset < left.size()) {
                return WaitForBytes((onset + Seconds(after)) * DiskAudio::kBytesPerFrame) ? onset : SIZE_MAX;
            }
        }
        return SIZE_MAX;
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
    static size_t Seconds(double seconds) { return DiskAudio::Seconds(seconds); }

    testing_support::TempDir dir{true};
    DiskAudio disk{dir.Path() + "/output.raw"};
};

TEST_F(SoundOutputTest, ATrackPlaysFromItsOffsetAndStartsOverAtItsEnd) {
    FMODSound player;
    player.PlayTrack("data/music/tones.mp3", 1.0f);
    ASSERT_EQ(player.stream != nullptr, true);
    const size_t start = WaitForOnset(0, 4.6);
    ASSERT_NE(start, SIZE_MAX) << "the track is never heard";
    const std::vector<int16_t> left = Left();
    // The remaining second of the track (880 Hz), then the whole track again, twice.
    EXPECT_NEAR(PitchAt(left, start + Seconds(0.4)), 880.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(1.4)), 440.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(2.4)), 880.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(3.4)), 440.0, 30.0);
    EXPECT_NEAR(PitchAt(left, start + Seconds(4.4)), 880.0, 30.0);
}

TEST_F(SoundOutputTest, StopTrackSilencesTheOutputAndTheSameTrackAskedForAgainStartsAtItsOffset) {
    FMODSound player;
    player.StopTrack(); // nothing to stop yet
    player.PlayTrack("data/music/tones.mp3", 0.0f);
    ASSERT_TRUE(WaitForBytes(3 * kBytesPerSecond));
    player.StopTrack();
    const size_t stoppedAt = OutputBytes() / 4;
    ASSERT_TRUE(WaitForBytes(OutputBytes() + 2 * kBytesPerSecond));
    std::vector<int16_t> left = Left();
    EXPECT_LT(Onset(left), stoppedAt) << "it played before";
    // What was being mixed when the stop came may still sound; nothing after it does.
    EXPECT_EQ(Onset(left, stoppedAt + Seconds(0.2)), left.size());

    const size_t againAt = OutputBytes() / 4;
    player.PlayTrack("data/music/tones.mp3", 1.0f);
    ASSERT_TRUE(WaitForBytes(OutputBytes() + kBytesPerSecond));
    left = Left();
    const size_t start = Onset(left, againAt);
    ASSERT_LT(start, left.size()) << "the stopped track plays again";
    EXPECT_NEAR(PitchAt(left, start + Seconds(0.4)), 880.0, 30.0);
}

TEST_F(SoundOutputTest, TwoPlayersShareTheOutput) {
    testing::internal::CaptureStdout();
    auto first = std::make_unique<FMODSound>();
    auto second = std::make_unique<FMODSound>();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    second->PlayTrack("data/music/tones.mp3", 0.0f);
    ASSERT_TRUE(WaitForBytes(2 * kBytesPerSecond));
    second.reset();
    const size_t resumedAt = OutputBytes() / 4;
    first->PlayTrack("data/music/tones.mp3", 1.0f);
    const size_t start = WaitForOnset(resumedAt + Seconds(0.2), 0.6);
    ASSERT_NE(start, SIZE_MAX) << "the first player still sounds after the second has gone";
    const std::vector<int16_t> left = Left();
    EXPECT_NEAR(PitchAt(left, start + Seconds(0.4)), 880.0, 30.0);
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
    // Each request tries again, and says so when it fails, each time on a line of its own.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMODSound: Cannot initialize sound!!\nFMODSound: Cannot load track - Data/music/Tones.mp3\n"
              "FMODSound: Cannot load track - Data/music/Tones.mp3\n");
}

// The report names the file in the content folder that was looked for, not the scene's own path.
TEST_F(SoundOutputTest, AMissingTrackIsReportedAndTheOldOneStops) {
    testing_support::TempDir content;
    const std::string music = content.Write("music/Tones.mp3", "");
    std::filesystem::copy_file(dir.Path() + "/Data/music/Tones.mp3", music,
                               std::filesystem::copy_options::overwrite_existing);
    platform::SetDataFolder(content.Path());
    FMODSound player;
    player.PlayTrack("data/music/tones.mp3", 0.0f);
    ASSERT_TRUE(WaitForBytes(2 * kBytesPerSecond));
    testing::internal::CaptureStdout();
    player.PlayTrack("data/music/missing.mp3", 2.0f);
    platform::SetDataFolder("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FMODSound: Cannot load track - " + content.Path() + "/music/missing.mp3\n");
    EXPECT_EQ(player.stream, nullptr);
    const size_t missingAt = OutputBytes() / 4;
    ASSERT_TRUE(WaitForBytes(OutputBytes() + kBytesPerSecond));
    const std::vector<int16_t> left = Left();
    EXPECT_EQ(Onset(left, missingAt + Seconds(0.2)), left.size());
}

// The track is opened when a visitor enters the exhibit: a FIFO under its name must not stop the show.
TEST_F(SoundOutputTest, ATrackThatIsNoRegularFileIsRefusedWithoutWaiting) {
    testing_support::Fifo fifo(dir.Path() + "/Data/music/Pipe.mp3");
    ASSERT_TRUE(fifo.Made());
    FMODSound player;
    bool waited = false;
    const bool loaded = fifo.RunGuarded(
        [&player] {
            player.PlayTrack("data/music/pipe.mp3", 0.0f);
            return player.stream != nullptr;
        },
        waited, std::chrono::seconds(10));
    EXPECT_FALSE(waited) << "the player waited for a writer";
    EXPECT_FALSE(loaded);
}

} // namespace
