#include "platform/VideoDecoder.h"

#include "support/Fifo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<uint8_t>;

struct Codec {
    const char* name;
    const char* options; // encoder options for the movie-making tool
};

const Codec kCodecs[] = {
    {"mjpeg", "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p"}, {"mpeg4", "-c:v mpeg4 -q:v 2 -g 12"},
    {"msmpeg4v3", "-c:v msmpeg4 -q:v 2 -g 12"},       {"msvideo1", "-c:v msvideo1 -pix_fmt rgb555le"},
    {"cinepak", "-c:v cinepak -pix_fmt rgb24"},       {"uncompressed", "-c:v rawvideo -pix_fmt bgr24"},
};

// Writes a movie made from a generated source into `dir`, as the bundled ones were made.
std::string MakeMovie(const testing_support::TempDir& dir, const std::string& name, const std::string& source,
                      const std::string& options) {
    const std::string path = dir.Path() + "/" + name;
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i '" + source +
                                "' " + options + " '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

const uint8_t* PixelAt(const Picture& picture, int column, int rowFromBottom) {
    return picture.data() + (static_cast<size_t>(rowFromBottom) * platform::kVideoPictureSide + column) * 3;
}

class VideoDecoderCodecTest : public ::testing::TestWithParam<Codec> {
protected:
    testing_support::TempDir dir{true};
};

TEST_P(VideoDecoderCodecTest, TheFirstFrameFillsThePictureUpright) {
    const std::string options = GetParam().options;
    MakeMovie(dir, "split.avi",
              "color=c=red:size=320x240:rate=25:duration=0.2,drawbox=x=0:y=120:w=320:h=120:color=blue:t=fill",
              options);
    std::rename((dir.Path() + "/split.avi").c_str(), dir.Write("Data/Movies/Split.AVI", "").c_str());
    auto stream = platform::CurrentVideoDecoder().OpenStream("data/movies/split.avi");
    ASSERT_TRUE(stream);
    const platform::VideoStreamInfo info = stream->Info();
    EXPECT_EQ(info.frameCount, 5);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_EQ(info.endTimeMs, 200);
    ASSERT_TRUE(stream->OpenFrameReader());

    Picture picture(platform::kVideoPictureBytes, 0);
    ASSERT_TRUE(stream->DecodeFrame(0, picture.data()));
    // The movie's upper half (red) is in the last rows, and every edge of the picture is covered.
    for (int column : {0, 128, 255}) {
        for (int row : {255, 200, 140}) {
            const uint8_t* pixel = PixelAt(picture, column, row);
            EXPECT_GT(pixel[0], 190) << "column " << column << " row " << row;
            EXPECT_LT(pixel[2], 60) << "column " << column << " row " << row;
        }
        for (int row : {0, 60, 115}) {
            const uint8_t* pixel = PixelAt(picture, column, row);
            EXPECT_LT(pixel[0], 60) << "column " << column << " row " << row;
            EXPECT_GT(pixel[2], 190) << "column " << column << " row " << row;
        }
    }
}

TEST_P(VideoDecoderCodecTest, AnyFrameReadAfterASeekEqualsTheSameFrameReadInOrder) {
    const std::string path =
        MakeMovie(dir, "moving.avi", "testsrc2=size=160x120:rate=25:duration=1.6", GetParam().options);
    auto inOrder = platform::CurrentVideoDecoder().OpenStream(path);
    ASSERT_TRUE(inOrder);
    ASSERT_EQ(inOrder->Info().frameCount, 40);
    ASSERT_TRUE(inOrder->OpenFrameReader());
    std::vector<Picture> frames(40, Picture(platform::kVideoPictureBytes));
    const uint64_t seeksBefore = platform::VideoSeekCountForTests();
    for (int32_t index = 0; index < 40; ++index) {
        ASSERT_TRUE(inOrder->DecodeFrame(index, frames[index].data()));
    }
    EXPECT_EQ(platform::VideoSeekCountForTests(), seeksBefore) << "reading in order never seeks";
    EXPECT_NE(frames[0], frames[1]);

    auto jumping = platform::CurrentVideoDecoder().OpenStream(path);
    ASSERT_TRUE(jumping && jumping->OpenFrameReader());
    Picture picture(platform::kVideoPictureBytes);
    for (int32_t index : {30, 13, 14, 39, 0, 26, 25, 1, 38, 12, 20}) {
        ASSERT_TRUE(jumping->DecodeFrame(index, picture.data()));
        EXPECT_TRUE(picture == frames[index]) << "frame " << index;
    }
    const uint64_t seeksNow = platform::VideoSeekCountForTests();
    EXPECT_GT(seeksNow, seeksBefore);
    ASSERT_TRUE(jumping->DecodeFrame(13, picture.data()));
    ASSERT_TRUE(jumping->DecodeFrame(14, picture.data()));
    EXPECT_EQ(platform::VideoSeekCountForTests(), seeksNow + 1) << "only the step back to 13 seeks";
}

INSTANTIATE_TEST_SUITE_P(EveryCodec, VideoDecoderCodecTest, ::testing::ValuesIn(kCodecs),
                         [](const ::testing::TestParamInfo<Codec>& codec) {
                             return std::string(codec.param.name);
                         });

TEST(VideoDecoder, AMovieWithoutAFrameCountIsCounted) {
    testing_support::TempDir dir;
    const std::string path = MakeMovie(dir, "counted.avi", "testsrc2=size=160x120:rate=25:duration=1",
                                       "-c:v mjpeg -pix_fmt yuvj420p");
    // Zero the lengths in the main header and the stream header, as some writers leave them.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const struct {
        const char* chunk;
        size_t lengthOffset;
    } lengths[] = {{"avih", 8 + 16}, {"strh", 8 + 32}};
    for (const auto& length : lengths) {
        const size_t at = bytes.find(length.chunk);
        ASSERT_NE(at, std::string::npos) << length.chunk;
        file.seekp(static_cast<std::streamoff>(at + length.lengthOffset));
        file.write("\0\0\0\0", 4);
    }
    file.close();
    auto stream = platform::CurrentVideoDecoder().OpenStream(path);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Info().frameCount, 25);
    EXPECT_EQ(stream->Info().endTimeMs, 1000);
    ASSERT_TRUE(stream->OpenFrameReader());
    Picture picture(platform::kVideoPictureBytes);
    EXPECT_TRUE(stream->DecodeFrame(24, picture.data()));
    EXPECT_TRUE(stream->DecodeFrame(0, picture.data()));
}

