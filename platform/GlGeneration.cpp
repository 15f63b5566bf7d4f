#include "platform/GlGeneration.h"

namespace platform {
namespace {
uint32_t generation = 0;
}

uint32_t GlContextGeneration() { return generation; }

void NoteNewGlContext() { ++generation; }

} // namespace platform
