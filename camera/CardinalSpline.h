// A cubic cardinal spline through an ordered list of points, evaluated one segment at a time; the camera
// travels along one.
#pragma once

#include "core/Math.h"

#include <optional>
#include <vector>

class CardinalSpline {
public:
    explicit CardinalSpline(float tension);

    void AddPoint(const Vec3& point);
    void ClearPoints();
    int PointCount() const { return static_cast<int>(controlPoints.size()); }

    // Segment k (1 <= k <= n - 1) runs from point k - 1 at u = 0 to point k at u = 1. Refused
    // arguments write one line on standard output and give no point.
    std::optional<Vec3> Evaluate(int k, float u);

    float tension;
    float basis[4][4]; // row order
    // The cubic of the segment last evaluated: rows u^3, u^2, u, 1; columns x, y, z.
    float coefficients[4][3] = {};
    std::vector<Vec3> controlPoints;
};
