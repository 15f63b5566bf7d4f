// How far one picture read back from GL lies from another of the same size, as the fast glow is judged
// against the exact one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PictureDifference {
    // Mean absolute difference per colour channel, in levels of 255.
    double meanLevels;
    // Pixels whose most different colour channel differs by more than the tolerance.
    size_t pixelsOver;
    // The most any colour channel of any pixel differs by.
    int largestLevels;
    size_t pixels;
};

// Both pictures RGBA, 4 bytes a pixel; alpha is not compared.
PictureDifference ComparePictures(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                  int toleranceLevels);
