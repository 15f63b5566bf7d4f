// The grey ramp of the cel shading: reading its values from "Data\shader.txt" and making the 1D texture that
// the shading looks up.
#pragma once

#include "platform/OpenGl.h"

#include <string>

// Read by start-up through LoadShadeRamp.
constexpr const char* kShadeRampFile = "Data\\shader.txt";
constexpr int kShadeRampSize = 32;

// Reads one value per line of the file's text until its end or 32 values. A line is read as fgets reads it
// into a 255-byte buffer, so a line longer than 254 characters gives several values; each is parsed for a
// leading number (text that is not a number gives 0). The end of the file is tested before each read, and a
// read that meets it keeps the previous line's text, whose value is stored again: a short file that ends with
// a line break yields its last value twice. All 32 entries are filled (R = G = B): the texels after the last
// value read repeat it, and a file with nothing in it gives a ramp of 1.0 everywhere, so the models keep
// their full colours. Returns how many values were read from the file (0 to 32).
int ReadShadeRamp(const std::string& text, float ramp[kShadeRampSize][3]);

// What LoadShadeRamp found.
struct ShadeRampLoad {
    bool opened = false; // false: `problem` says why the file could not be opened
    std::string problem; // why it could not be opened or read through; empty when it was
    int values = 0;      // as ReadShadeRamp counts them
};

// Reads kShadeRampFile through platform::DataFile (a regular file only, never waited for), and no more
// of it than ReadShadeRamp can use, then fills the ramp from what was read as ReadShadeRamp does.
ShadeRampLoad LoadShadeRamp(float ramp[kShadeRampSize][3]);

// One new texture name: a 1D texture of 32 GL_RGB texels given as GL_FLOAT, nearest filtering,
// the wrap mode left at its default. Needs a current GL context; leaves the texture bound.
GLuint CreateShadeTexture(const float ramp[kShadeRampSize][3]);
