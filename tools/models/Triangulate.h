// Splits a planar polygon, optionally with holes, into triangles that use only its own corners.
#pragma once

#include "Geometry.h"

#include <array>
#include <vector>

namespace models {

struct Loop2 {
    std::vector<int> ids;     // caller's vertex ids
    std::vector<double> x, y; // their coordinates in the polygon's plane
};

// The outer loop runs counter-clockwise, each hole clockwise. Returns counter-clockwise triangles,
// (outer corners + hole corners + 2 per hole - 2) of them, or an empty list if the polygon is broken.
std::vector<std::array<int, 3>> TriangulatePolygon(const Loop2& outer, const std::vector<Loop2>& holes);

} // namespace models
