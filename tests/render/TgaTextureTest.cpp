#include "render/Tga.h"

#include "TgaTestFiles.h"
#include "platform/OffscreenContext.h"
#include "platform/Paths.h"
#include "support/TempDir.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tga_test;

namespace {

constexpr GLuint kNeverLoaded = 0xFFFFFFFFu;

std::vector<uint8_t> TextureRgba(int level) {
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

GLint Integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

GLint TexParameter(GLenum what) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
    return value;
}

class TgaTexture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl.Ok()); }

    platform::OffscreenContext gl{64, 64};
    testing_support::TempDir dir{true};
};

} // namespace

TEST_F(TgaTexture, UploadsWithBlackTransparentAndLeavesTheTextureBound) {
    dir.Write("Data/images/Pic.TGA", TgaFile(kUncompressed, 2, 1, 24, Bytes({0x10, 0x20, 0x30, 0, 0, 0})));
    GLuint name = kNeverLoaded;
    ASSERT_TRUE(LoadTgaTexture(&name, "data/images/Pic.TGA", 1));
    EXPECT_NE(name, kNeverLoaded);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name));
    EXPECT_EQ(TextureRgba(0), (std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(TextureRgba(1).size(), 4u) << "a mipmap chain down to 1x1";
    EXPECT_EQ(TexParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(TexParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    GLfloat envMode = 0;
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(static_cast<GLenum>(envMode), static_cast<GLenum>(GL_MODULATE));
    EXPECT_EQ(Integer(GL_UNPACK_ALIGNMENT), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TgaTexture, AlphaModesReachTheTexture) {
    // 32-bit: black with alpha 0x80 stays, opaque black goes transparent.
    dir.Write("a.tga", TgaFile(kUncompressed, 2, 1, 32, Bytes({0, 0, 0, 0x80, 0, 0, 0, 0xFF})));
    GLuint name = kNeverLoaded;
    ASSERT_TRUE(LoadTgaTexture(&name, "a.tga", 1));
    EXPECT_EQ(TextureRgba(0), (std::vector<uint8_t>{0, 0, 0, 0x80, 0, 0, 0, 0}));

    // Mode 0 keeps an RGB texture: no alpha channel, black stays opaque.
    dir.Write("b.tga", TgaFile(kUncompressed, 2, 1, 24, Bytes({0, 0, 0, 1, 2, 3})));
    ASSERT_TRUE(LoadTgaTexture(&name, "b.tga", 0));
    GLint alphaBits = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    EXPECT_EQ(alphaBits, 0);
    EXPECT_EQ(TextureRgba(0), (std::vector<uint8_t>{0, 0, 0, 0xFF, 3, 2, 1, 0xFF}));

    // Mode 2: alpha from the red channel, green replaced by blue.
    dir.Write("c.tga", TgaFile(kUncompressed, 1, 1, 24, Bytes({0x90, 0x10, 0x40})));
    ASSERT_TRUE(LoadTgaTexture(&name, "c.tga", 2));
    EXPECT_EQ(TextureRgba(0), (std::vector<uint8_t>{0x40, 0x90, 0x90, 0xBF}));
}

TEST_F(TgaTexture, RefusedFilesMakeNoOpenGlCallAndLeaveTheVariable) {
    const std::string valid = TgaFile(kUncompressed, 1, 1, 24, Bytes({1, 2, 3}));
    dir.Write("Data/images/Mixed.Tga", valid);
    dir.Write("Data/images/plain.bin", valid);
    dir.Write("Data/images/grey.tga", TgaFile(kGrey, 1, 1, 8, Bytes({7})));
    dir.Write("Data/images/short.tga", valid.substr(0, valid.size() - 1));
    dir.Write("Data/images/ok.tga", valid);
    GLuint before = 0;
    glGenTextures(1, &before);

    for (const char* path : {"data/images/Mixed.Tga", "data/images/plain.bin", "data/images/grey.tga",
                             "data/images/short.tga", "data/images/missing.tga"}) {
        GLuint name = kNeverLoaded;
        EXPECT_FALSE(LoadTgaTexture(&name, path, 1)) << path;
        EXPECT_EQ(name, kNeverLoaded) << path;
    }
    GLuint name = kNeverLoaded;
    EXPECT_FALSE(LoadTgaTexture(&name, nullptr, 1));
    EXPECT_EQ(name, kNeverLoaded);
    EXPECT_FALSE(LoadTgaTexture(nullptr, "data/images/ok.tga", 1));

    // Nothing was generated, bound or set: the next name follows the one taken above.
    GLuint after = 0;
    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(Integer(GL_UNPACK_ALIGNMENT), 4);
}

TEST(TgaBundledPictures, EveryPictureLoadsAndShowsUpright) {
    struct Picture {
        const char* path;
        int width;
        int height;
    };
    const Picture pictures[] = {
        {"data/images/StartScreen.TGA", 512, 256},   {"data/images/StartScreen2.TGA", 512, 256},
        {"data/images/StartScreen3.TGA", 512, 256},  {"data/images/ScrollTrogan.tga", 512, 512},
        {"data/images/ScrollOlympus.tga", 512, 512}, {"data/images/ScrollParthenon.tga", 512, 512},
        {"data/images/cubes.TGA", 512, 128},
    };
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(STANDVIEW_SOURCE_DIR);
    platform::OffscreenContext gl(64, 64);
    ASSERT_TRUE(gl.Ok());

    int runLengthFiles = 0;
    int alphaFiles = 0;
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.path);
        std::unique_ptr<TgaImage> image = LoadTga(picture.path);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, picture.width);
        EXPECT_EQ(image->height, picture.height);
        alphaFiles += image->bytesPerPixel == 4;
        std::ifstream file(platform::ResolvePath(picture.path), std::ios::binary);
        char header[3] = {};
        file.read(header, sizeof header);
        runLengthFiles += header[2] == kRunLength;

        // Every picture has a transparent surround, so its corners vanish over the scene.
        PrepareTgaAlpha(*image, 1);
        EXPECT_EQ(image->pixels[3], 0);
        EXPECT_EQ(image->pixels.back(), 0);

        GLuint name = kNeverLoaded;
        EXPECT_TRUE(LoadTgaTexture(&name, picture.path, 1));
    }
    EXPECT_GE(runLengthFiles, 1);
    EXPECT_GE(alphaFiles, 1);

    // The first row of the file is the bottom of the texture: a scroll's dark red title must lie in
    // the upper half of its buffer, and nowhere in the lower half.
    std::unique_ptr<TgaImage> scroll = LoadTga("data/images/ScrollParthenon.tga");
    ASSERT_TRUE(scroll);
    int titleInUpperHalf = 0;
    int titleInLowerHalf = 0;
    for (int row = 0; row < scroll->height; ++row) {
        for (int column = 0; column < scroll->width; ++column) {
            const uint8_t* p = &scroll->pixels[(static_cast<size_t>(row) * scroll->width + column) * 3];
            if (p[0] > 100 && p[0] > 2 * p[1]) {
                (row >= scroll->height / 2 ? titleInUpperHalf : titleInLowerHalf)++;
            }
        }
    }
    EXPECT_GT(titleInUpperHalf, 500);
    EXPECT_EQ(titleInLowerHalf, 0);
    std::filesystem::current_path(previous);
}
