#include "render/Tga.h"

#include "platform/Paths.h"

#include <GL/glu.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kIdLengthOffset = 0;
constexpr size_t kImageTypeOffset = 2;
constexpr size_t kWidthOffset = 12;
constexpr size_t kHeightOffset = 14;
constexpr size_t kDepthOffset = 16;
constexpr uint8_t kRunLengthTrueColour = 10;
constexpr uint8_t kRunPacketFlag = 0x80;
constexpr uint8_t kPacketCountMask = 0x7F;
constexpr size_t kMaxPixelsPerPacket = 128;
constexpr size_t kReadChunk = 16 * 1024;

constexpr uint8_t kOpaque = 255;
constexpr int kAlphaOpaqueBlackTransparent = 1;
constexpr int kAlphaFromBrightness = 2;

uint16_t ReadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

// Bytes a decoded pixel takes for a file depth in bits; 0 for depths that cannot be decoded.
int32_t DecodedBytesPerPixel(int depth) {
    switch (depth) {
    case 16:
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return 0;
    }
}

// One pixel from the file (little-endian 1-5-5-5, or B, G, R (, A)) to R, G, B (, A).
void StorePixel(const uint8_t* in, size_t fileBytes, uint8_t* out) {
    if (fileBytes == 2) {
        const uint16_t v = ReadLe16(in);
        out[0] = static_cast<uint8_t>((v >> 7) & 0xF8);
        out[1] = static_cast<uint8_t>((v >> 2) & 0xF8);
        out[2] = static_cast<uint8_t>((v & 0x1F) << 3);
        return;
    }
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (fileBytes == 4) {
        out[3] = in[3];
    }
}

bool DecodeUncompressed(const uint8_t* data, size_t size, size_t pixelCount, size_t fileBytes,
                        TgaImage& image) {
    // Checked before allocating: a header may claim far more pixels than the file holds.
    if (size / fileBytes < pixelCount) {
        return false;
    }
    const size_t outBytes = static_cast<size_t>(image.bytesPerPixel);
    image.pixels.resize(pixelCount * outBytes);
    uint8_t* out = image.pixels.data();
    for (size_t i = 0; i < pixelCount; ++i) {
        StorePixel(data + i * fileBytes, fileBytes, out + i * outBytes);
    }
    return true;
}

bool DecodeRunLength(const uint8_t* data, size_t size, size_t pixelCount, size_t fileBytes, TgaImage& image) {
    // Every packet costs at least a header byte and one pixel and yields at most 128 pixels, which
    // bounds what the remaining bytes can fill.
    if (size / (1 + fileBytes) < (pixelCount + kMaxPixelsPerPacket - 1) / kMaxPixelsPerPacket) {
        return false;
    }
    const size_t outBytes = static_cast<size_t>(image.bytesPerPixel);
    image.pixels.resize(pixelCount * outBytes);
    uint8_t* out = image.pixels.data();
    size_t pos = 0;
    size_t produced = 0;
    while (produced < pixelCount) {
        if (pos >= size) {
            return false;
        }
        const uint8_t packet = data[pos++];
        const size_t count = std::min<size_t>((packet & kPacketCountMask) + 1u, pixelCount - produced);
        if (packet & kRunPacketFlag) {
            if (size - pos < fileBytes) {
                return false;
            }
            for (size_t i = 0; i < count; ++i) {
                StorePixel(data + pos, fileBytes, out + (produced + i) * outBytes);
            }
            pos += fileBytes;
        } else {
            if ((size - pos) / fileBytes < count) {
                return false;
            }
            for (size_t i = 0; i < count; ++i) {
                StorePixel(data + pos + i * fileBytes, fileBytes, out + (produced + i) * outBytes);
            }
            pos += count * fileBytes;
        }
        produced += count;
    }
    return true;
}

bool ReadWholeFile(FILE* file, std::vector<uint8_t>& bytes) {
    uint8_t chunk[kReadChunk];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return !std::ferror(file);
}

} // namespace

