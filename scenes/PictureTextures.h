// Texture names of the scenes' pictures, shared by every set of scenes, and their loading.
#pragma once

#include <GL/gl.h>

// A name no texture was ever given. Binding it creates an empty texture object, so a picture that
// never loaded shows as a plain white rectangle.
constexpr GLuint kNoPicture = 0xFFFFFFFFu;

extern GLuint startScreenTextures[3];
extern GLuint scrollTextureHorse;
extern GLuint scrollTextureMountain;
extern GLuint scrollTextureParthenon;
extern GLuint cubesTexture;

// Loads the picture (black made transparent) into *texture. A failed load keeps the previous name
// when it belongs to the current OpenGL context, and forgets it (kNoPicture) when it was made in
// a context that has since been replaced: such a name may now denote another texture.
void LoadPicture(GLuint* texture, const char* path);

// All picture names back to kNoPicture.
void ResetPictureTexturesForTests();
