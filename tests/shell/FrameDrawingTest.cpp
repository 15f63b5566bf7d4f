#include "PresentationFixture.h"

#include "camera/CameraRig.h"
#include "render/CelShading.h"
#include "render/ScreenEffects.h"
#include "scenes/Scene.h"
#include "shell/AppWindow.h"
#include "shell/CaptureList.h"
#include "shell/DrawFrame.h"
#include "shell/UpdateFrame.h"
#include "shell/StartUp.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// The visible frame's clear colour.
const std::vector<int> kOrange{229, 121, 34};
// Sum of the twenty glow layers' alphas.
constexpr double kGlowAlphaSum = 0.63;
// The screen's lower half, under the start screen's picture.
constexpr int kLowerHalf = 300;

struct Image {
    int width;
    int height;
    std::vector<uint8_t> rgba;

    int At(int x, int y, int channel) const {
        return rgba[(static_cast<size_t>(y) * width + x) * 4 + channel];
    }
};

bool Near(const std::vector<int>& a, const std::vector<int>& b, int tolerance) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::abs(a[i] - b[i]) > tolerance) {
            return false;
        }
    }
    return true;
}

class FrameDrawingTest : public StartedPresentationFixture {
protected:
    Image Frame() const { return {kWidth, kHeight, gl.ReadPixels(0, 0, kWidth, kHeight)}; }

    Image SceneTextureImage() const {
        Image image{sceneTextureSize, sceneTextureSize, {}};
        image.rgba.resize(static_cast<size_t>(sceneTextureSize) * sceneTextureSize * 4);
        glBindTexture(GL_TEXTURE_2D, show.glow.sceneTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return image;
    }

    // The small render that a capture list recorded now leaves in sceneTexture when a frame replays it.
    // A frame drawn first leaves the camera's view on the matrix, where the list's shading is read from.
    Image CaptureNow() {
        DrawFrame(show);
        const GLuint list = BuildCaptureList(show, window.view);
        const GLuint programList = show.captureList;
        show.captureList = list;
        DrawFrame(show);
        show.captureList = programList;
        glDeleteLists(list, 1);
        return SceneTextureImage();
    }
};

// Fraction of the pixels where the two images differ by more than a small amount in some channel.
double DifferingFraction(const Image& a, const Image& b) {
    size_t differing = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (i % 4 != 3 && std::abs(a.rgba[i] - b.rgba[i]) > 8) {
            ++differing;
            i += 3 - i % 4; // one count per pixel
        }
    }
    return static_cast<double>(differing) / (a.rgba.size() / 4);
}

TEST_F(FrameDrawingTest, TheCaptureListLeavesTheFrameOrangeAndTheViewportAsBuilt) {
    ReshapeView(window.view, 640, 480); // a window resized after the list was built
    glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glCallList(show.captureList);

    for (int y : {0, 100, 300, 599}) {
        for (int x : {0, 256, 511, 700, 799}) {
            EXPECT_TRUE(Near(Pixel(x, y), kOrange, kColourTolerance)) << x << "," << y;
        }
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, kWidth, kHeight}));
}

TEST_F(FrameDrawingTest, BackgroundIsTheOrangeClearBrightenedByTheGlowNotTheWhiteUnderTheSmallRender) {
    PlaceCamera(rig.waypointBooth);
    const GLuint glow = show.blurList;
    show.blurList = 0;
    DrawFrame(show);
    const Image withoutGlow = Frame();
    show.blurList = glow;
    DrawFrame(show);
    const Image frame = Frame();

    // Each glow layer adds the small render's white background in proportion to its alpha there,
    // which is the white clear's 0.5 where the frame keeps alpha, else 1.
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    const double backgroundAlpha = alphaBits > 0 ? 128.0 / 255.0 : 1.0;
    std::vector<int> expected;
    for (int channel : kOrange) {
        expected.push_back(
            std::min(255, static_cast<int>(channel + kGlowAlphaSum * backgroundAlpha * 255.0 + 0.5)));
    }
    for (const auto& [x, y] : {std::pair{5, 5}, std::pair{kWidth - 5, 5}}) {
        EXPECT_TRUE(Near({withoutGlow.At(x, y, 0), withoutGlow.At(x, y, 1), withoutGlow.At(x, y, 2)}, kOrange,
                         kColourTolerance))
            << "corner " << x << "," << y;
        EXPECT_TRUE(
            Near({frame.At(x, y, 0), frame.At(x, y, 1), frame.At(x, y, 2)}, expected, kColourTolerance))
            << "corner " << x << "," << y << " is " << frame.At(x, y, 0) << "," << frame.At(x, y, 1) << ","
            << frame.At(x, y, 2);
    }
}

