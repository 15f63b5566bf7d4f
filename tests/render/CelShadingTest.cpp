#include "render/CelShading.h"

#include "platform/OffscreenContext.h"
#include "render/ShadeRamp.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kSize = 64;
constexpr float kFirstTexel = 0.2f;
constexpr float kMiddleTexels = 0.5f;
constexpr float kLastTexel = 0.9f;
// Outlines as wide as the setting, as in a view of the composition's own size.
constexpr float kUnscaled = 1.0f;

// A white square over the whole view, one normal at every corner.
struct TestSquare {
    float positions[4][3];
    float normals[1][3];
    MeshFace faces[2] = {{{0, 1, 2}, {0, 0, 0}, {0, 0, 0}}, {{0, 2, 3}, {0, 0, 0}, {0, 0, 0}}};
    MeshMaterial material = {{1, 1, 1}, {1, 1, 1}, {0, 0, 0}, {0, 0, 0}, 1, 4, -1};
    MaterialGroup group = {0, 2};
    EmbeddedMesh Mesh() const {
        return {faces, 2, positions, 4, normals, 1, nullptr, 0, &material, 1, &group, 1};
    }
};

// In the x-y plane, facing +z (towards the viewer with an identity modelview).
TestSquare FacingSquare(float nx, float ny, float nz) {
    return {{{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, {{nx, ny, nz}}};
}

class CelShading : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.Ok());
        float ramp[kShadeRampSize][3];
        for (int k = 0; k < kShadeRampSize; ++k) {
            const float level = k == 0 ? kFirstTexel : k == kShadeRampSize - 1 ? kLastTexel : kMiddleTexels;
            ramp[k][0] = ramp[k][1] = ramp[k][2] = level;
        }
        celShading.shadeTexture = CreateShadeTexture(ramp);
        // The state start-up establishes.
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // Red channel of the centre pixel.
    int Centre() const { return gl.ReadPixels(kSize / 2, kSize / 2, 1, 1)[0]; }

    // Scans the middle row from the left edge and returns the first pixel that is not background.
    std::vector<uint8_t> FirstPixelOffBackground() const {
        const std::vector<uint8_t> row = gl.ReadPixels(0, kSize / 2, kSize, 1);
        for (int x = 0; x < kSize; ++x) {
            const uint8_t* p = &row[x * 4];
            if (p[0] > 8 || p[1] < 247 || p[2] > 8) {
                return {p[0], p[1], p[2]};
            }
        }
        return {};
    }

    // The floating model seen from above, filling most of the view.
    void DrawFloatingFromAbove(float outlineScale = kUnscaled) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.025, 0.425, 0.025, 0.425, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        DrawFloatingModel(celShading, outlineScale);
    }

    platform::OffscreenContext gl{kSize, kSize};
    CelShadingState celShading;
};

TEST_F(CelShading, FaceTurnedToTheLightTakesTheLastTexelAndTurnedAwayTheFirst) {
    // Slightly off the light: a coordinate of exactly 1 would wrap to the first texel.
    const TestSquare lit = FacingSquare(0.0f, 0.1f, 0.995f);
    DrawCelMesh(celShading, lit.Mesh());
    EXPECT_NEAR(Centre(), kLastTexel * 255, 2);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Turned away at an angle: without the clamp to 0 the repeat wrap would pick a middle texel.
    const TestSquare away = FacingSquare(0.0f, 0.6f, -0.8f);
    DrawCelMesh(celShading, away.Mesh());
    EXPECT_NEAR(Centre(), kFirstTexel * 255, 2);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(CelShading, NormalsAreTurnedByTheModelviewAndNormalisedAgain) {
    // The square lies in the x-z plane; a quarter turn about x and a half scale bring it in front.
    TestSquare square{{{-2, 0, 2}, {2, 0, 2}, {2, 0, -2}, {-2, 0, -2}}, {{0.0f, 0.995f, -0.1f}}};
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glScalef(0.5f, 0.5f, 0.5f);
    DrawCelMesh(celShading, square.Mesh());
    EXPECT_NEAR(Centre(), kLastTexel * 255, 2) << "the scaled normal was not normalised";

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    square.normals[0][1] = -0.995f;
    square.normals[0][2] = 0.1f;
    DrawCelMesh(celShading, square.Mesh());
    EXPECT_NEAR(Centre(), kFirstTexel * 255, 2);
}

TEST_F(CelShading, OutlineIsBlackAlongTheSilhouetteAndAbsentWhenSwitchedOff) {
    celShading.outlineSmooth = false;
    DrawFloatingFromAbove();
    const std::vector<uint8_t> edge = FirstPixelOffBackground();
    ASSERT_EQ(edge.size(), 3u);
    EXPECT_LE(edge[0], 2);
    EXPECT_LE(edge[1], 2);
    EXPECT_LE(edge[2], 2);

    celShading.outlineEnabled = false;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFloatingFromAbove();
    const std::vector<uint8_t> cloud = FirstPixelOffBackground();
    ASSERT_EQ(cloud.size(), 3u);
    EXPECT_GE(cloud[0], kFirstTexel * 255 - 2) << "the cloud's edge should show its own white";
}

TEST_F(CelShading, LineSmoothingFollowsItsSwitchInEveryPass) {
    glDisable(GL_LINE_SMOOTH);
    DrawFloatingFromAbove();
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    GLint hint = 0;
    glGetIntegerv(GL_LINE_SMOOTH_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);

    celShading.outlineSmooth = false;
    DrawFloatingFromAbove();
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
}

TEST_F(CelShading, OutlinePassRestoresTheStartUpState) {
    glPushMatrix();
    DrawLandscapeModel(celShading, kUnscaled);
    DrawFloatingModel(celShading, kUnscaled);
    glPopMatrix();
    GLint depthFunc = 0, cullMode = 0, polygonModes[2] = {0, 0};
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    glGetIntegerv(GL_POLYGON_MODE, polygonModes);
    EXPECT_EQ(depthFunc, GL_LESS);
    EXPECT_EQ(cullMode, GL_BACK);
    EXPECT_EQ(polygonModes[0], GL_FILL);
    EXPECT_EQ(polygonModes[1], GL_FILL);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CelShading, SwitchedOffOutlinesTouchNoStateAndTheTempleIsStillDrawn) {
    celShading.outlineEnabled = false;
    // A state the outline pass would reset: proof that it did not run.
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-0.6, 0.6, -0.6, 0.6, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    DrawLandscapeModel(celShading, kUnscaled);
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    // Seen from the front the temple's red columns stand left of the centre.
    const std::vector<uint8_t> pixels = gl.ReadPixels(0, 0, kSize, kSize);
    int red = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
        const uint8_t* p = &pixels[i * 4];
        red += p[0] > 40 && p[0] > 2 * p[1] && p[0] > 2 * p[2];
    }
    EXPECT_GT(red, 20);
}

