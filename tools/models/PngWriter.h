// Writes 8-bit RGB pictures as PNG files (uncompressed deflate blocks), for the model view tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace models {

// rgb holds width * height * 3 bytes, rows from the top.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

} // namespace models
