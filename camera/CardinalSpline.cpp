#include "camera/CardinalSpline.h"

#include "platform/MessageLines.h"

namespace {

// The smallest float above 1.0: a parameter that overshot 1 by one rounding step is still accepted.
constexpr float kLargestU = 1.0000001f;
constexpr const char* kBadUMessage = "ERROR: bad u value!";
constexpr const char* kBadSegmentMessage = "ERROR: bad segment number!";

void Refuse(const char* message) {
    platform::PrintMessage("%s\n", message);
}

} // namespace

CardinalSpline::CardinalSpline(float s)
    : tension(s), basis{{-s, 2 - s, s - 2, s}, {2 * s, s - 3, 3 - 2 * s, -s}, {-s, 0, s, 0}, {0, 1, 0, 0}} {}

void CardinalSpline::AddPoint(const Vec3& point) {
    controlPoints.push_back(point);
}

void CardinalSpline::ClearPoints() {
    controlPoints.clear();
}

std::optional<Vec3> CardinalSpline::Evaluate(int k, float u) {
    // Written as a negated range test so that a NaN parameter is refused too.
    if (!(u >= 0.0f && u <= kLargestU)) {
        Refuse(kBadUMessage);
        return std::nullopt;
    }
    // Segment 0 does not exist; beyond the last segment, or with fewer than two points, there is no
    // pair of points to run between, and reading one would leave the list.
    const int n = PointCount();
    if (k < 1 || k > n - 1) {
        Refuse(kBadSegmentMessage);
        return std::nullopt;
    }
    // The first and the last segment repeat their end point as the outer control point.
    const Vec3 controls[4] = {
        controlPoints[k == 1 ? 0 : k - 2],
        controlPoints[k - 1],
        controlPoints[k],
        controlPoints[k == n - 1 ? k : k + 1],
    };
    for (int i = 0; i < 4; ++i) {
        float sum[3] = {0.0f, 0.0f, 0.0f};
        for (int m = 0; m < 4; ++m) {
            sum[0] += basis[i][m] * controls[m].x;
            sum[1] += basis[i][m] * controls[m].y;
            sum[2] += basis[i][m] * controls[m].z;
        }
        for (int j = 0; j < 3; ++j) {
            coefficients[i][j] = sum[j];
        }
    }
    const float u2 = u * u;
    const float u3 = u2 * u;
    auto coordinate = [&](int j) {
        return coefficients[0][j] * u3 + coefficients[1][j] * u2 + coefficients[2][j] * u +
               coefficients[3][j];
    };
    return Vec3(coordinate(0), coordinate(1), coordinate(2));
}
