#include "media/VideoCarousel.h"

#include "platform/MessageBox.h"
#include "platform/OffscreenContext.h"
#include "support/FakeClock.h"
#include "support/FakeVideoDecoder.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char* const kBooths[] = {"Booth1.avi", "Booth2.avi", "Booth3.avi", "face2.avi"};

class VideoCarouselTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        platform::SetMessageBoxHook(
            [this](const char* text, const char* caption, platform::MessageBoxStyle style) {
                EXPECT_STREQ(caption, "Error");
                EXPECT_EQ(style, platform::MessageBoxStyle::ErrorOk);
                boxes.push_back(text);
                return platform::MessageBoxAnswer::Ok;
            });
    }
    void TearDown() override { platform::SetMessageBoxHook(nullptr); }

    // The video stage's four movies of 250 frames in 10 s, but for those named `missing`; rewound.
    void OpenBooths(const std::string& missing = "") {
        uint8_t red = 10;
        for (const char* path : kBooths) {
            if (path != missing) {
                decoder.Add(path, 250, 10000, red);
            }
            red += 10;
            carousel.AddClip(path);
        }
        opened = carousel.Open();
        carousel.Rewind();
    }
    void DrawFor(int milliseconds, int step = 20) {
        for (int elapsed = 0; elapsed < milliseconds; elapsed += step) {
            clock.AdvanceMs(step);
            carousel.Draw();
        }
    }
    // The texture's 256 x 256 RGB bytes, bottom row first.
    static std::vector<uint8_t> TexturePixels(GLuint texture) {
        std::vector<uint8_t> pixels(platform::kVideoPictureBytes, 0x55);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    static bool Black(GLuint texture) {
        const std::vector<uint8_t> pixels = TexturePixels(texture);
        return std::all_of(pixels.begin(), pixels.end(), [](uint8_t value) { return value == 0; });
    }

    testing_support::FakeClock clock;
    testing_support::FakeVideoDecoder decoder;
    platform::OffscreenContext gl{64, 64};
    std::vector<std::string> boxes;
    VideoCarousel carousel;
    bool opened = false;
};

TEST_F(VideoCarouselTest, FourPathsMakeARingOfThreeThatTurnsInOrder) {
    OpenBooths();
    EXPECT_TRUE(opened);
    EXPECT_EQ(decoder.opened.size(), 4u) << "the last file is opened too";
    EXPECT_EQ(carousel.count, 3);
    std::vector<int32_t> fronts{carousel.centre};
    for (int step = 0; step < 2000; ++step) { // 40 s: three movies and their slides, and more
        DrawFor(20);
        if (carousel.centre != fronts.back()) {
            fronts.push_back(carousel.centre);
        }
        ASSERT_LT(std::max(carousel.left, carousel.right), 3);
    }
    EXPECT_EQ(fronts, (std::vector<int32_t>{0, 1, 2, 0}));
    EXPECT_EQ(decoder.DecodesOf("face2.avi"), 0);
}

TEST_F(VideoCarouselTest, TheFrontMoviePlaysByTheClockAndItsEndSlidesTheRightOneToTheFront) {
    OpenBooths();
    EXPECT_EQ(carousel.clips[0].msPerFrame, 40);
    DrawFor(1000, 10);
    EXPECT_EQ(decoder.decodes.size(), 26u) << "frames 0 to 25, each decoded once";
    EXPECT_EQ(carousel.shared.framesShown, 26u) << "each new picture counted once, not each draw";
    clock.AdvanceMs(3000);
    carousel.Draw();
    EXPECT_EQ(carousel.clips[0].frame, 100);
    EXPECT_EQ(TexturePixels(carousel.clips[0].texture)[1], 100);
    EXPECT_EQ(carousel.shared.idleTexture, carousel.clips[0].texture);

    clock.AdvanceMs(6000);
    carousel.Draw();
    EXPECT_TRUE(carousel.clips[0].finished);
    EXPECT_EQ(decoder.decodes.back().second, 0) << "a finished movie shows its first frame";
    carousel.Draw();
    EXPECT_EQ(carousel.state, VideoCarousel::kSliding);
    EXPECT_EQ(carousel.transitionStart, clock.TickCount());
    DrawFor(849, 849);
    EXPECT_EQ(carousel.state, VideoCarousel::kSliding);
    DrawFor(1, 1);
    EXPECT_EQ(carousel.state, VideoCarousel::kResting);
    // Every place moves on by one: the clip that stood on the right now plays in front.
    EXPECT_EQ(std::vector<int32_t>({carousel.left, carousel.centre, carousel.right}),
              std::vector<int32_t>({0, 1, 2}));
    EXPECT_TRUE(carousel.clips[1].playing);
    EXPECT_FALSE(carousel.clips[1].spinning);
    EXPECT_TRUE(carousel.clips[0].spinning);
}

