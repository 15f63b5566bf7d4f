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
    testing_support::TempDir dir{true};
    PictureTextures pictures;
};

} // namespace

TEST_F(PictureTexturesTest, FailedLoadKeepsANameOfTheSameContext) {
    platform::OffscreenContext gl(16, 16);
    ASSERT_TRUE(gl.Ok());
    dir.Write("data/images/Pic.TGA", OnePixelTga(1, 2, 3));
    LoadPicture(pictures, &pictures.cubesTexture, "data/images/Pic.TGA");
    const GLuint loaded = pictures.cubesTexture;
    EXPECT_NE(loaded, kNoPicture);
    EXPECT_TRUE(glIsTexture(loaded));

    LoadPicture(pictures, &pictures.cubesTexture, "data/images/Missing.TGA");
    EXPECT_EQ(pictures.cubesTexture, loaded);
}

TEST_F(PictureTexturesTest, FailedLoadForgetsANameOfAReplacedContext) {
    dir.Write("data/images/Pic.TGA", OnePixelTga(1, 2, 3));
    {
        platform::OffscreenContext first(16, 16);
        ASSERT_TRUE(first.Ok());
        LoadPicture(pictures, &pictures.scrollTextureHorse, "data/images/Pic.TGA");
        LoadPicture(pictures, &pictures.scrollTextureMountain, "data/images/Pic.TGA");
        ASSERT_NE(pictures.scrollTextureHorse, kNoPicture);
    }
    platform::OffscreenContext second(16, 16);
    ASSERT_TRUE(second.Ok());
    LoadPicture(pictures, &pictures.scrollTextureMountain, "data/images/Pic.TGA");
    EXPECT_NE(pictures.scrollTextureMountain, kNoPicture) << "reloaded in the new context";
    ASSERT_EQ(std::remove((dir.Path() + "/data/images/Pic.TGA").c_str()), 0);
    LoadPicture(pictures, &pictures.scrollTextureHorse, "data/images/Pic.TGA");
    EXPECT_EQ(pictures.scrollTextureHorse, kNoPicture) << "the old name may now belong to another texture";
    const GLuint mountain = pictures.scrollTextureMountain;
    LoadPicture(pictures, &pictures.scrollTextureMountain, "data/images/Pic.TGA");
    EXPECT_EQ(pictures.scrollTextureMountain, mountain);
}
