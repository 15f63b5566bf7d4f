#include "render/ShadeRamp.h"

#include "platform/OffscreenContext.h"
#include "platform/Paths.h"
#ifndef _WIN32
#include "support/Fifo.h"
#endif
#include "support/TempDir.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

struct RampRead {
    int count;
    float ramp[kShadeRampSize][3];
};

RampRead ReadFrom(const std::string& text) {
    RampRead read{};
    read.count = ReadShadeRamp(text, read.ramp);
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
    platform::SetDataFolder(STANDVIEW_SOURCE_DIR "/Data");
    float ramp[kShadeRampSize][3];
    const ShadeRampLoad load = LoadShadeRamp(ramp);
    platform::SetDataFolder("");
    EXPECT_TRUE(load.opened);
    EXPECT_EQ(load.problem, "");
    const int count = load.values;
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

// Start-up reads the ramp before any window opens: nothing under its name may keep it waiting or fill
// the memory.
TEST(ShadeRampData, OnlyARegularFileIsReadAndNoMoreThanTheRampCanUse) {
#ifdef _WIN32
    GTEST_SKIP() << "sparse files, the peak resident size and FIFOs are measured with POSIX calls";
#else
    testing_support::TempDir dir(true);
    auto peakKilobytes = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    const long before = peakKilobytes();
    // A ramp at the start of a 1 GB file (sparse, so it costs no disk).
    const std::string huge = dir.Write("Data/shader.txt", "0.25\n0.5\n");
    ASSERT_EQ(truncate(huge.c_str(), off_t{1} << 30), 0);
    float ramp[kShadeRampSize][3];
    const ShadeRampLoad load = LoadShadeRamp(ramp);
    EXPECT_TRUE(load.opened);
    EXPECT_EQ(load.problem, "");
    EXPECT_EQ(load.values, 32) << "the zeros after the values are lines of their own";
    EXPECT_FLOAT_EQ(ramp[1][0], 0.5f);
    EXPECT_LT(peakKilobytes() - before, 32 * 1024) << "the file was read beyond what the ramp can use";

    ASSERT_EQ(unlink(huge.c_str()), 0);
    testing_support::Fifo fifo(huge);
    ASSERT_TRUE(fifo.Made());
    bool waited = false;
    const ShadeRampLoad piped =
        fifo.RunGuarded([&ramp] { return LoadShadeRamp(ramp); }, waited, std::chrono::seconds(10));
    EXPECT_FALSE(waited) << "the ramp's reading waited for a writer";
    EXPECT_FALSE(piped.opened);
    EXPECT_EQ(piped.problem, "a FIFO, not a regular file");
#endif
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
