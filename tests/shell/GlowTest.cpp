#include "PresentationFixture.h"

#include "camera/CameraRig.h"
#include "render/Glow.h"
#include "render/PictureDifference.h"
#include "render/ScreenEffects.h"
#include "scenes/Scene.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// How far the fast glow's frame may lie from the exact layers' frame.
constexpr double kMeanLevels = 2.0;
constexpr int kPixelLevels = 8;
constexpr double kPixelsWithin = 0.99;

constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;

// An exhibit's scroll has unrolled by then, and no scene has ended.
constexpr double kSettleSeconds = 4.0;

double FractionWithin(const PictureDifference& difference) {
    return static_cast<double>(difference.pixels - difference.pixelsOver) / difference.pixels;
}

class GlowTest : public StartedPresentationFixture {
protected:
    const platform::OffscreenContext& Current() const { return laterContext ? *laterContext : gl; }

    std::vector<uint8_t> FrameWith(GlowMode mode) {
        show.glow.mode = mode;
        DrawFrame(show);
        EXPECT_EQ(show.glow.lastDrawnFast, mode == GlowMode::Fast);
        return Current().ReadPixels(0, 0, kWidth, kHeight);
    }

    // The same frame drawn both ways, compared; the glow itself must show, or nothing was compared.
    void ExpectFastLooksExact(const char* where) {
        show.glow.mode = GlowMode::Exact;
        const GLuint list = show.blurList;
        show.blurList = 0;
        DrawFrame(show);
        show.blurList = list;
        const std::vector<uint8_t> withoutGlow = Current().ReadPixels(0, 0, kWidth, kHeight);
        const std::vector<uint8_t> exact = FrameWith(GlowMode::Exact);
        const std::vector<uint8_t> fast = FrameWith(GlowMode::Fast);

        EXPECT_GT(ComparePictures(exact, withoutGlow, kPixelLevels).meanLevels, 10.0) << where;
        const PictureDifference difference = ComparePictures(exact, fast, kPixelLevels);
        EXPECT_LE(difference.meanLevels, kMeanLevels) << where;
        EXPECT_GE(FractionWithin(difference), kPixelsWithin) << where;
    }
};

TEST_F(GlowTest, FastGlowLooksLikeTheExactLayersAtTheStartScreenAnExhibitAndTheCubes) {
    show.glow.mode = GlowMode::Auto;
    DrawFrame(show);
    EXPECT_TRUE(show.glow.lastDrawnFast) << "a software rasterizer takes the fast way by default";

    PlaceCamera(rig.waypointBooth);
    ExpectFastLooksExact("start screen");

    ASSERT_TRUE(show.scenes.Start("Parthenon"));
    PlaceCamera(rig.waypointParthenon);
    DrawFrame(show);
    clock.AdvanceSeconds(kSettleSeconds);
    ExpectFastLooksExact("exhibit");

    ASSERT_TRUE(show.scenes.Start("Cubes"));
    PlaceCamera(rig.waypointCubes);
    DrawFrame(show);
    clock.AdvanceSeconds(kSettleSeconds);
    ExpectFastLooksExact("Cubes");
}

TEST_F(GlowTest, FastGlowIsMadeAnewInTheContextOfANewWindow) {
    PlaceCamera(rig.waypointBooth);
    FrameWith(GlowMode::Fast);
    ASSERT_TRUE(SwitchToNewContext());
    ASSERT_TRUE(RunStartUp());
    PlaceCamera(rig.waypointBooth);
    ExpectFastLooksExact("start screen in a new context");
}

} // namespace

// Mesa reads its version override once per process, so this runs as a test of its own with
// MESA_GL_VERSION_OVERRIDE=1.5 (cmake/bench.cmake) and is skipped in the ordinary run.
TEST(GlowFallbackTest, ADriverWithoutShadersDrawsTheExactLayersAndSaysSoOnce) {
    platform::OffscreenContext oldGl(kFallbackWidth, kFallbackHeight);
    ASSERT_TRUE(oldGl.Ok());
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version.rfind("1.", 0) != 0) {
        GTEST_SKIP() << "needs an OpenGL 1.x context, not " << version;
    }
    View view;
    ReshapeView(view, kFallbackWidth, kFallbackHeight);
    Glow glow;
    glow.sceneTexture = CreateEmptyTexture(sceneTextureSize, sceneTextureSize);
    const std::vector<uint8_t> white(sceneTextureSize * sceneTextureSize * 4, 255);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, sceneTextureSize, sceneTextureSize, GL_RGBA, GL_UNSIGNED_BYTE,
                    white.data());
    const GLuint list = BuildBlurList(view, glow.sceneTexture);

    glow.mode = GlowMode::Fast;
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 2; ++frame) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        DrawGlow(glow, list);
        EXPECT_FALSE(glow.lastDrawnFast);
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("exact"), std::string::npos) << log;
    const std::vector<uint8_t> centre = oldGl.ReadPixels(kFallbackWidth / 2, 300, 1, 1);
    EXPECT_NEAR(centre[0], 0.63 * 255, 3) << "the twenty layers over black";
}
