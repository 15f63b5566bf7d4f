// PNG files of pictures the program makes itself (the booth's snapshot). Linux encodes with libpng, the
// format's reference library, through its one-call interface; Windows with the Windows Imaging
// Component, which comes with the system and already decodes the movies' JPEG frames there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr const char* kPngWrongPixelCount = "the pixels do not fill the picture's size";

// rgb: width * height pixels of three bytes each, rows from the top. False, with the reason in *problem,
// when the picture cannot be encoded. Takes some milliseconds: not for the frame thread.
bool EncodePng(const std::vector<uint8_t>& rgb, int width, int height, std::string* png,
               std::string* problem);

} // namespace platform
