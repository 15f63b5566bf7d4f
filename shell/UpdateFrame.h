// The per-frame update, run before each frame is drawn: operator keys, the visitors' buttons, the input
// devices, the scenes' steps and the floating model's bob.
#pragma once

#include <cstdint>

// Elapsed time of the current frame in milliseconds, for the drawing that follows the update.
extern float frameMilliseconds;
// Whether the small render for the glow carries outlines; read when the capture list is recorded, so
// a change shows after the next start-up.
extern bool captureOutlines;

// elapsedMs: milliseconds since the previous frame.
void UpdateFrame(uint32_t elapsedMs);

void ResetUpdateFrameGlobalsForTests();
