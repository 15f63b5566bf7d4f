// Shapes the model designs are assembled from: boxes, and outlines placed as rings.
#pragma once

#include "MeshBuilder.h"

#include <vector>

namespace models {

// Eight corners, six flat sides facing out.
void AddBox(MeshBuilder& builder, V3 low, V3 high);

// A closed outline around the origin in the x-y plane, counter-clockwise, first corner near angle 0.
struct Outline {
    std::vector<double> angle;
    std::vector<double> radius;
};
Outline RegularOutline(int corners);
// Corners at jittered angles (by up to `angleJitter` of a step) and radii between the two bounds.
Outline JaggedOutline(int corners, Random& random, double radiusLow, double radiusHigh, double angleJitter);

// The outline scaled by (sx, sy) around `centre` (whose z gives the height).
Ring AddRing(MeshBuilder& builder, const Outline& outline, V3 centre, double sx, double sy);
// The same ring walked the other way, for a hole in a polygon that faces +z.
std::vector<int> Reversed(const Ring& ring);

} // namespace models
