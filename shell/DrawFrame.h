// Composes one frame between the per-frame update and the buffer swap. Depends on the camera and OpenGL.
#pragma once

// Elapsed time of the current frame in milliseconds; written by UpdateFrame at the start of each frame.
extern float frameMilliseconds;

void DrawFrame();

void ResetDrawFrameGlobalsForTests();
