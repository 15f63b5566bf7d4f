// Truevision TGA pictures: decoding into RGB(A) pixel buffers and uploading them as mipmapped textures.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct TgaImage {
    int32_t bytesPerPixel = 0; // 3 (RGB) or 4 (RGBA)
    int32_t width = 0;
    int32_t height = 0;
    // width * height * bytesPerPixel bytes, R, G, B (, A), rows in the file's order.
    std::vector<uint8_t> pixels;
};

// The largest picture decoded, in pixels (4096 by 4096, 64 MB as RGBA); larger ones are refused.
constexpr size_t kMaxTgaPixels = size_t{4096} * 4096;

// Decodes a whole TGA file held in memory. Returns null for anything it cannot decode completely:
// a short header, an unsupported depth, zero width or height, more than kMaxTgaPixels, fewer pixel
// bytes than the header promises, or too little memory. Run-length packets reaching past the last pixel are
// cut at the last pixel. Run-length files of 16 bits a pixel are decoded like uncompressed ones (5 bits a
// channel, bit 15 ignored).
std::unique_ptr<TgaImage> DecodeTga(const uint8_t* data, size_t size);

// Reads and decodes the file, reading no more than its header can use; null when it is not a
// regular file, cannot be opened or cannot be decoded.
std::unique_ptr<TgaImage> LoadTga(const char* path);

// Alpha treatment before upload. Any mode other than 0 first widens RGB to RGBA (alpha 255);
// mode 1 then makes opaque black transparent, mode 2 derives alpha from brightness.
void PrepareTgaAlpha(TgaImage& image, int alphaMode);

// Loads the picture at path into a new mipmapped texture whose name is written to *textureName.
// Needs a current OpenGL context. On failure returns false and *textureName keeps its value; a file
// that cannot be read or decoded costs no OpenGL call, and a failed mipmap build deletes the texture
// it had made.
bool LoadTgaTexture(GLuint* textureName, const char* path, int alphaMode);
