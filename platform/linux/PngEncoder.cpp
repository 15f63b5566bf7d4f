#include "platform/PngEncoder.h"

#include <png.h>

namespace platform {

bool EncodePng(const std::vector<uint8_t>& rgb, int width, int height, std::string* png,
               std::string* problem) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
        *problem = kPngWrongPixelCount;
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // The largest the file can be, so that one pass writes it.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    png->resize(size);
    const int written = png_image_write_to_memory(&image, png->data(), &size, 0, rgb.data(), 0, nullptr);
    if (!written) {
        *problem = image.message;
        png_image_free(&image);
        return false;
    }
    png->resize(size);
    return true;
}

} // namespace platform
