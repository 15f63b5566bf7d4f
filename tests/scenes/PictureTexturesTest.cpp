#include "scenes/PictureTextures.h"

#include "platform/OffscreenContext.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// An uncompressed 24-bit TGA of 1 x 1 pixel.
std::string OnePixelTga(char b, char g, char r) {
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = 1;
    file[14] = 1;
    file[16] = 24;
    return file + std::string{b, g, r};
}

class PictureTexturesTest : public testing::Test {
protected:
    void SetUp() override { ResetPictureTexturesForTests(); }
    void TearDown() override { ResetPictureTexturesForTests(); }

    testing_support::TempDir dir{true};
};

} // namespace

TEST_F(PictureTexturesTest, FailedLoadKeepsANameOfTheSameContext) {
    platform::OffscreenContext gl(16, 16);
    ASSERT_TRUE(gl.Ok());
    dir.Write("data/images/Pic.TGA", OnePixelTga(1, 2, 3));
    LoadPicture(&cubesTexture, "data/images/Pic.TGA");
    const GLuint loaded = cubesTexture;
    EXPECT_NE(loaded, kNoPicture);
    EXPECT_TRUE(glIsTexture(loaded));

    LoadPicture(&cubesTexture, "data/images/Missing.TGA");
    EXPECT_EQ(cubesTexture, loaded);
}

TEST_F(PictureTexturesTest, FailedLoadForgetsANameOfAReplacedContext) {
    dir.Write("data/images/Pic.TGA", OnePixelTga(1, 2, 3));
    {
        platform::OffscreenContext first(16, 16);
        ASSERT_TRUE(first.Ok());
        LoadPicture(&scrollTextureHorse, "data/images/Pic.TGA");
        LoadPicture(&scrollTextureMountain, "data/images/Pic.TGA");
        ASSERT_NE(scrollTextureHorse, kNoPicture);
    }
    platform::OffscreenContext second(16, 16);
    ASSERT_TRUE(second.Ok());
    LoadPicture(&scrollTextureMountain, "data/images/Pic.TGA");
    EXPECT_NE(scrollTextureMountain, kNoPicture) << "reloaded in the new context";
    ASSERT_EQ(std::remove((dir.Path() + "/data/images/Pic.TGA").c_str()), 0);
    LoadPicture(&scrollTextureHorse, "data/images/Pic.TGA");
    EXPECT_EQ(scrollTextureHorse, kNoPicture) << "the old name may now belong to another texture";
    const GLuint mountain = scrollTextureMountain;
    LoadPicture(&scrollTextureMountain, "data/images/Pic.TGA");
    EXPECT_EQ(scrollTextureMountain, mountain);
}
