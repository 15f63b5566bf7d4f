// Counts the OpenGL contexts made so far, so that code holding texture or list names can tell whether they
// belong to the current context. The window code bumps it.
#pragma once

#include <cstdint>

namespace platform {

// 0 before any context exists; each new context (a window, or an offscreen context) adds one.
uint32_t GlContextGeneration();
void NoteNewGlContext();

} // namespace platform
