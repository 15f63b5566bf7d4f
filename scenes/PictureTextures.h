// Texture names of the scenes' pictures, shared by every set of scenes of a show, and their loading.
#pragma once

#include "platform/OpenGl.h"

#include <cstdint>
#include <map>

// A name no texture was ever given. Binding it creates an empty texture object, so a picture that
// never loaded shows as a plain white rectangle.
constexpr GLuint kNoPicture = 0xFFFFFFFFu;

struct PictureTextures {
    GLuint startScreenTextures[3] = {kNoPicture, kNoPicture, kNoPicture};
    GLuint scrollTextureHorse = kNoPicture;
    GLuint scrollTextureMountain = kNoPicture;
    GLuint scrollTextureParthenon = kNoPicture;
    GLuint cubesTexture = kNoPicture;
    // The context generation in which each of the names above last received one.
    std::map<const GLuint*, uint32_t> loadedIn;
};

// Loads the picture (black made transparent) into *texture, one of the pictures' names. A failed load
// keeps the previous name when it belongs to the current OpenGL context, and forgets it (kNoPicture)
// when it was made in a context that has since been replaced: such a name may now denote another
// texture.
void LoadPicture(PictureTextures& pictures, GLuint* texture, const char* path);
