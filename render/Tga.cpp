#include "render/Tga.h"

#include "platform/DataFile.h"
#include "platform/OpenGl.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

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
constexpr const char* kLowerExtension = ".tga";
constexpr const char* kUpperExtension = ".TGA";

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

// What the header says about the pixel data; pixelCount is 0 for a picture that cannot be decoded.
struct TgaLayout {
    size_t pixelStart = 0;
    size_t fileBytes = 0; // per pixel in the file
    int32_t bytesPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    size_t pixelCount = 0;
    bool runLength = false;
};

TgaLayout ReadLayout(const uint8_t* header) {
    TgaLayout layout;
    const int depth = header[kDepthOffset];
    layout.pixelStart = kHeaderSize + header[kIdLengthOffset];
    layout.fileBytes = static_cast<size_t>(depth / 8);
    layout.bytesPerPixel = DecodedBytesPerPixel(depth);
    layout.width = ReadLe16(header + kWidthOffset);
    layout.height = ReadLe16(header + kHeightOffset);
    layout.runLength = header[kImageTypeOffset] == kRunLengthTrueColour;
    const size_t pixels = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height);
    // Nothing to upload in an empty picture (refusing it keeps a texture without an image from
    // being reported as loaded); a picture past the bound costs more memory than any screen shows.
    if (layout.bytesPerPixel != 0 && pixels <= kMaxTgaPixels) {
        layout.pixelCount = pixels;
    }
    return layout;
}

// The most a decoder can take from the file: the header, the identification field and, for
// run-length data, a packet header before every pixel at worst.
size_t UsableFileBytes(const TgaLayout& layout) {
    const size_t perPixel = layout.runLength ? 1 + layout.fileBytes : layout.fileBytes;
    return layout.pixelStart + layout.pixelCount * perPixel;
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

std::unique_ptr<TgaImage> Decode(const uint8_t* data, size_t size) {
    if (!data || size < kHeaderSize) {
        return nullptr;
    }
    const TgaLayout layout = ReadLayout(data);
    if (size < layout.pixelStart || layout.pixelCount == 0) {
        return nullptr;
    }
    auto image = std::make_unique<TgaImage>();
    image->width = layout.width;
    image->height = layout.height;
    image->bytesPerPixel = layout.bytesPerPixel;
    const uint8_t* pixelData = data + layout.pixelStart;
    const size_t pixelBytes = size - layout.pixelStart;
    const bool ok =
        layout.runLength
            ? DecodeRunLength(pixelData, pixelBytes, layout.pixelCount, layout.fileBytes, *image)
            : DecodeUncompressed(pixelData, pixelBytes, layout.pixelCount, layout.fileBytes, *image);
    if (!ok) {
        return nullptr;
    }
    return image;
}

bool HasPictureExtension(const char* path) {
    // Deliberately case-sensitive: a name whose extension mixes cases is not taken for a picture.
    return std::strstr(path, kLowerExtension) || std::strstr(path, kUpperExtension);
}

} // namespace

std::unique_ptr<TgaImage> DecodeTga(const uint8_t* data, size_t size) {
    try {
        return Decode(data, size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<TgaImage> LoadTga(const char* path) {
    platform::DataFile file;
    if (!path || !file.Open(path)) {
        return nullptr;
    }
    try {
        std::vector<uint8_t> bytes(kHeaderSize);
        if (file.Read(bytes.data(), kHeaderSize) != kHeaderSize) {
            return nullptr;
        }
        const TgaLayout layout = ReadLayout(bytes.data());
        if (layout.pixelCount == 0) {
            return nullptr;
        }
        // Never more than the header can use, and never more than the file held when opened.
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(UsableFileBytes(layout), file.Size()));
        if (wanted > kHeaderSize) {
            bytes.resize(wanted);
            bytes.resize(kHeaderSize + file.Read(bytes.data() + kHeaderSize, wanted - kHeaderSize));
        }
        return Decode(bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
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
    if (!path || !textureName || !platform::IsRegularFile(path) || !HasPictureExtension(path)) {
        return false;
    }
    std::unique_ptr<TgaImage> image = LoadTga(path);
    if (!image) {
        return false;
    }
    try {
        PrepareTgaAlpha(*image, alphaMode);
    } catch (const std::bad_alloc&) {
        return false;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLenum format = image->bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    // GLU rescales sides that are not powers of two.
    if (gluBuild2DMipmaps(GL_TEXTURE_2D, image->bytesPerPixel, image->width, image->height, format,
                          GL_UNSIGNED_BYTE, image->pixels.data()) != 0) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &name);
        return false;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    *textureName = name;
    return true;
}
