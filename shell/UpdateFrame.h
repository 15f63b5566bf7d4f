// The per-frame update, run before each frame is drawn: operator keys, the visitors' buttons, the input
// devices, the scenes' steps and the floating model's bob. Depends on the key table and window kept by
// start-up, the scenes, the camera, the button panel and input devices, and QELIO's session close.
#pragma once

#include <cstdint>

// +1 or -1: the way bobOffset moves.
extern int32_t bobDirection;

// elapsedMs: milliseconds since the previous frame.
void UpdateFrame(uint32_t elapsedMs);

void ResetUpdateFrameGlobalsForTests();
