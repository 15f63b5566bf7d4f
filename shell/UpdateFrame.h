// The per-frame update, run before each frame is drawn: operator keys, the visitors' buttons, the input
// devices, the scenes' steps and the floating model's bob.
#pragma once

#include <cstdint>

// Elapsed time of the current frame in milliseconds, for the drawing that follows the update.
extern float frameMilliseconds;

// elapsedMs: milliseconds since the previous frame.
void UpdateFrame(uint32_t elapsedMs);

void ResetUpdateFrameGlobalsForTests();