TEST_F(VideoCarouselTest, NextDuringASlideStartsItAgainAndRewindEndsIt) {
    OpenBooths();
    for (int frame = 0; frame < 100; ++frame) { // the button held for 2 s
        clock.AdvanceMs(20);
        carousel.Next();
        carousel.Draw();
        ASSERT_EQ(carousel.state, VideoCarousel::kSliding);
    }
    DrawFor(840);
    EXPECT_EQ(carousel.centre, 0);
    DrawFor(20);
    EXPECT_EQ(carousel.centre, 1);

    carousel.Next();
    clock.AdvanceMs(5000); // the stage was left mid-slide and entered again later
    carousel.Rewind();
    carousel.Draw();
    EXPECT_EQ(carousel.centre, 0);
    EXPECT_TRUE(carousel.clips[0].playing);
}

TEST_F(VideoCarouselTest, PlayingCubesRockWithinFourteenDegreesIdleOnesTurnPastTwenty) {
    OpenBooths();
    float lowest = 0.0f, highest = 0.0f;
    for (int step = 0; step < 250; ++step) {
        DrawFor(37, 37);
        lowest = std::min(lowest, carousel.clips[0].angle);
        highest = std::max(highest, carousel.clips[0].angle);
    }
    EXPECT_FLOAT_EQ(highest, 14.0f);
    EXPECT_GE(lowest, -14.0f);
    EXPECT_LT(lowest, -5.0f) << "it swung back";
    EXPECT_NEAR(carousel.clips[2].angle, 250 * 37 / 60.0f, 0.01f) << "side cubes spin";

    VideoClip& idle = carousel.clips[1];
    idle.Reset();
    carousel.shared.rockDirection = ClipsShared::kRockingUp;
    highest = 0.0f;
    for (int step = 0; step < 8; ++step) {
        clock.AdvanceMs(250); // a quarter second turns an idle cube by 4 1/6 degrees
        idle.Draw(carousel.shared);
        highest = std::max(highest, idle.angle);
    }
    EXPECT_GT(highest, 20.0f);
    EXPECT_LT(highest, 20.0f + 250.0f / 60.0f + 0.01f);
    EXPECT_LT(idle.angle, highest) << "it turned back";
}

// Nobody sees a box in a kiosk: its line in the log names the movie, which the box's text does not.
TEST_F(VideoCarouselTest, AnUnattendedFailureNamesTheMovieInItsLogLine) {
    platform::SetMessageBoxHook(nullptr);
    platform::SetMessageBoxesUnattended(true);
    testing::internal::CaptureStderr();
    VideoClip missing;
    missing.fileName = "Data/movies/Gone.avi";
    EXPECT_FALSE(missing.Open());
    VideoClip undecodable;
    decoder.Add("undecodable.avi", 100, 4000, 0, false);
    undecodable.fileName = "undecodable.avi";
    EXPECT_FALSE(undecodable.Open());
    platform::SetMessageBoxesUnattended(false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Failed To Open The AVI Stream: Data/movies/Gone.avi\n"
              "Error: Failed To Open The AVI Frame: undecodable.avi\n");
}

TEST_F(VideoCarouselTest, FailedFilesAreReportedNeverDecodedAndShowBlack) {
    OpenBooths("Booth2.avi");
    EXPECT_FALSE(opened);
    EXPECT_EQ(decoder.opened, (std::vector<std::string>{"Booth1.avi", "Booth2.avi"}));
    EXPECT_EQ(boxes, std::vector<std::string>{"Failed To Open The AVI Stream"});
    DrawFor(25000, 50); // through both failed clips in front
    EXPECT_EQ(decoder.DecodesOf("Booth2.avi") + decoder.DecodesOf("Booth3.avi"), 0);
    EXPECT_TRUE(Black(carousel.clips[1].texture));
    EXPECT_TRUE(Black(carousel.clips[2].texture));

    VideoClip undecodable;
    ClipsShared shared;
    decoder.Add("undecodable.avi", 100, 4000, 0, false);
    undecodable.fileName = "undecodable.avi";
    EXPECT_FALSE(undecodable.Open());
    EXPECT_EQ(boxes.back(), "Failed To Open The AVI Frame");
    undecodable.Start(true);
    DrawFor(100);
    undecodable.Draw(shared);
    EXPECT_EQ(decoder.DecodesOf("undecodable.avi"), 0);
    EXPECT_TRUE(Black(undecodable.texture));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VideoCarouselTest, MoviesWithoutFramesOrWithTinyFramesDoNotDivideByZero) {
    decoder.Add("empty.avi", 0, 0);
    decoder.Add("fast.avi", 10, 5);
    for (const char* path : {"empty.avi", "empty.avi", "fast.avi"}) {
        carousel.AddClip(path);
    }
    EXPECT_TRUE(carousel.Open());
    carousel.Rewind();
    DrawFor(1000);
    EXPECT_EQ(carousel.centre, 1) << "a movie without frames ends at once";
    VideoClip fast;
    ClipsShared shared;
    fast.fileName = "fast.avi";
    ASSERT_TRUE(fast.Open());
    fast.Start(true);
    clock.AdvanceMs(3);
    fast.Draw(shared);
    EXPECT_EQ(fast.frame, 3) << "frames shorter than a millisecond are shown a millisecond each";
}

