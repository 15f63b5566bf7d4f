#include "shell/DrawFrame.h"
#include "shell/UpdateFrame.h"

#include "camera/CameraRig.h"
#include "platform/OffscreenContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

TEST(DrawFrameTest, UpdateStoresTheFrameTimeAndDrawingClearsToWhiteUnderTheCameraView) {
    platform::OffscreenContext context(64, 64);
    ASSERT_TRUE(context.Ok());
    Presentation show;
    AppWindow window{};
    show.currentWindow = &window;
    UpdateFrame(show, 40);
    EXPECT_EQ(show.frameMilliseconds, 40.0f);

    glMatrixMode(GL_MODELVIEW);
    glTranslatef(5.0f, 0.0f, 0.0f); // whatever the previous frame left must not survive
    Camera& camera = show.scenes.rig.mainCamera;
    camera.SetMode(Free);
    camera.position = Vec3(0.0f, 0.0f, 3.0f);
    DrawFrame(show);

    const std::vector<uint8_t> pixel = context.ReadPixels(10, 10, 1, 1);
    EXPECT_NEAR(pixel[0], 255, 2);
    EXPECT_NEAR(pixel[1], 255, 2);
    EXPECT_NEAR(pixel[2], 255, 2);

    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    // A free camera at z = 3 with no turn: the world moves 3 away from the eye, and nothing else.
    EXPECT_NEAR(modelview[12], 0.0f, 1e-5);
    EXPECT_NEAR(modelview[14], -3.0f, 1e-5);
}

} // namespace
