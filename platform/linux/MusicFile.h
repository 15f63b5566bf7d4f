// Music files read as every other data file is read (a regular file only, never waited for) and
// handed to the sound library through its stream interface. Not for use outside platform/.
#pragma once

#include <SDL_mixer.h>

#include <string>

namespace platform::internal {

// The file (found with ResolvePath) opened as music to be streamed, as Mix_LoadMUS opens it; null when
// it cannot be, with the reason in Mix_GetError.
Mix_Music* LoadMusicFile(const std::string& path);
// The file decoded whole into memory, as Mix_LoadWAV decodes it; null when it cannot be, with the
// reason in Mix_GetError.
Mix_Chunk* DecodeMusicFile(const std::string& path);

} // namespace platform::internal