std::unique_ptr<TgaImage> DecodeTga(const uint8_t* data, size_t size) {
    if (!data || size < kHeaderSize) {
        return nullptr;
    }
    const size_t pixelStart = kHeaderSize + data[kIdLengthOffset];
    if (size < pixelStart) {
        return nullptr;
    }
    const int depth = data[kDepthOffset];
    const size_t fileBytes = static_cast<size_t>(depth / 8);
    auto image = std::make_unique<TgaImage>();
    image->width = ReadLe16(data + kWidthOffset);
    image->height = ReadLe16(data + kHeightOffset);
    image->bytesPerPixel = DecodedBytesPerPixel(depth);
    const size_t pixelCount = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    // Nothing to upload in an empty picture; refusing it keeps a texture without an image from
    // being reported as loaded.
    if (image->bytesPerPixel == 0 || pixelCount == 0) {
        return nullptr;
    }
    const uint8_t* pixelData = data + pixelStart;
    const size_t pixelBytes = size - pixelStart;
    const bool ok = data[kImageTypeOffset] == kRunLengthTrueColour
                        ? DecodeRunLength(pixelData, pixelBytes, pixelCount, fileBytes, *image)
                        : DecodeUncompressed(pixelData, pixelBytes, pixelCount, fileBytes, *image);
    if (!ok) {
        return nullptr;
    }
    return image;
}

std::unique_ptr<TgaImage> LoadTga(const char* path) {
    if (!path) {
        return nullptr;
    }
    FILE* file = platform::OpenFile(path, "rb");
    if (!file) {
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    const bool read = ReadWholeFile(file, bytes);
    std::fclose(file);
    if (!read) {
        return nullptr;
    }
    return DecodeTga(bytes.data(), bytes.size());
}

void PrepareTgaAlpha(TgaImage& image, int alphaMode) {
    if (alphaMode == 0) {
        return;
    }
    assert((image.bytesPerPixel == 3 || image.bytesPerPixel == 4) && "decoded pictures are RGB or RGBA");
    if (image.bytesPerPixel == 3) {
        const size_t count = image.pixels.size() / 3;
        std::vector<uint8_t> wide(count * 4);
        for (size_t i = 0; i < count; ++i) {
            std::memcpy(&wide[i * 4], &image.pixels[i * 3], 3);
            wide[i * 4 + 3] = kOpaque;
        }
        image.pixels.swap(wide);
        image.bytesPerPixel = 4;
    }
    if (image.bytesPerPixel != 4) {
        return;
    }
    const size_t count = image.pixels.size() / 4;
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = &image.pixels[i * 4];
        if (alphaMode == kAlphaOpaqueBlackTransparent) {
            if (p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == kOpaque) {
                p[3] = 0;
            }
        } else if (alphaMode == kAlphaFromBrightness) {
            p[3] = static_cast<uint8_t>(kOpaque - p[0]);
            p[1] = p[2];
        }
    }
}

bool LoadTgaTexture(GLuint* textureName, const char* path, int alphaMode) {
    if (!path || !textureName) {
        return false;
    }
    FILE* probe = platform::OpenFile(path, "rb");
    if (!probe) {
        return false;
    }
    std::fclose(probe);
    // Deliberately case-sensitive: a name whose extension mixes cases is not taken for a picture.
    if (!std::strstr(path, ".tga") && !std::strstr(path, ".TGA")) {
        return false;
    }
    std::unique_ptr<TgaImage> image = LoadTga(path);
    if (!image) {
        return false;
    }
    glGenTextures(1, textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, *textureName);
    PrepareTgaAlpha(*image, alphaMode);
    const GLenum format = image->bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    // GLU rescales sides that are not powers of two.
    gluBuild2DMipmaps(GL_TEXTURE_2D, image->bytesPerPixel, image->width, image->height, format,
                      GL_UNSIGNED_BYTE, image->pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return true;
}
