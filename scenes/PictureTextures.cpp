#include "scenes/PictureTextures.h"

#include "core/ContentLoads.h"
#include "platform/GlGeneration.h"
#include "render/Tga.h"

namespace {

// Black is the transparent colour of every picture.
constexpr int kBlackTransparent = 1;

} // namespace

void LoadPicture(PictureTextures& pictures, GLuint* texture, const char* path) {
    const uint32_t generation = platform::GlContextGeneration();
    const bool loaded = LoadTgaTexture(texture, path, kBlackTransparent);
    ReportContentLoad(path, loaded);
    if (loaded) {
        pictures.loadedIn[texture] = generation;
        return;
    }
    auto earlier = pictures.loadedIn.find(texture);
    if (earlier != pictures.loadedIn.end() && earlier->second != generation) {
        *texture = kNoPicture;
        pictures.loadedIn.erase(earlier);
    }
}
