#include "scenes/PictureTextures.h"

#include "core/ContentLoads.h"
#include "platform/GlGeneration.h"
#include "render/Tga.h"

#include <map>

GLuint startScreenTextures[3] = {kNoPicture, kNoPicture, kNoPicture};
GLuint scrollTextureHorse = kNoPicture;
GLuint scrollTextureMountain = kNoPicture;
GLuint scrollTextureParthenon = kNoPicture;
GLuint cubesTexture = kNoPicture;

namespace {

// Black is the transparent colour of every picture.
constexpr int kBlackTransparent = 1;

// The context generation in which each variable last received a name.
std::map<const GLuint*, uint32_t>& LoadedIn() {
    static std::map<const GLuint*, uint32_t> generations;
    return generations;
}

} // namespace

void LoadPicture(GLuint* texture, const char* path) {
    const uint32_t generation = platform::GlContextGeneration();
    const bool loaded = LoadTgaTexture(texture, path, kBlackTransparent);
    ReportContentLoad(path, loaded);
    if (loaded) {
        LoadedIn()[texture] = generation;
        return;
    }
    auto earlier = LoadedIn().find(texture);
    if (earlier != LoadedIn().end() && earlier->second != generation) {
        *texture = kNoPicture;
        LoadedIn().erase(earlier);
    }
}

void ResetPictureTexturesForTests() {
    for (GLuint& texture : startScreenTextures) {
        texture = kNoPicture;
    }
    scrollTextureHorse = kNoPicture;
    scrollTextureMountain = kNoPicture;
    scrollTextureParthenon = kNoPicture;
    cubesTexture = kNoPicture;
    LoadedIn().clear();
}
