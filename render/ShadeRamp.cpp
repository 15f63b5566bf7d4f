#include "render/ShadeRamp.h"

#include <cstdlib>

namespace {

// fgets stores at most this many bytes, the terminator included.
constexpr int kLineBufferSize = 255;
// What an empty file gives: full colour rather than black models.
constexpr float kEmptyRampLevel = 1.0f;

} // namespace

int ReadShadeRamp(FILE* file, float ramp[kShadeRampSize][3]) {
    char line[kLineBufferSize] = "";
    bool anyLine = false;
    int count = 0;
    while (count < kShadeRampSize && !std::feof(file)) {
        // On end of file fgets leaves the buffer untouched, so the previous text is parsed again.
        if (std::fgets(line, kLineBufferSize, file) != nullptr) {
            anyLine = true;
        } else if (!anyLine || std::ferror(file)) {
            break;
        }
        const float value = static_cast<float>(std::atof(line));
        ramp[count][0] = ramp[count][1] = ramp[count][2] = value;
        ++count;
    }
    const float fill = count > 0 ? ramp[count - 1][0] : kEmptyRampLevel;
    for (int k = count; k < kShadeRampSize; ++k) {
        ramp[k][0] = ramp[k][1] = ramp[k][2] = fill;
    }
    return count;
}

GLuint CreateShadeTexture(const float ramp[kShadeRampSize][3]) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_1D, name);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, kShadeRampSize, 0, GL_RGB, GL_FLOAT, ramp);
    return name;
}
