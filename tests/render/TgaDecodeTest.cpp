#include "render/Tga.h"

#include "TgaTestFiles.h"
#ifndef _WIN32
#include "support/Fifo.h"
#endif
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif
#include <vector>

using namespace tga_test;

namespace {

std::unique_ptr<TgaImage> Decode(const std::string& file) {
    return DecodeTga(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

std::vector<uint8_t> Pixels(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

// n copies of one BGR pixel.
std::string Repeat(const std::string& pixel, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += pixel;
    }
    return out;
}

} // namespace

TEST(TgaDecode, UncompressedTrueColourSwapsToRgbAndKeepsRowOrder) {
    // Two rows of two pixels; the first row of the file must stay the first row of the buffer.
    auto rgb = Decode(TgaFile(kUncompressed, 2, 2, 24, Bytes({0x10, 0x20, 0x30, 1, 2, 3, 4, 5, 6, 7, 8, 9})));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->bytesPerPixel, 3);
    EXPECT_EQ(rgb->width, 2);
    EXPECT_EQ(rgb->height, 2);
    EXPECT_EQ(rgb->pixels, Pixels({0x30, 0x20, 0x10, 3, 2, 1, 6, 5, 4, 9, 8, 7}));

    auto rgba = Decode(TgaFile(kUncompressed, 1, 2, 32, Bytes({0x10, 0x20, 0x30, 0x80, 0, 0, 0, 0xFF})));
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->bytesPerPixel, 4);
    EXPECT_EQ(rgba->pixels, Pixels({0x30, 0x20, 0x10, 0x80, 0, 0, 0, 0xFF}));
}

TEST(TgaDecode, SixteenBitPixelsKeepFiveBitsAChannelAndIgnoreBit15) {
    // Little-endian 0x7FFF, 0x8000, 0x7C00 (red), 0x03E0 (green), 0x001F (blue).
    auto image = Decode(TgaFile(kUncompressed, 5, 1, 16,
                                Bytes({0xFF, 0x7F, 0x00, 0x80, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00})));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bytesPerPixel, 3);
    EXPECT_EQ(image->pixels, Pixels({0xF8, 0xF8, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8}));
}

TEST(TgaDecode, IdentificationFieldIsSkipped) {
    const std::string data = Bytes({1, 2, 3, 4, 5, 6});
    auto plain = Decode(TgaFile(kUncompressed, 2, 1, 24, data));
    auto withId = Decode(TgaFile(kUncompressed, 2, 1, 24, data, "hello"));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(withId);
    EXPECT_EQ(withId->pixels, plain->pixels);
    EXPECT_EQ(withId->pixels, Pixels({3, 2, 1, 6, 5, 4}));
}

TEST(TgaDecode, RunAndRawPacketsOfEverySize) {
    const std::string red = Bytes({0, 0, 0xFF});
    const std::string green = Bytes({0, 0xFF, 0});
    // 0x80: one pixel; 0xFF: 128 pixels; 0x00: one raw pixel; 0x7F: 128 raw pixels. 258 pixels in all.
    std::string data = Bytes({0x80}) + red + Bytes({0xFF}) + green + Bytes({0x00}) + red + Bytes({0x7F});
    for (int i = 0; i < 128; ++i) {
        data += Bytes({i, 0, 0});
    }
    auto image = Decode(TgaFile(kRunLength, 258, 1, 24, data));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixels.size(), 258u * 3);
    auto pixel = [&](int i) {
        return std::vector<uint8_t>(&image->pixels[i * 3], &image->pixels[i * 3 + 3]);
    };
    EXPECT_EQ(pixel(0), Pixels({0xFF, 0, 0}));
    EXPECT_EQ(pixel(1), Pixels({0, 0xFF, 0}));
    EXPECT_EQ(pixel(128), Pixels({0, 0xFF, 0}));
    EXPECT_EQ(pixel(129), Pixels({0xFF, 0, 0}));
    EXPECT_EQ(pixel(130), Pixels({0, 0, 0}));
    EXPECT_EQ(pixel(257), Pixels({0, 0, 127}));
}

