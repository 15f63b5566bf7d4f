// The Windows music decoder and output run under Wine. make-references.sh puts the tracks in music/ and
// FFmpeg's decode of each (16-bit stereo at 44.1 kHz) in reference/NAME.pcm. The Sound tests run with
// an ALSA file device that records what Wine plays into the file named by STANDVIEW_CAPTURE; the
// NoSound tests run with Wine's sound drivers switched off.
#include "platform/AudioDevice.h"
#include "platform/TrackCheck.h"
#include "platform/win32/AudioMp3.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Samples = std::vector<int16_t>;

const char* const kTracks[] = {"horse", "olympus", "parthenon"};
constexpr size_t kChannels = platform::kAudioChannels;

Samples ReadSamples(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Samples samples(bytes.size() / sizeof(int16_t));
    std::copy(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(samples.size() * sizeof(int16_t)),
              reinterpret_cast<char*>(samples.data()));
    return samples;
}

TEST(TrackDecoding, TheBundledTracksDecodeAsFfmpegDoesWithoutTheEncodersDelayAndPadding) {
    for (const char* name : kTracks) {
        SCOPED_TRACE(name);
        const Samples reference = ReadSamples(std::string("reference/") + name + ".pcm");
        ASSERT_FALSE(reference.empty());
        const DWORD started = GetTickCount();
        const platform::DecodedTrack track = platform::DecodeMp3File(std::string("music/") + name + ".mp3");
        const DWORD took = GetTickCount() - started;
        ASSERT_EQ(track.problem, "");
        ASSERT_EQ(track.samples.size(), reference.size());
        EXPECT_EQ(track.statedFrames, reference.size() / kChannels);
        int worst = 0;
        for (size_t i = 0; i < reference.size(); ++i) {
            worst = std::max(worst, std::abs(track.samples[i] - reference[i]));
        }
        std::printf("%s: %zu frames decoded in %lu ms, largest difference from FFmpeg %d\n", name,
                    reference.size() / kChannels, static_cast<unsigned long>(took), worst);
        // Both decoders round their own way to 16 bits; a frame out of place would differ by thousands.
        if (worst > 4) {
            CreateDirectoryA("decoded", nullptr);
            std::ofstream(std::string("decoded/") + name + ".pcm", std::ios::binary)
                .write(reinterpret_cast<const char*>(track.samples.data()),
                       static_cast<std::streamsize>(track.samples.size() * sizeof(int16_t)));
        }
        EXPECT_LE(worst, 4) << "the decoded samples are in decoded/";
        EXPECT_EQ(platform::CheckTrackDecodes(std::string("MUSIC\\") + name + ".MP3"), "");
    }
}

TEST(TrackDecoding, DamagedAndForeignFilesAreNamed) {
    // make-references.sh cut this copy of a track in half; its information frame still counts every
    // frame.
    EXPECT_EQ(platform::CheckTrackDecodes("music/half.mp3").rfind("decodes only 19.", 0), 0u)
        << platform::CheckTrackDecodes("music/half.mp3");
    std::ofstream("music/text.mp3") << "ID3 and nothing else that sounds";
    EXPECT_NE(platform::CheckTrackDecodes("music/text.mp3"), "");
    EXPECT_NE(platform::CheckTrackDecodes("music/missing.mp3"), "");
    CreateDirectoryA("music/folder.mp3", nullptr);
    EXPECT_NE(platform::CheckTrackDecodes("music/folder.mp3"), "");
}

// Where `part` begins in `whole` at or after frame `from`, or npos.
size_t Find(const Samples& whole, const int16_t* part, size_t partSamples, size_t from) {
    const auto at = std::search(whole.begin() + static_cast<ptrdiff_t>(from * kChannels), whole.end(), part,
                                part + partSamples);
    return at == whole.end() ? std::string::npos : static_cast<size_t>(at - whole.begin()) / kChannels;
}

// How many frames of `expected` the capture holds unbroken from frame `at` on.
size_t UnbrokenFrames(const Samples& captured, size_t at, const Samples& expected) {
    const auto from = captured.begin() + static_cast<ptrdiff_t>(at * kChannels);
    const size_t length = std::min<size_t>(captured.end() - from, expected.size());
    const auto differs =
        std::mismatch(expected.begin(), expected.begin() + static_cast<ptrdiff_t>(length), from);
    return static_cast<size_t>(differs.first - expected.begin()) / kChannels;
}

