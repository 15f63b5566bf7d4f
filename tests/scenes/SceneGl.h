// Helpers of the scene tests that draw: an offscreen context of the window's size, solid textures
// and the colour of one window pixel counted from the top edge.
#pragma once

#include "platform/OffscreenContext.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>

namespace scenes_test {

using Rgb = std::array<int, 3>;

inline GLuint SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t texels[4 * 4] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// x from the left, row from the top edge of the window.
inline Rgb PixelFromTop(const platform::OffscreenContext& gl, int x, int row) {
    const auto rgba = gl.ReadPixels(x, gl.Height() - 1 - row, 1, 1);
    return {rgba[0], rgba[1], rgba[2]};
}

inline void ClearBlack() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// alpha * colour over black, as 8-bit channels; the readback is compared within one step either side.
inline int Blend(int colour, float alpha) {
    return static_cast<int>(colour * alpha + 0.5f);
}

} // namespace scenes_test
