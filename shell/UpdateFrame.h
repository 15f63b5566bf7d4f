// The per-frame update, run before each frame is drawn. Depends on DrawFrame (the frame time it hands on).
#pragma once

#include <cstdint>

// elapsedMs: milliseconds since the previous frame.
void UpdateFrame(uint32_t elapsedMs);
