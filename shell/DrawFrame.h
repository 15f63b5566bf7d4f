// Composes one frame between the per-frame update and the buffer swap: the small render for the glow,
// the models at full size, the glow and the scenes' overlays. Depends on the camera, the models, the
// scenes and the lists that start-up records.
#pragma once

// Elapsed time of the current frame in milliseconds; written by UpdateFrame at the start of each frame.
extern float frameMilliseconds;

void DrawFrame();

void ResetDrawFrameGlobalsForTests();
