// The frame about to be shown, read back from OpenGL without making the frame wait for it: where the
// context has pixel buffer objects, the copy goes into one and is collected at a later frame, once the
// graphics card has made it; otherwise it is read at once, as one plain read (the one pause this costs,
// a frame's copy, comes once per snapshot).
#pragma once

#include "platform/OpenGl.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace monitor {

// A frame's pixels: width * height of red, green, blue and alpha, rows from the bottom, as OpenGL reads.
struct FramePixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

class FrameReadback {
public:
    // Starts reading the current framebuffer's width x height pixels whose lower left corner is at x, y; a
    // read still under way is given up. Needs a current context.
    void Start(int x, int y, int width, int height);
    // True, with the pixels, once a started read has arrived; at most once per read. Call once per frame.
    bool Collect(FramePixels* pixels);

private:
    // The pixel buffer dies with its context; its name is forgotten when a new context comes, and kept
    // for the next read while the context lives.
    GLuint buffer = 0;
    uint32_t bufferGeneration = 0;
    size_t bufferBytes = 0;
    bool pending = false;
    bool inBuffer = false; // the pending read waits in the buffer, not in `read`
    uint32_t pendingGeneration = 0;
    FramePixels read;
};

} // namespace monitor