TEST_F(CelShading, OutlineWidthGoesToGlUncheckedTimesTheViewsScale) {
    celShading.outlineWidth = 5.0f;
    DrawFloatingFromAbove();
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 5.0f);
    DrawFloatingFromAbove(1.5f);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 7.5f);

    while (glGetError() != GL_NO_ERROR) {
    }
    celShading.outlineWidth = 0.0f;
    DrawFloatingFromAbove();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE)) << "a width of 0 is handed to GL as it is";
}

TEST_F(CelShading, DrawOperationsLeaveTheirTransformsOnTheStack) {
    GLfloat m[16];
    DrawLandscapeModel(celShading, kUnscaled);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // A three-quarter turn about x: the model's z axis becomes the scene's up.
    EXPECT_NEAR(m[9], 1.0f, 1e-6);
    EXPECT_NEAR(m[6], -1.0f, 1e-6);
    EXPECT_NEAR(m[5], 0.0f, 1e-6);
    EXPECT_NEAR(m[0], 1.0f, 1e-6) << "the temple's scale must not stay on the stack";

    glLoadIdentity();
    celShading.bobOffset = 0.02f;
    DrawFloatingModel(celShading, kUnscaled);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[0], 0.3f, 1e-6);
    EXPECT_NEAR(m[12], 0.225f, 1e-6);
    EXPECT_NEAR(m[13], 0.225f, 1e-6);
    EXPECT_NEAR(m[14], 0.02f + 0.375f, 1e-6);
}

// The frame's outline picks the edges of the back faces itself, each edge once; the capture list's, recorded
// once, leaves that to GL's culling. Unsmoothed, an edge drawn twice looks as one drawn once, so from a view
// that shows all three models the two ways must give the same picture.
TEST(CelShadingInView, OutlineEdgesAreThoseOfTheFacesGlCulls) {
    constexpr int kViewSize = 256;
    platform::OffscreenContext view(kViewSize, kViewSize);
    ASSERT_TRUE(view.Ok());
    CelShadingState celShading;
    celShading.outlineSmooth = false;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.25, 50.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.9, 0.5, 1.5, 0.0, -0.25, 0.0, 0.0, 1.0, 0.0);
    const auto draw = [&](bool byEdges) {
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        if (byEdges) {
            DrawLandscapeModel(celShading, kUnscaled);
            DrawFloatingModel(celShading, kUnscaled);
        } else {
            DrawModels(celShading, true);
        }
        glPopMatrix();
        return view.ReadPixels(0, 0, kViewSize, kViewSize);
    };
    const std::vector<uint8_t> byEdges = draw(true);
    const std::vector<uint8_t> byFaces = draw(false);

    int outline = 0;
    int differing = 0;
    for (size_t p = 0; p < byFaces.size(); p += 4) {
        outline += byFaces[p] == 0 && byFaces[p + 1] == 0 && byFaces[p + 2] == 0 ? 1 : 0;
        differing += std::memcmp(&byFaces[p], &byEdges[p], 3) != 0 ? 1 : 0;
    }
    EXPECT_GT(outline, kViewSize * kViewSize / 50) << "the view shows the models' outlines";
    // Faces seen almost edge-on may fall to either side of GL's own test.
    EXPECT_LT(differing, outline / 100) << differing << " of " << outline << " outline pixels differ";
}

} // namespace
