// An OpenGL context without a window, for tests and tools that render and read pixels back.
// On Linux backed by EGL on Mesa's surfaceless platform with a pbuffer, with the same libGL and libGLU as
// the program; on Windows by a hidden window's WGL context, read from its back buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

class OffscreenContext {
public:
    OffscreenContext(int width = 800, int height = 600);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // False when no context could be made; the reason has been written to standard error.
    bool Ok() const { return ok; }
    int Width() const { return width; }
    int Height() const { return height; }
    // RGBA bytes of the rectangle, rows bottom-up as glReadPixels gives them.
    std::vector<uint8_t> ReadPixels(int x, int y, int w, int h) const;

private:
    int width;
    int height;
    bool ok = false;
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
};

} // namespace platform