TEST(VideoDecoder, OnlyLocalAviFilesOpen) {
    testing_support::TempDir dir;
    const std::string avi = MakeMovie(dir, "real.avi", "testsrc2=size=160x120:rate=25:duration=0.4",
                                      "-c:v mjpeg -pix_fmt yuvj420p");
    MakeMovie(dir, "real.mkv", "testsrc2=size=160x120:rate=25:duration=0.4", "-c:v mjpeg -pix_fmt yuvj420p");
    platform::VideoDecoder& decoder = platform::CurrentVideoDecoder();
    ASSERT_TRUE(decoder.OpenStream(avi)) << "an AVI file opens";

    // Another container, playlists and protocol names, each under a movie's name.
    std::rename((dir.Path() + "/real.mkv").c_str(), (dir.Path() + "/matroska.avi").c_str());
    const std::string playlist =
        dir.Write("list.avi", "ffconcat version 1.0\nfile 'real.avi'\nfile 'real.avi'\n");
    const std::string hls = dir.Write("stream.avi", "#EXTM3U\n#EXTINF:0.4,\nreal.avi\n#EXT-X-ENDLIST\n");
    const std::vector<std::string> refusedNames = {dir.Path() + "/matroska.avi", playlist, hls,
                                                   "concat:" + avi + "|" + avi,
                                                   "http://127.0.0.1:9/movie.avi"};
    for (const std::string& refused : refusedNames) {
        EXPECT_FALSE(decoder.OpenStream(refused)) << refused;
    }

    // A FIFO is refused at once rather than waited for.
    testing_support::Fifo fifo(dir.Path() + "/pipe.avi");
    ASSERT_TRUE(fifo.Made());
    bool waited = false;
    EXPECT_FALSE(fifo.RunGuarded([&] { return decoder.OpenStream(dir.Path() + "/pipe.avi") != nullptr; },
                                 waited, std::chrono::seconds(10)));
    EXPECT_FALSE(waited) << "the decoder waited for a writer";
}

TEST(VideoDecoder, FilesWithoutAVideoStreamDoNotOpen) {
    testing_support::TempDir dir;
    const std::string text = dir.Write("text.avi", "RIFF but not really a movie");
    const std::string sound =
        MakeMovie(dir, "sound.avi", "sine=frequency=440:duration=0.5", "-c:a pcm_s16le");
    EXPECT_FALSE(platform::CurrentVideoDecoder().OpenStream(dir.Path() + "/missing.avi"));
    EXPECT_FALSE(platform::CurrentVideoDecoder().OpenStream(text));
    EXPECT_FALSE(platform::CurrentVideoDecoder().OpenStream(sound));
}

TEST(VideoDecoder, TheBundledMoviesDecodeWithTheirTitleOnTop) {
    struct Bundled {
        const char* path;
        int32_t frames;
        int64_t endTimeMs;
    };
    const Bundled movies[] = {{"Data/movies/Booth1.avi", 150, 10000},
                              {"Data/movies/Booth2.avi", 120, 8000},
                              {"Data/movies/Booth3.avi", 240, 12000},
                              {"Data/movies/face2.avi", 60, 5000}};
    for (const Bundled& movie : movies) {
        SCOPED_TRACE(movie.path);
        auto stream =
            platform::CurrentVideoDecoder().OpenStream(std::string(STANDVIEW_SOURCE_DIR) + "/" + movie.path);
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->Info().frameCount, movie.frames);
        EXPECT_EQ(stream->Info().endTimeMs, movie.endTimeMs);
        EXPECT_EQ(stream->Info().width, 320);
        EXPECT_EQ(stream->Info().height, 240);
        ASSERT_TRUE(stream->OpenFrameReader());
        Picture picture(platform::kVideoPictureBytes);
        for (int32_t index = movie.frames - 1; index >= 0; index -= 7) {
            ASSERT_TRUE(stream->DecodeFrame(index, picture.data())) << "frame " << index;
        }
        ASSERT_TRUE(stream->DecodeFrame(0, picture.data()));
        // White title letters near the top edge; nothing white near the bottom edge.
        auto whiteIn = [&picture](int firstRow, int lastRow) {
            int count = 0;
            for (int row = firstRow; row <= lastRow; ++row) {
                for (int column = 0; column < platform::kVideoPictureSide; ++column) {
                    const uint8_t* pixel = PixelAt(picture, column, row);
                    count += pixel[0] > 235 && pixel[1] > 235 && pixel[2] > 235 ? 1 : 0;
                }
            }
            return count;
        };
        EXPECT_GT(whiteIn(215, 250), 200);
        EXPECT_EQ(whiteIn(0, 40), 0);
    }
}

} // namespace