TEST(Sound, TheOutputPlaysFromThePositionLoopsSwitchesAndStops) {
    const char* capturePath = std::getenv("STANDVIEW_CAPTURE");
    ASSERT_TRUE(capturePath) << "the test's settings name the capture file";
    platform::AudioDevice& device = platform::CurrentAudioDevice();
    ASSERT_TRUE(device.Acquire());
    EXPECT_FALSE(device.OpenMusic("music/missing.mp3"));
    Samples horse;
    Samples olympus;
    {
        auto first = device.OpenMusic("music/horse.mp3");
        auto second = device.OpenMusic("Music\\Olympus.mp3");
        ASSERT_TRUE(first && second);
        // The streams decode their tracks meanwhile, and are done about when these are.
        horse = platform::DecodeMp3File("music/horse.mp3").samples;
        olympus = platform::DecodeMp3File("music/olympus.mp3").samples;
        EXPECT_FALSE(first->Playing());
        // 1.4 s before the end of a looping track: the end and the start again are heard.
        const uint32_t startMs =
            static_cast<uint32_t>(horse.size() / kChannels * 1000 / platform::kAudioMixRate) - 1400;
        first->SetPositionMs(startMs);
        first->SetLooping(true);
        first->Play();
        Sleep(3000);
        EXPECT_TRUE(first->Playing());
        second->Play();
        EXPECT_FALSE(first->Playing()) << "the other track took the channel";
        EXPECT_TRUE(second->Playing());
        first->Stop();
        EXPECT_TRUE(second->Playing()) << "stopping a track that does not play changes nothing";
        Sleep(1000);
        second->Stop();
        EXPECT_FALSE(second->Playing());
        // A track that does not loop ends by itself.
        first->SetPositionMs(startMs + 1200);
        first->SetLooping(false);
        first->Play();
        Sleep(800);
        EXPECT_FALSE(first->Playing()) << "it ended";
        Sleep(1500);
    }
    device.Release();

    // Under load Wine delivers less sound than the time that passed, so each stretch is checked for a
    // least length and for being unbroken, not for its full length.
    const Samples captured = ReadSamples(capturePath);
    ASSERT_GT(captured.size(), kChannels * platform::kAudioMixRate) << "the output was recorded";
    const size_t quarterSecond = platform::kAudioMixRate / 4;
    // The horse's last 1.4 s and then its beginning, sample for sample, as decoded.
    const size_t startFrame =
        horse.size() / kChannels - static_cast<size_t>(platform::kAudioMixRate) * 14 / 10;
    const size_t begins = Find(captured, &horse[startFrame * kChannels], 4096, 0);
    ASSERT_NE(begins, std::string::npos) << "the horse's music from the position set";
    Samples expected(horse.begin() + static_cast<ptrdiff_t>(startFrame * kChannels), horse.end());
    expected.insert(expected.end(), horse.begin(), horse.end());
    EXPECT_GE(UnbrokenFrames(captured, begins, expected),
              horse.size() / kChannels - startFrame + quarterSecond)
        << "the end of the track runs on into its start";
    // Then the second track from its start.
    const size_t switched = Find(captured, olympus.data(), 4096, begins);
    ASSERT_NE(switched, std::string::npos) << "the olympus music after the horse's";
    EXPECT_GE(UnbrokenFrames(captured, switched, olympus), quarterSecond);
    // The last 0.2 s of the horse's music, then silence to the end.
    const size_t lastStart = startFrame + platform::kAudioMixRate * 12 / 10;
    const Samples lastPiece(horse.begin() + static_cast<ptrdiff_t>(lastStart * kChannels), horse.end());
    const size_t tail = Find(captured, lastPiece.data(), 1024, switched);
    ASSERT_NE(tail, std::string::npos) << "the last piece";
    const size_t silentFrom = tail + lastPiece.size() / kChannels;
    EXPECT_EQ(UnbrokenFrames(captured, tail, lastPiece), lastPiece.size() / kChannels);
    ASSERT_LE(silentFrom * kChannels, captured.size());
    EXPECT_TRUE(std::all_of(captured.begin() + static_cast<ptrdiff_t>(silentFrom * kChannels), captured.end(),
                            [](int16_t sample) { return sample == 0; }))
        << "nothing after the end of the piece";
}

TEST(NoSound, WithoutASoundDeviceNothingIsTakenAndNoTrackOpens) {
    platform::AudioDevice& device = platform::CurrentAudioDevice();
    EXPECT_FALSE(device.Acquire());
    EXPECT_FALSE(device.OpenMusic("music/horse.mp3"));
    EXPECT_EQ(platform::CheckTrackDecodes("music/horse.mp3"), "") << "the check needs no device";
}

} // namespace
