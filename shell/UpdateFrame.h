// The per-frame update, run before each frame is drawn: operator keys, the visitors' buttons, the input
// devices, the scenes' steps and the floating model's bob.
#pragma once

#include "shell/Presentation.h"

#include <cstdint>

// elapsedMs: milliseconds since the previous frame.
void UpdateFrame(Presentation& show, uint32_t elapsedMs);
