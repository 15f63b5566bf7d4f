#include "render/ShadeRamp.h"

#include "platform/OffscreenContext.h"
#include "platform/Paths.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

struct RampRead {
    int count;
    float ramp[kShadeRampSize][3];
};

RampRead ReadFrom(const std::string& text) {
    FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    RampRead read{};
    read.count = ReadShadeRamp(file, read.ramp);
    std::fclose(file);
    return read;
}

void ExpectGrey(const RampRead& read, int texel, float level) {
    EXPECT_FLOAT_EQ(read.ramp[texel][0], level) << "texel " << texel;
    EXPECT_FLOAT_EQ(read.ramp[texel][1], level) << "texel " << texel;
    EXPECT_FLOAT_EQ(read.ramp[texel][2], level) << "texel " << texel;
}

TEST(ShadeRampReading, StopsAtThirtyTwoValues) {
    std::string text;
    for (int k = 0; k < 40; ++k) {
        text += std::to_string(k / 100.0) + "\n";
    }
    const RampRead read = ReadFrom(text);
    EXPECT_EQ(read.count, 32);
    ExpectGrey(read, 0, 0.0f);
    ExpectGrey(read, 31, 0.31f);
}

TEST(ShadeRampReading, ShortFileEndingWithALineBreakYieldsItsLastValueTwice) {
    const RampRead read = ReadFrom("0.25\n0.5\n0.75\n");
    EXPECT_EQ(read.count, 4);
    ExpectGrey(read, 2, 0.75f);
    ExpectGrey(read, 3, 0.75f);
    ExpectGrey(read, 31, 0.75f); // later texels repeat the last value
}

TEST(ShadeRampReading, ShortFileWithoutAFinalLineBreakYieldsEachValueOnce) {
    const RampRead read = ReadFrom("0.25\n0.5");
    EXPECT_EQ(read.count, 2);
    ExpectGrey(read, 1, 0.5f);
    ExpectGrey(read, 2, 0.5f);
}

TEST(ShadeRampReading, LineLongerThanTheBufferCountsAsSeveralValues) {
    // 254 characters fill the buffer; the rest of the line is the next value.
    const std::string first = "0.25" + std::string(250, ' ');
    const RampRead read = ReadFrom(first + "0.75\n0.5");
    EXPECT_EQ(read.count, 3);
    ExpectGrey(read, 0, 0.25f);
    ExpectGrey(read, 1, 0.75f);
    ExpectGrey(read, 2, 0.5f);
}

TEST(ShadeRampReading, TextIsReadForItsLeadingNumber) {
    const RampRead read = ReadFrom("grey\n0.4 levels\n\n1e-1\n");
    EXPECT_EQ(read.count, 5);
    ExpectGrey(read, 0, 0.0f);
    ExpectGrey(read, 1, 0.4f);
    ExpectGrey(read, 2, 0.0f);
    ExpectGrey(read, 3, 0.1f);
}

TEST(ShadeRampReading, EmptyFileGivesAFullBrightRamp) {
    const RampRead read = ReadFrom("");
    EXPECT_EQ(read.count, 0);
    ExpectGrey(read, 0, 1.0f);
    ExpectGrey(read, 31, 1.0f);
}

TEST(ShadeRampData, BundledFileHasThirtyTwoRisingBands) {
    FILE* file = std::fopen(STANDVIEW_SOURCE_DIR "/Data/shader.txt", "r");
    ASSERT_NE(file, nullptr);
    float ramp[kShadeRampSize][3];
    const int count = ReadShadeRamp(file, ramp);
    std::fclose(file);
    EXPECT_EQ(count, 32);
    std::set<float> levels;
    for (int k = 0; k < kShadeRampSize; ++k) {
        EXPECT_GT(ramp[k][0], 0.0f);
        EXPECT_LE(ramp[k][0], 1.0f);
        if (k > 0) {
            EXPECT_GE(ramp[k][0], ramp[k - 1][0]) << "dark faces first, lit faces last";
        }
        levels.insert(ramp[k][0]);
    }
    EXPECT_GE(levels.size(), 3u);
    EXPECT_LE(levels.size(), 6u) << "a few flat bands give the cartoon look";
}

TEST(ShadeRampTexture, IsAOneDimensionalNearestRgbTextureOfTheRamp) {
    platform::OffscreenContext gl(8, 8);
    ASSERT_TRUE(gl.Ok());
    float ramp[kShadeRampSize][3];
    for (int k = 0; k < kShadeRampSize; ++k) {
        ramp[k][0] = ramp[k][1] = ramp[k][2] = k / 31.0f;
    }
    const GLuint name = CreateShadeTexture(ramp);
    EXPECT_NE(name, 0u);
    EXPECT_TRUE(glIsTexture(name));
    GLint width = 0, format = 0, minFilter = 0, magFilter = 0, wrap = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(width, kShadeRampSize);
    EXPECT_EQ(format, GL_RGB);
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(magFilter, GL_NEAREST);
    EXPECT_EQ(wrap, GL_REPEAT);
    float texels[kShadeRampSize][3];
    glGetTexImage(GL_TEXTURE_1D, 0, GL_RGB, GL_FLOAT, texels);
    for (int k = 0; k < kShadeRampSize; ++k) {
        EXPECT_NEAR(texels[k][0], ramp[k][0], 1.0 / 255) << "texel " << k;
        EXPECT_NEAR(texels[k][2], ramp[k][2], 1.0 / 255) << "texel " << k;
    }
    glDeleteTextures(1, &name);
}

TEST(ShadeRampData, IsFoundUnderItsWindowsName) {
    EXPECT_STREQ(kShadeRampFile, "Data\\shader.txt");
    const std::string resolved =
        platform::ResolvePath(std::string(STANDVIEW_SOURCE_DIR "/") + kShadeRampFile);
    FILE* file = std::fopen(resolved.c_str(), "r");
    EXPECT_NE(file, nullptr) << resolved;
    if (file) {
        std::fclose(file);
    }
}

} // namespace
