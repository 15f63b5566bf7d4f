#include "render/ShadeRamp.h"

#include "platform/DataFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// fgets stores at most this many bytes, the terminator included.
constexpr int kLineBufferSize = 255;
// What an empty file gives: full colour rather than black models.
constexpr float kEmptyRampLevel = 1.0f;
// The most of a file that the reading can take in: every value from a full buffer.
constexpr size_t kLargestUsedText = static_cast<size_t>(kShadeRampSize) * (kLineBufferSize - 1);
constexpr char kLineBreak = '\n';

} // namespace

int ReadShadeRamp(const std::string& text, float ramp[kShadeRampSize][3]) {
    std::string line;
    size_t next = 0;
    // As the file's end-of-file mark: set once a read has run into the end of the text.
    bool atEnd = false;
    bool anyLine = false;
    int count = 0;
    while (count < kShadeRampSize && !atEnd) {
        if (next < text.size()) {
            // As fgets: up to a line break (kept), or as much as the buffer holds; it runs into the end
            // only when the text ends before either.
            const size_t limit = std::min(text.size(), next + (kLineBufferSize - 1));
            size_t end = std::find(text.begin() + next, text.begin() + limit, kLineBreak) - text.begin();
            end = end < limit ? end + 1 : limit;
            line.assign(text, next, end - next);
            next = end;
            atEnd = next == text.size() && line.back() != kLineBreak && line.size() < kLineBufferSize - 1;
            anyLine = true;
        } else {
            // A read at the end keeps the previous line's text, which is parsed again.
            atEnd = true;
            if (!anyLine) {
                break;
            }
        }
        const float value = static_cast<float>(std::atof(line.c_str()));
        ramp[count][0] = ramp[count][1] = ramp[count][2] = value;
        ++count;
    }
    const float fill = count > 0 ? ramp[count - 1][0] : kEmptyRampLevel;
    for (int k = count; k < kShadeRampSize; ++k) {
        ramp[k][0] = ramp[k][1] = ramp[k][2] = fill;
    }
    return count;
}

ShadeRampLoad LoadShadeRamp(float ramp[kShadeRampSize][3]) {
    ShadeRampLoad load;
    platform::DataFile file;
    std::string text;
    load.opened = file.Open(kShadeRampFile);
    if (load.opened) {
        text.resize(kLargestUsedText);
        text.resize(file.Read(reinterpret_cast<uint8_t*>(&text[0]), text.size()));
    }
    load.problem = file.Problem();
    load.values = ReadShadeRamp(text, ramp);
    return load;
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
