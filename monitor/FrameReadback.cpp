// Mesa's libGL exports the entry points of every OpenGL version it implements; whether the current
// context offers them is checked before the first call.
#define GL_GLEXT_PROTOTYPES
#include "monitor/FrameReadback.h"

#include "platform/GlFeatures.h"
#include "platform/GlGeneration.h"

#include <GL/glext.h>

#include <utility>

namespace monitor {
namespace {

constexpr int kPixelBufferMajorVersion = 2;
constexpr int kPixelBufferMinorVersion = 1;
constexpr const char* kPixelBufferExtension = "GL_ARB_pixel_buffer_object";
constexpr size_t kBytesPerPixel = 4;

} // namespace

void FrameReadback::Start(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    const uint32_t generation = platform::GlContextGeneration();
    read.width = width;
    read.height = height;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel;
    if (platform::GlOffers(kPixelBufferMajorVersion, kPixelBufferMinorVersion, kPixelBufferExtension) &&
        (buffer == 0 || bufferGeneration != generation)) {
        buffer = 0;
        glGenBuffers(1, &buffer);
        bufferGeneration = generation;
        bufferBytes = 0;
    }
    pending = true;
    pendingGeneration = generation;
    inBuffer = buffer != 0 && bufferGeneration == generation;
    if (!inBuffer) {
        read.rgba.resize(bytes);
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, read.rgba.data());
        return;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    if (bufferBytes != bytes) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        bufferBytes = bytes;
    }
    // With a pack buffer bound, the last argument is an offset into it, and the call returns at once.
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

bool FrameReadback::Collect(FramePixels* pixels) {
    if (!pending) {
        return false;
    }
    pending = false;
    if (pendingGeneration != platform::GlContextGeneration()) {
        return false;
    }
    if (inBuffer) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        const auto* mapped = static_cast<const uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
        if (mapped != nullptr) {
            read.rgba.assign(mapped, mapped + bufferBytes);
            glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
        }
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        if (mapped == nullptr) {
            return false;
        }
    }
    *pixels = std::move(read);
    read = FramePixels{};
    return true;
}

} // namespace monitor
