#include "monitor/Snapshot.h"

#include <algorithm>

namespace monitor {
namespace {

constexpr size_t kFrameBytesPerPixel = 4;
constexpr size_t kSnapshotBytesPerPixel = 3;

// The frame's columns (or rows) under the snapshot's pixel `index` of `count`: at least one.
void Span(int index, int count, int frameSize, int* first, int* end) {
    *first = static_cast<int>(static_cast<int64_t>(index) * frameSize / count);
    *end = std::max(*first + 1, static_cast<int>(static_cast<int64_t>(index + 1) * frameSize / count));
}

} // namespace

std::vector<uint8_t> ScaledForSnapshot(const FramePixels& frame) {
    std::vector<uint8_t> rgb(static_cast<size_t>(kSnapshotWidth) * kSnapshotHeight * kSnapshotBytesPerPixel);
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.rgba.size() < static_cast<size_t>(frame.width) * frame.height * kFrameBytesPerPixel) {
        return rgb;
    }
    uint8_t* out = rgb.data();
    for (int y = 0; y < kSnapshotHeight; ++y) {
        int rowFirst = 0;
        int rowEnd = 0;
        Span(y, kSnapshotHeight, frame.height, &rowFirst, &rowEnd);
        for (int x = 0; x < kSnapshotWidth; ++x) {
            int columnFirst = 0;
            int columnEnd = 0;
            Span(x, kSnapshotWidth, frame.width, &columnFirst, &columnEnd);
            uint32_t sums[kSnapshotBytesPerPixel] = {};
            for (int row = rowFirst; row < rowEnd; ++row) {
                // Rows counted from the top here, from the bottom in the frame.
                const uint8_t* pixel =
                    frame.rgba.data() +
                    (static_cast<size_t>(frame.height - 1 - row) * frame.width + columnFirst) *
                        kFrameBytesPerPixel;
                for (int column = columnFirst; column < columnEnd; ++column, pixel += kFrameBytesPerPixel) {
                    for (size_t channel = 0; channel < kSnapshotBytesPerPixel; ++channel) {
                        sums[channel] += pixel[channel];
                    }
                }
            }
            const uint32_t count = static_cast<uint32_t>((rowEnd - rowFirst) * (columnEnd - columnFirst));
            for (size_t channel = 0; channel < kSnapshotBytesPerPixel; ++channel) {
                *out++ = static_cast<uint8_t>((sums[channel] + count / 2) / count);
            }
        }
    }
    return rgb;
}

} // namespace monitor
