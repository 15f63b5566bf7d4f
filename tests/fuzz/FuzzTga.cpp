// libFuzzer entry for the TGA decoder and the alpha treatment that follows it before upload.
// Built by scripts/test.d/20-fuzz-tga.sh; the sanitizers catch reads and writes outside the buffers,
// the checks below catch a decoded picture whose buffer disagrees with its size.
#include "render/Tga.h"

#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

size_t BufferSize(const TgaImage& image) {
    return static_cast<size_t>(image.width) * static_cast<size_t>(image.height) *
           static_cast<size_t>(image.bytesPerPixel);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<TgaImage> image = DecodeTga(data, size);
    if (!image) {
        return 0;
    }
    Require(image->bytesPerPixel == 3 || image->bytesPerPixel == 4);
    Require(image->width > 0 && image->height > 0);
    Require(image->pixels.size() == BufferSize(*image));
    // The input's length picks the alpha mode, so every mode meets every kind of picture.
    PrepareTgaAlpha(*image, static_cast<int>(size % 4));
    Require(image->pixels.size() == BufferSize(*image));
    return 0;
}
