// The view: the area of a window the show is drawn in. Its size also scales every screen-space overlay.
#pragma once

#include <cstdint>

// The size the show is composed for: its pictures, the scroll's reveal and the outlines' width.
constexpr int32_t kComposedWidth = 800;
constexpr int32_t kComposedHeight = 600;

struct View {
    float width = static_cast<float>(kComposedWidth);
    float height = static_cast<float>(kComposedHeight);
    // Bottom-left corner of the view in the window's pixels: not 0 when a full screen of another shape
    // shows the 4:3 view centred in it.
    int32_t x = 0;
    int32_t y = 0;
    // Screen pixels per pixel of the composition, so that a larger view keeps the outlines' look.
    float outlineScale = 1.0f;
};
