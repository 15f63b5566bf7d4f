#include "render/ScreenEffects.h"

#include "platform/OffscreenContext.h"
#include "core/View.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

using Matrix = std::array<GLfloat, 16>;

Matrix CurrentMatrix(GLenum which) {
    Matrix m{};
    glGetFloatv(which, m.data());
    return m;
}

GLint Integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

class ScreenEffects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        view.width = kWidth;
        view.height = kHeight;
    }
    // Fills sceneTexture: texel (s, t) gets colour(s, t) for s, t in texel units.
    template <typename Colour> void FillSceneTexture(Colour colour) {
        sceneTexture = CreateEmptyTexture(sceneTextureSize, sceneTextureSize);
        std::vector<GLubyte> texels(sceneTextureSize * sceneTextureSize * 4);
        for (int t = 0; t < sceneTextureSize; ++t) {
            for (int s = 0; s < sceneTextureSize; ++s) {
                const std::array<GLubyte, 4> c = colour(s, t);
                std::copy(c.begin(), c.end(), &texels[(t * sceneTextureSize + s) * 4]);
            }
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, sceneTextureSize, sceneTextureSize, GL_RGBA, GL_UNSIGNED_BYTE,
                        texels.data());
    }

    // Draws the glow list over a black frame and returns the frame's pixels.
    std::vector<uint8_t> DrawGlowOverBlack() {
        const GLuint list = BuildBlurList(view, sceneTexture);
        EXPECT_NE(list, 0u);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(list);
        return gl.ReadPixels(0, 0, kWidth, kHeight);
    }

    platform::OffscreenContext gl{kWidth, kHeight};
    View view;
    GLuint sceneTexture = 0;
};

} // namespace

TEST_F(ScreenEffects, EmptyTextureIsZeroedLinearRgbaWithoutMipmaps) {
    const GLuint name = CreateEmptyTexture(sceneTextureSize, sceneTextureSize);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name));
    GLint width = 0, height = 0, alphaBits = 0, level1Width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1Width);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 512);
    EXPECT_EQ(alphaBits, 8);
    EXPECT_EQ(level1Width, 0);
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);

    std::vector<GLubyte> texels(512 * 512 * 4, 0xAB);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(std::count(texels.begin(), texels.end(), 0), static_cast<long>(texels.size()));
}

TEST_F(ScreenEffects, OrthoViewIsInWindowPixelsAndPerspectiveViewRestoresBothStacks) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(30, 0, 1, 0);
    const Matrix projection = CurrentMatrix(GL_PROJECTION_MATRIX);
    const Matrix modelview = CurrentMatrix(GL_MODELVIEW_MATRIX);
    const GLint projectionDepth = Integer(GL_PROJECTION_STACK_DEPTH);
    const GLint modelviewDepth = Integer(GL_MODELVIEW_STACK_DEPTH);

    view.width = 400;
    OrthoView(view);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth + 1);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth + 1);
    const Matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(CurrentMatrix(GL_MODELVIEW_MATRIX), identity);
    // Window pixel (0, 0) is the top-left corner: x 0..400 maps to -1..1, y 0..600 to 1..-1.
    const Matrix ortho = CurrentMatrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(ortho[0], 2.0f / 400);
    EXPECT_FLOAT_EQ(ortho[5], -2.0f / 600);
    EXPECT_FLOAT_EQ(ortho[12], -1.0f);
    EXPECT_FLOAT_EQ(ortho[13], 1.0f);

    PerspectiveView();
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
    EXPECT_EQ(CurrentMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(CurrentMatrix(GL_MODELVIEW_MATRIX), modelview);
}

TEST_F(ScreenEffects, GlowListLeavesDepthOnBlendAndTextureOffAndNothingBound) {
    FillSceneTexture([](int, int) { return std::array<GLubyte, 4>{255, 255, 255, 255}; });
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    const GLint modelviewDepth = Integer(GL_MODELVIEW_STACK_DEPTH);
    const GLint projectionDepth = Integer(GL_PROJECTION_STACK_DEPTH);
    DrawGlowOverBlack();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
    EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ScreenEffects, GlowLayersEnlargeAndFadeAsTheyAddUp) {
    // White with a black border an eighth of the texture wide: a window pixel near the edge sees
    // white only in the layers whose view of the texture has shrunk past the border.
    constexpr int kBorder = sceneTextureSize / 8;
    FillSceneTexture([](int s, int t) {
        const bool inside =
            s >= kBorder && s < sceneTextureSize - kBorder && t >= kBorder && t < sceneTextureSize - kBorder;
        const GLubyte v = inside ? 255 : 0;
        return std::array<GLubyte, 4>{v, v, v, 255};
    });
    const std::vector<uint8_t> frame = DrawGlowOverBlack();

    // What each layer adds at window column x of the middle row, from the layers' insets and alphas.
    auto expected = [](int x) {
        double sum = 0;
        for (int layer = 0; layer < 20; ++layer) {
            const double inset = 0.007 * layer;
            const double s = inset + (x + 0.5) / kWidth * (1 - 2 * inset);
            if (s >= 0.125 && s <= 0.875) {
                sum += 0.06 - 0.003 * layer;
            }
        }
        return 255 * sum;
    };
    auto red = [&](int x) { return frame[((kHeight / 2) * kWidth + x) * 4]; };
    EXPECT_NEAR(expected(kWidth / 2), 0.63 * 255, 0.01);
    // Columns chosen midway between the places where successive layers cross the border.
    for (int x : {2, 16, 36, 59, 400, 797, 783}) {
        EXPECT_NEAR(red(x), expected(x), 3) << "column " << x;
    }
    EXPECT_LT(red(2), red(36));
    EXPECT_LT(red(36), red(400));
}

TEST_F(ScreenEffects, GlowShowsTheTextureUpright) {
    // Upper half of the texture (t >= 0.5) red, lower half blue.
    FillSceneTexture([](int, int t) {
        return t >= sceneTextureSize / 2 ? std::array<GLubyte, 4>{255, 0, 0, 255}
                                         : std::array<GLubyte, 4>{0, 0, 255, 255};
    });
    const std::vector<uint8_t> frame = DrawGlowOverBlack();
    // glReadPixels rows run bottom-up: row kHeight - 10 is near the top of the window.
    const uint8_t* top = &frame[((kHeight - 10) * kWidth + kWidth / 2) * 4];
    const uint8_t* bottom = &frame[(10 * kWidth + kWidth / 2) * 4];
    EXPECT_NEAR(top[0], 0.63 * 255, 3);
    EXPECT_EQ(top[2], 0);
    EXPECT_EQ(bottom[0], 0);
    EXPECT_NEAR(bottom[2], 0.63 * 255, 3);
}
