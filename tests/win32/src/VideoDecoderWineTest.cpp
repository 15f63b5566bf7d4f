// The Windows movie decoder run under Wine against FFmpeg's decode of the same movies, which
// make-references.sh writes beside them: movies/NAME.avi and reference/NAME.rgb (every frame stretched
// to 256 x 256, bottom row first, as the Linux decoder gives it).
#include "platform/VideoDecoder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<uint8_t>;

struct Movie {
    const char* name;
    int32_t frames;
    int64_t endTimeMs;
    // Largest mean difference per byte from FFmpeg's picture: the stretch differs a little everywhere,
    // and lossy codecs' own decoders round differently from FFmpeg's.
    double tolerance;
};

const Movie kMovies[] = {
    {"Booth1", 150, 10000, 4.0}, {"Booth2", 120, 8000, 3.0},  {"Booth3", 240, 12000, 1.0},
    {"face2", 60, 5000, 1.0},    {"msvideo1", 40, 1600, 1.0}, {"cinepak", 40, 1600, 1.0},
    {"mjpeg", 40, 1600, 4.0},    {"bgr24", 40, 1600, 1.0},    {"pal8", 40, 1600, 1.0},
};

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

double MeanDifference(const Picture& a, const uint8_t* b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    }
    return sum / static_cast<double>(a.size());
}

class EveryMovie : public ::testing::TestWithParam<Movie> {};

TEST_P(EveryMovie, DecodesAsFfmpegDoesInOrderAndAfterJumps) {
    const Movie& movie = GetParam();
    const std::vector<uint8_t> reference = ReadAll(std::string("reference/") + movie.name + ".rgb");
    ASSERT_EQ(reference.size(), platform::kVideoPictureBytes * movie.frames) << "FFmpeg's frame count";

    auto stream = platform::CurrentVideoDecoder().OpenStream(std::string("MOVIES\\") + movie.name + ".AVI");
    ASSERT_TRUE(stream);
    const platform::VideoStreamInfo info = stream->Info();
    EXPECT_EQ(info.frameCount, movie.frames);
    EXPECT_EQ(info.endTimeMs, movie.endTimeMs);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    ASSERT_TRUE(stream->OpenFrameReader());

    std::vector<Picture> frames(movie.frames, Picture(platform::kVideoPictureBytes));
    const uint64_t seeksBefore = platform::VideoSeekCountForTests();
    const DWORD started = GetTickCount();
    double worst = 0.0;
    int32_t worstFrame = 0;
    for (int32_t index = 0; index < movie.frames; ++index) {
        ASSERT_TRUE(stream->DecodeFrame(index, frames[index].data())) << "frame " << index;
        const double difference =
            MeanDifference(frames[index], &reference[platform::kVideoPictureBytes * index]);
        if (difference > worst) {
            worst = difference;
            worstFrame = index;
        }
    }
    std::printf("%s: %d frames in %lu ms, worst mean difference %.3f (frame %d)\n", movie.name, movie.frames,
                static_cast<unsigned long>(GetTickCount() - started), worst, worstFrame);
    if (worst > movie.tolerance) {
        // Kept for a look beside FFmpeg's pictures.
        CreateDirectoryA("decoded", nullptr);
        std::ofstream kept(std::string("decoded/") + movie.name + ".rgb", std::ios::binary);
        for (const Picture& frame : frames) {
            kept.write(reinterpret_cast<const char*>(frame.data()),
                       static_cast<std::streamsize>(frame.size()));
        }
    }
    EXPECT_LE(worst, movie.tolerance) << "frame " << worstFrame << ", the pictures are in decoded/";
    EXPECT_EQ(platform::VideoSeekCountForTests(), seeksBefore) << "reading in order never seeks";
    EXPECT_NE(frames[0], frames[movie.frames / 2]) << "the movie moves";

    // Jumps back and forth give the same pictures; past the end the last frame stays.
    auto jumping = platform::CurrentVideoDecoder().OpenStream(std::string("movies/") + movie.name + ".avi");
    ASSERT_TRUE(jumping && jumping->OpenFrameReader());
    Picture picture(platform::kVideoPictureBytes);
    const int32_t last = movie.frames - 1;
    for (int32_t index : {last - 3, 13, 14, last, 0, 26, 25, 1, last - 1, 12, 20}) {
        ASSERT_TRUE(jumping->DecodeFrame(index, picture.data()));
        EXPECT_TRUE(picture == frames[index]) << "frame " << index;
    }
    ASSERT_TRUE(jumping->DecodeFrame(movie.frames + 10, picture.data()));
    EXPECT_TRUE(picture == frames[last]) << "past the end";
}

INSTANTIATE_TEST_SUITE_P(Movies, EveryMovie, ::testing::ValuesIn(kMovies),
                         [](const ::testing::TestParamInfo<Movie>& movie) {
                             return std::string(movie.param.name);
                         });

TEST(VideoDecoder, OnlyAviFilesOpenAndUnknownCodecsAreRefusedWhenDecodingStarts) {
    platform::VideoDecoder& decoder = platform::CurrentVideoDecoder();
    CreateDirectoryA("folder.avi", nullptr);
    std::ofstream("text.avi") << "RIFF but not really a movie";
    for (const char* refused : {"movies/missing.avi", "text.avi", "folder.avi", "movies/sound.wav.avi",
                                "movies/audio-only.avi", "CON", "\\\\.\\pipe\\movie.avi"}) {
        EXPECT_FALSE(decoder.OpenStream(refused)) << refused;
    }
    auto unknown = decoder.OpenStream("movies/unknown-codec.avi");
    ASSERT_TRUE(unknown) << "the file itself is a movie";
    EXPECT_EQ(unknown->Info().frameCount, 40);
    EXPECT_FALSE(unknown->OpenFrameReader());
    Picture picture(platform::kVideoPictureBytes, 7);
    EXPECT_FALSE(unknown->DecodeFrame(0, picture.data()));
    EXPECT_EQ(picture, Picture(platform::kVideoPictureBytes, 7)) << "the picture is left as it was";
}

TEST(VideoDecoder, AMovieWithoutAFrameCountIsCounted) {
    auto stream = platform::CurrentVideoDecoder().OpenStream("movies/uncounted.avi");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Info().frameCount, 40);
    EXPECT_EQ(stream->Info().endTimeMs, 1600);
    ASSERT_TRUE(stream->OpenFrameReader());
    Picture picture(platform::kVideoPictureBytes);
    EXPECT_TRUE(stream->DecodeFrame(39, picture.data()));
    EXPECT_TRUE(stream->DecodeFrame(0, picture.data()));
}

} // namespace
