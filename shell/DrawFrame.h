// Composes one frame between the per-frame update and the buffer swap: the small render for the glow, the
// models at full size, the glow and the scenes' overlays.
#pragma once

struct Presentation;

// The frame's steps in drawing order, named for timing them one by one; each expects the state the one
// before leaves, so they run only all together and in this order.
struct FramePhase {
    const char* name;
    void (*draw)(Presentation& show);
};
extern const FramePhase kFramePhases[];
extern const int kFramePhaseCount;

// All phases in order.
void DrawFrame(Presentation& show);
