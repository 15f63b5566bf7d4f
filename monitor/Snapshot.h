// The booth's snapshot: the frame on screen at a size that shows what the booth shows and travels
// cheaply, so that someone far away can look.
#pragma once

#include "monitor/FrameReadback.h"

#include <cstdint>
#include <vector>

namespace monitor {

constexpr int kSnapshotWidth = 400;
constexpr int kSnapshotHeight = 300;

// The frame scaled to kSnapshotWidth x kSnapshotHeight, each pixel the rounded mean of the frame's pixels
// under it (2 x 2 of an 800 x 600 frame), alpha dropped: red, green and blue, rows from the top.
std::vector<uint8_t> ScaledForSnapshot(const FramePixels& frame);

} // namespace monitor