TEST_F(VideoCarouselTest, GrowsPastTenClipsAndSurvivesTooFewToMakeARing) {
    for (int i = 0; i < 12; ++i) {
        const std::string path = "clip" + std::to_string(i) + ".avi";
        decoder.Add(path, 25, 1000);
        carousel.AddClip(path.c_str());
    }
    EXPECT_TRUE(carousel.Open());
    EXPECT_EQ(carousel.count, 11);
    carousel.AddClip("late.avi"); // joins at the next Open; until then the ring stays as it is
    carousel.Rewind();
    carousel.Draw();
    EXPECT_EQ(carousel.count, 11);

    VideoCarousel lone;
    lone.AddClip("clip0.avi");
    lone.Draw(); // before Open: nothing to draw
    EXPECT_TRUE(lone.Open());
    lone.Rewind();
    lone.Next();
    lone.Draw();
    EXPECT_EQ(lone.count, 0);
}

TEST_F(VideoCarouselTest, ARingOfOneClipPlaysItAgainAfterEverySlide) {
    decoder.Add("only.avi", 50, 2000);
    decoder.Add("spare.avi", 50, 2000);
    carousel.AddClip("only.avi");
    carousel.AddClip("spare.avi");
    ASSERT_TRUE(carousel.Open());
    ASSERT_EQ(carousel.count, 1);
    carousel.Rewind();
    int slides = 0;
    bool wasSliding = false;
    for (int step = 0; step < 475; ++step) { // 9.5 s: the movie of 2 s and its slide, three times over
        DrawFor(20);
        const bool sliding = carousel.state == VideoCarousel::kSliding;
        slides += sliding && !wasSliding ? 1 : 0;
        wasSliding = sliding;
    }
    EXPECT_EQ(slides, 3);
    const VideoClip& clip = carousel.clips[0];
    EXPECT_TRUE(clip.playing);
    EXPECT_FALSE(clip.spinning) << "it plays in front";
    const int32_t frame = clip.frame;
    DrawFor(400);
    EXPECT_GT(carousel.clips[0].frame, frame) << "its frames go on";
}

TEST_F(VideoCarouselTest, ANewContextGetsNewTexturesShowingTheSamePicture) {
    OpenBooths();
    DrawFor(400);
    const size_t decodesBefore = decoder.decodes.size();
    platform::OffscreenContext fresh(64, 64);
    ASSERT_TRUE(fresh.Ok());
    GLuint taken[8]; // so that no new name can equal an old one by chance
    glGenTextures(8, taken);
    carousel.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(carousel.shared.idleTexture, carousel.clips[0].texture);
    ASSERT_EQ(glIsTexture(carousel.shared.idleTexture), GL_TRUE);
    EXPECT_EQ(TexturePixels(carousel.shared.idleTexture)[1], 10);
    EXPECT_EQ(decoder.decodes.size(), decodesBefore) << "the same frame is not decoded again";
    DrawFor(40);
    EXPECT_EQ(TexturePixels(carousel.shared.idleTexture)[1], 11);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VideoCarouselTest, TheFrontCubeShowsTheMovieUpright) {
    OpenBooths();
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 1.0, 0.5, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTranslatef(0.0f, 0.0f, -1.0f); // the front place, but without the side cubes
    carousel.clips[0].Draw(carousel.shared);
    // Above the middle of the view lies the picture's upper half, below it the lower (blue) half.
    const std::vector<uint8_t> upper = gl.ReadPixels(32, 38, 1, 1);
    const std::vector<uint8_t> lower = gl.ReadPixels(32, 15, 1, 1);
    EXPECT_NEAR(upper[0], 10, 2);
    EXPECT_NEAR(upper[2], 0, 2);
    EXPECT_NEAR(lower[0], 10, 2);
    EXPECT_NEAR(lower[2], 255, 2);
}

} // namespace
