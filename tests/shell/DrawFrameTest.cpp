#include "shell/DrawFrame.h"
#include "shell/UpdateFrame.h"

#include "camera/Camera.h"
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
    const CameraMode savedMode = mainCamera.mode;
    const Vec3 savedPosition = mainCamera.position;
    const Quaternion savedRotation = mainCamera.rotation;
    const Matrix4 savedMatrix = mainCamera.matrix;
    mainCamera.SetMode(Free);
    mainCamera.position = Vec3(0.0f, 0.0f, 3.0f);
    // A free camera turns by its matrix, which an earlier test's pose may have left turned: a turn by
    // nothing rebuilds it from the unturned rotation.
    mainCamera.rotation = Quaternion();
    mainCamera.Rotate(Vec3(0.0f, 0.0f, 0.0f));
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
    mainCamera.SetMode(savedMode);
    mainCamera.position = savedPosition;
    mainCamera.rotation = savedRotation;
    mainCamera.matrix = savedMatrix;
}

} // namespace
