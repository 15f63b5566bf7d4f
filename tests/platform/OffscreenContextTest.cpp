#include "platform/OffscreenContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(OffscreenContext, ClearsAndReadsBackWithADepthBuffer) {
    platform::OffscreenContext gl(64, 32);
    ASSERT_TRUE(gl.Ok());
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const std::vector<uint8_t> pixel = gl.ReadPixels(10, 10, 1, 1);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
}
