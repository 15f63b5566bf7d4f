// What the current OpenGL context offers beyond version 1.1, asked before the first call that needs it.
#pragma once

namespace platform {

// True when the context's version is at least major.minor, or, where extension is given, when the
// context lists it.
bool GlOffers(int major, int minor, const char* extension = nullptr);

} // namespace platform
