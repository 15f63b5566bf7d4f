// Decoding a whole music track the way the show's music player reads it, into memory and without a
// sound device, to find tracks that cannot be played through. Backed by SDL2_mixer.
#pragma once

#include <string>

namespace platform {

// Empty when the track (found with platform::ResolvePath) opens as music and decodes to its full
// length; otherwise what is wrong, in a few words. Opens and closes the mixer on SDL's silent output
// driver, so it must not run while the show plays music.
std::string CheckTrackDecodes(const std::string& path);

} // namespace platform
