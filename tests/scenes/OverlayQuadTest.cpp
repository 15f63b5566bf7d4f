#include "scenes/OverlayQuad.h"

#include "SceneGl.h"
#include "scenes/PictureTextures.h"

#include <gtest/gtest.h>

using namespace scenes_test;

namespace {

class OverlayQuadTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        glViewport(0, 0, 800, 600);
        ClearBlack();
    }

    void ExpectPixel(int x, int row, Rgb expected) {
        const Rgb actual = PixelFromTop(gl, x, row);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(actual[i], expected[i], 2) << "pixel " << x << ", row " << row << " channel " << i;
        }
    }

    platform::OffscreenContext gl{800, 600};
};

GLint Integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

} // namespace

TEST_F(OverlayQuadTest, CoversTheTopPartAtItsAlpha) {
    const GLuint red = SolidTexture(200, 0, 0);
    DrawOverlayQuad(red, 0.85f, 0.0, 0.0, 1.0, 0.45);
    const Rgb shown = {Blend(200, 0.85f), 0, 0};
    ExpectPixel(0, 0, shown);
    ExpectPixel(799, 0, shown);
    ExpectPixel(400, 269, shown);
    ExpectPixel(400, 270, {0, 0, 0});
    ExpectPixel(400, 599, {0, 0, 0});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayQuadTest, FollowsTheViewportNotTheWindow) {
    glViewport(0, 0, 400, 300); // the lower-left quarter of the window
    DrawOverlayQuad(SolidTexture(0, 0, 255), 1.0f, 0.25, 0.5, 0.75, 1.0);
    // Viewport rows 150..299 from its top are window rows 450..599; columns 100..299.
    ExpectPixel(100, 450, {0, 0, 255});
    ExpectPixel(299, 599, {0, 0, 255});
    ExpectPixel(99, 500, {0, 0, 0});
    ExpectPixel(300, 500, {0, 0, 0});
    ExpectPixel(200, 449, {0, 0, 0});
}

TEST_F(OverlayQuadTest, ScissorBoxIsAskedForOnceAndLimitsTheDrawing) {
    int asked = 0;
    DrawOverlayQuad(SolidTexture(0, 255, 0), 1.0f, 0.0, 0.0, 1.0, 1.0, [&] {
        ++asked;
        EXPECT_EQ(Integer(GL_SCISSOR_TEST), GL_FALSE) << "asked for before the test is switched on";
        return ScissorBox{1, 400, 800, 600};
    });
    EXPECT_EQ(asked, 1);
    // A box from y 400 upward lets the top 200 rows through, all but column 0.
    ExpectPixel(1, 0, {0, 255, 0});
    ExpectPixel(799, 199, {0, 255, 0});
    ExpectPixel(0, 100, {0, 0, 0});
    ExpectPixel(400, 200, {0, 0, 0});
    EXPECT_EQ(Integer(GL_SCISSOR_TEST), GL_FALSE);
}

TEST_F(OverlayQuadTest, NeverLoadedPictureShowsWhite) {
    DrawOverlayQuad(kNoPicture, 0.5f, 0.0, 0.0, 1.0, 1.0);
    const int grey = Blend(255, 0.5f);
    ExpectPixel(400, 300, {grey, grey, grey});
}

TEST_F(OverlayQuadTest, LeavesMatricesAndSavedStateAsItFoundThem) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    const GLuint bound = SolidTexture(1, 2, 3);
    const GLuint picture = SolidTexture(9, 9, 9);
    glBindTexture(GL_TEXTURE_2D, bound);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(2, 2, 2);
    GLfloat projection[16];
    GLfloat modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);

    DrawOverlayQuad(picture, 0.5f, 0.0, 0.0, 1.0, 1.0, [] { return ScissorBox{0, 0, 10, 10}; });

    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, projection));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, modelview));
    EXPECT_EQ(Integer(GL_DEPTH_TEST), GL_TRUE);
    EXPECT_EQ(Integer(GL_LIGHTING), GL_TRUE);
    EXPECT_EQ(Integer(GL_BLEND), GL_FALSE);
    EXPECT_EQ(Integer(GL_TEXTURE_2D), GL_FALSE);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(bound));
    EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