TEST(TgaDecode, PacketsRunOnAcrossRowEnds) {
    // Rows of three: a run of four covers row one and the first pixel of row two.
    const std::string data = Bytes({0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9});
    auto image = Decode(TgaFile(kRunLength, 3, 2, 24, data));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, Pixels({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
}

TEST(TgaDecode, RunLengthKeepsAlphaAndDecodesSixteenBitLikeUncompressed) {
    auto rgba = Decode(TgaFile(kRunLength, 2, 1, 32, Bytes({0x81, 0x10, 0x20, 0x30, 0x40})));
    ASSERT_TRUE(rgba);
    EXPECT_EQ(rgba->bytesPerPixel, 4);
    EXPECT_EQ(rgba->pixels, Pixels({0x30, 0x20, 0x10, 0x40, 0x30, 0x20, 0x10, 0x40}));

    auto sixteen = Decode(TgaFile(kRunLength, 3, 1, 16, Bytes({0x81, 0xFF, 0x7F, 0x00, 0x1F, 0x00})));
    ASSERT_TRUE(sixteen);
    EXPECT_EQ(sixteen->bytesPerPixel, 3);
    EXPECT_EQ(sixteen->pixels, Pixels({0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0, 0, 0xF8}));
}

TEST(TgaDecode, PacketsPastTheLastPixelAreCut) {
    // A run of 128 into a picture of two pixels, and a raw packet announcing four with data for two.
    auto run = Decode(TgaFile(kRunLength, 2, 1, 24, Bytes({0xFF, 1, 2, 3})));
    ASSERT_TRUE(run);
    EXPECT_EQ(run->pixels, Pixels({3, 2, 1, 3, 2, 1}));
    auto raw = Decode(TgaFile(kRunLength, 1, 2, 24, Bytes({0x03, 1, 2, 3, 4, 5, 6})));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->pixels, Pixels({3, 2, 1, 6, 5, 4}));
}

TEST(TgaDecode, UnsupportedDepthsAndEmptyPicturesAreRefused) {
    EXPECT_FALSE(Decode(TgaFile(kGrey, 2, 1, 8, Bytes({1, 2}))));
    EXPECT_FALSE(Decode(TgaFile(kColourMapped, 2, 1, 8, Bytes({1, 2}))));
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 2, 1, 8, Bytes({0x81, 1}))));
    EXPECT_FALSE(Decode(TgaFile(kUncompressed, 2, 1, 15, Bytes({1, 2, 3, 4}))));
    EXPECT_FALSE(Decode(TgaFile(kUncompressed, 0, 5, 24, "")));
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 5, 0, 24, Bytes({0x80, 1, 2, 3}))));
}

TEST(TgaDecode, TruncatedFilesFailCleanly) {
    const std::string whole = TgaFile(kUncompressed, 2, 2, 24, Repeat(Bytes({1, 2, 3}), 4));
    ASSERT_TRUE(Decode(whole));
    for (size_t length : {size_t{0}, size_t{17}, size_t{18}, whole.size() - 1}) {
        EXPECT_FALSE(Decode(whole.substr(0, length))) << "length " << length;
    }
    // An identification field longer than the file.
    std::string longId = TgaFile(kUncompressed, 1, 1, 24, Bytes({1, 2, 3}));
    longId[0] = 64;
    EXPECT_FALSE(Decode(longId));
    // A run-length stream ending before the picture is full: after a header, inside a run pixel,
    // inside a raw packet.
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 4, 1, 24, Bytes({0x81, 1, 2, 3}))));
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 4, 1, 24, Bytes({0x81, 1, 2, 3, 0x81, 1}))));
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 4, 1, 24, Bytes({0x81, 1, 2, 3, 0x01, 1, 2, 3}))));
    EXPECT_FALSE(DecodeTga(nullptr, 100));
}

TEST(TgaDecode, HeadersClaimingHugePicturesFailWithoutFillingTheClaim) {
    // 65535 x 65535 pixels of 32 bits would be 17 GB; allocating and clearing that would not return
    // within the time limit below (or would exhaust memory).
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(Decode(TgaFile(kUncompressed, 65535, 65535, 32, std::string(1 << 20, '\x7F'))));
    // Run-length: each 5-byte run packet yields at most 128 pixels, far fewer than claimed.
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 65535, 65535, 32, Repeat(Bytes({0xFF, 1, 2, 3, 4}), 1000))));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST(TgaDecode, ClaimedSizeIsCheckedBeforeAllocating) {
    // 8192 x 8192 pixels of 32 bits claim 256 MB. A decoder that allocated (and cleared) that much
    // before finding the data short would raise the peak resident size by as much.
#ifdef _WIN32
    GTEST_SKIP() << "the peak resident size is measured with a POSIX call";
#else
    auto peakKilobytes = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    const long before = peakKilobytes();
    EXPECT_FALSE(Decode(TgaFile(kUncompressed, 8192, 8192, 32, std::string(4096, '\x7F'))));
    EXPECT_FALSE(Decode(TgaFile(kRunLength, 8192, 8192, 32, Repeat(Bytes({0xFF, 1, 2, 3, 4}), 100))));
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);
#endif
}

TEST(TgaDecode, RunLengthBoundStillAcceptsTheDensestValidFile) {
    // 128 pixels from a single 4-byte packet is as dense as the format gets.
    auto image = Decode(TgaFile(kRunLength, 64, 2, 24, Bytes({0xFF, 1, 2, 3})));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels.size(), 128u * 3);
}