TEST_F(FrameDrawingTest, ModelsAndTheirGlowAppearOnTheBackground) {
    PlaceCamera(rig.waypointBooth);
    const GLuint glow = show.blurList;
    show.blurList = 0;
    DrawFrame(show);
    const Image withoutGlow = Frame();
    show.blurList = glow;
    DrawFrame(show);
    const Image frame = Frame();

    const int backgroundGreen = frame.At(5, 5, 1);
    size_t modelPixels = 0;
    int weakestGlow = 255;
    for (int y = 0; y < kLowerHalf; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (std::abs(frame.At(x, y, 1) - backgroundGreen) > 40) {
                ++modelPixels;
            }
            weakestGlow = std::min(weakestGlow, frame.At(x, y, 1) - withoutGlow.At(x, y, 1));
        }
    }
    EXPECT_GT(modelPixels, static_cast<size_t>(kWidth * kLowerHalf / 10))
        << "the models fill part of the view";
    // Where the small render shows the dark models, the glow adds far less than over its white background.
    const int strongestGlow = frame.At(5, 5, 1) - withoutGlow.At(5, 5, 1);
    EXPECT_GT(strongestGlow, 40);
    EXPECT_LT(weakestGlow, strongestGlow / 2);
}

TEST_F(FrameDrawingTest, CarouselIsCapturedOnlyWhileTheCubesRunAndTheCameraIsNotFlying) {
    PlaceCamera(rig.waypointCubes);
    const Image idle = CaptureNow();

    ASSERT_TRUE(show.scenes.Start("Cubes"));
    PlaceCamera(rig.waypointCubes);
    rig.mainCamera.inFlight = true;
    const Image flying = CaptureNow();
    rig.mainCamera.inFlight = false;
    const Image arrived = CaptureNow();

    EXPECT_EQ(DifferingFraction(idle, flying), 0.0);
    EXPECT_GT(DifferingFraction(idle, arrived), 0.05);
}

TEST_F(FrameDrawingTest, CaptureOutlinesOffDrawsTheSmallRenderWithoutOutlinesOnly) {
    PlaceCamera(rig.waypointBooth);
    const auto darkPixels = [](const Image& image) {
        size_t dark = 0;
        for (size_t i = 0; i < image.rgba.size(); i += 4) {
            if (image.rgba[i] < 24 && image.rgba[i + 1] < 24 && image.rgba[i + 2] < 24) {
                ++dark;
            }
        }
        return dark;
    };
    const size_t outlined = darkPixels(CaptureNow());
    show.captureOutlines = false;
    const size_t plain = darkPixels(CaptureNow());

    EXPECT_TRUE(show.celShading.outlineEnabled) << "the full-size models keep their outlines";
    EXPECT_GT(outlined, 2 * plain + 100);
}

// The window's view, reshaped by its procedure, sets how wide the frame's outlines are drawn; the small
// render, recorded once, keeps the setting's own width.
TEST_F(FrameDrawingTest, TheFramesOutlinesWidenWithAFittedViewAndTheSmallRendersDoNot) {
    PlaceCamera(rig.waypointBooth);
    // A screen twice the composition's size in each direction shows it twice as large.
    ReshapeFittedView(window.view, 2 * kWidth, 2 * kHeight);
    std::map<std::string, GLfloat> widthAfter;
    for (int i = 0; i < kFramePhaseCount; ++i) {
        kFramePhases[i].draw(show);
        glGetFloatv(GL_LINE_WIDTH, &widthAfter[kFramePhases[i].name]);
    }
    const float setting = show.celShading.outlineWidth;
    EXPECT_EQ(widthAfter["small render and copy"], setting);
    EXPECT_EQ(widthAfter["models with outlines"], 2.0f * setting);
}

} // namespace
