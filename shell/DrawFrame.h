// Composes one frame between the per-frame update and the buffer swap: the small render for the glow,
// the models at full size, the glow and the scenes' overlays. Depends on the camera, the models, the
// scenes and the lists that start-up records.
#pragma once

// Elapsed time of the current frame in milliseconds; written by UpdateFrame at the start of each frame.
extern float frameMilliseconds;

// The frame's steps in drawing order, named for timing them one by one; each expects the state the one
// before leaves, so they run only all together and in this order.
struct FramePhase {
    const char* name;
    void (*draw)();
};
extern const FramePhase kFramePhases[];
extern const int kFramePhaseCount;

// All phases in order.
void DrawFrame();

void ResetDrawFrameGlobalsForTests();