TEST(TgaLoad, ReadsThroughThePathResolverAndFailsOnMissingFiles) {
    testing_support::TempDir dir(true);
    dir.Write("Data/images/Pic.tga", TgaFile(kUncompressed, 1, 1, 24, Bytes({1, 2, 3})));
    auto image = LoadTga("data/images/Pic.tga");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, Pixels({3, 2, 1}));
    EXPECT_FALSE(LoadTga("data/images/Missing.tga"));
    EXPECT_FALSE(LoadTga("Data/images"));
    EXPECT_FALSE(LoadTga(nullptr));
}

TEST(TgaLoad, ReadsOnlyRegularFilesAndNoMoreThanTheHeaderCanUse) {
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

    // A small picture at the start of a 1 GB file (sparse, so it costs no disk).
    const std::string small =
        dir.Write("Data/images/Long.tga", TgaFile(kUncompressed, 2, 1, 24, Bytes({1, 2, 3, 4, 5, 6})));
    ASSERT_EQ(truncate(small.c_str(), off_t{1} << 30), 0);
    auto image = LoadTga("data/images/long.tga");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, Pixels({3, 2, 1, 6, 5, 4}));

    // A header claiming more pixels than any picture may have, with the data to fill them.
    const std::string huge = dir.Write("Data/images/Huge.tga", TgaFile(kUncompressed, 4097, 4096, 24, ""));
    ASSERT_EQ(truncate(huge.c_str(), 18 + off_t{4097} * 4096 * 3), 0);
    EXPECT_FALSE(LoadTga("data/images/huge.tga"));
    EXPECT_LT(peakKilobytes() - before, 32 * 1024) << "neither file was read beyond what the picture needs";

    // A FIFO is refused at once rather than waited for.
    testing_support::Fifo fifo(dir.Path() + "/Data/images/Pipe.tga");
    ASSERT_TRUE(fifo.Made());
    bool waited = false;
    EXPECT_FALSE(fifo.RunGuarded([] { return LoadTga("data/images/pipe.tga") != nullptr; }, waited,
                                 std::chrono::seconds(10)));
    EXPECT_FALSE(waited) << "the loader waited for a writer";
#endif
}

TEST(TgaDecode, RunningOutOfMemoryIsAFailedDecode) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit below allows";
#elif defined(_WIN32)
    GTEST_SKIP() << "the address space is limited with setrlimit, and death tests fork";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The largest picture allowed, in a process that can take little more than the file.
    auto decodeWithLittleMemory = [] {
        const std::string file =
            TgaFile(kUncompressed, 4096, 4096, 24, std::string(size_t{4096} * 4096 * 3, '\x7F'));
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (8u << 20);
        const rlimit addressSpace{limit, limit};
        setrlimit(RLIMIT_AS, &addressSpace);
        return Decode(file) ? 1 : 0;
    };
    EXPECT_EXIT(std::exit(decodeWithLittleMemory()), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(TgaAlpha, ModesWidenAndRewriteAlpha) {
    auto make = [](std::vector<uint8_t> pixels, int bytesPerPixel) {
        TgaImage image;
        image.bytesPerPixel = bytesPerPixel;
        image.width = static_cast<int32_t>(pixels.size() / bytesPerPixel);
        image.height = 1;
        image.pixels = std::move(pixels);
        return image;
    };
    TgaImage untouched = make(Pixels({0, 0, 0}), 3);
    PrepareTgaAlpha(untouched, 0);
    EXPECT_EQ(untouched.bytesPerPixel, 3);
    EXPECT_EQ(untouched.pixels, Pixels({0, 0, 0}));

    TgaImage black = make(Pixels({0x30, 0x20, 0x10, 0, 0, 0}), 3);
    PrepareTgaAlpha(black, 1);
    EXPECT_EQ(black.bytesPerPixel, 4);
    EXPECT_EQ(black.pixels, Pixels({0x30, 0x20, 0x10, 0xFF, 0, 0, 0, 0}));

    // Only opaque black turns transparent; black with its own alpha keeps it.
    TgaImage withAlpha = make(Pixels({0, 0, 0, 0x80, 0, 0, 0, 0xFF, 0, 0, 1, 0xFF}), 4);
    PrepareTgaAlpha(withAlpha, 1);
    EXPECT_EQ(withAlpha.pixels, Pixels({0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 1, 0xFF}));

    TgaImage brightness = make(Pixels({0x40, 0x10, 0x90}), 3);
    PrepareTgaAlpha(brightness, 2);
    EXPECT_EQ(brightness.pixels, Pixels({0x40, 0x90, 0x90, 0xBF}));

    TgaImage other = make(Pixels({0, 0, 0}), 3);
    PrepareTgaAlpha(other, 7);
    EXPECT_EQ(other.pixels, Pixels({0, 0, 0, 0xFF}));
}
