#include "render/PictureDifference.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t kBytesPerPixel = 4;
constexpr size_t kColourChannels = 3;

} // namespace

PictureDifference ComparePictures(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                  int toleranceLevels) {
    double sum = 0;
    size_t over = 0;
    int largest = 0;
    const size_t pixels = a.size() / kBytesPerPixel;
    for (size_t p = 0; p < pixels; ++p) {
        int worst = 0;
        for (size_t c = 0; c < kColourChannels; ++c) {
            const int d = std::abs(a[p * kBytesPerPixel + c] - b[p * kBytesPerPixel + c]);
            sum += d;
            worst = std::max(worst, d);
        }
        over += worst > toleranceLevels ? 1 : 0;
        largest = std::max(largest, worst);
    }
    return {sum / (static_cast<double>(kColourChannels) * pixels), over, largest, pixels};
}
