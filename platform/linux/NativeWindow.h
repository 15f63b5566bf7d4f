// SDL's part of a window record (platform/WindowRecords.h). Not for use outside platform/.
#pragma once

#include <SDL.h>

namespace platform {

struct NativeWindow {
    SDL_Window* sdlWindow = nullptr;
};

} // namespace platform
