// Builds TGA file contents byte by byte for the loader's tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace tga_test {

constexpr uint8_t kUncompressed = 2;
constexpr uint8_t kRunLength = 10;
constexpr uint8_t kColourMapped = 1;
constexpr uint8_t kGrey = 3;

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

// An 18-byte header, the identification field and the pixel data, in file order.
inline std::string TgaFile(uint8_t type, uint16_t width, uint16_t height, uint8_t depth,
                           const std::string& data, const std::string& id = "") {
    std::string file(18, '\0');
    file[0] = static_cast<char>(id.size());
    file[2] = static_cast<char>(type);
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = static_cast<char>(depth);
    return file + id + data;
}

} // namespace tga_test
