#include "Parts.h"

#include <algorithm>

namespace models {

void AddBox(MeshBuilder& builder, V3 low, V3 high) {
    int c[8];
    for (int i = 0; i < 8; ++i) {
        const bool right = i == 1 || i == 2 || i == 5 || i == 6;
        const bool back = i == 2 || i == 3 || i == 6 || i == 7;
        c[i] = builder.AddPosition({right ? high.x : low.x, back ? high.y : low.y, i >= 4 ? high.z : low.z});
    }
    builder.AddFlatPolygon({c[0], c[3], c[2], c[1]});
    builder.AddFlatPolygon({c[4], c[5], c[6], c[7]});
    builder.AddFlatPolygon({c[0], c[1], c[5], c[4]});
    builder.AddFlatPolygon({c[2], c[3], c[7], c[6]});
    builder.AddFlatPolygon({c[3], c[0], c[4], c[7]});
    builder.AddFlatPolygon({c[1], c[2], c[6], c[5]});
}

Outline RegularOutline(int corners) {
    Outline outline;
    for (int i = 0; i < corners; ++i) {
        outline.angle.push_back(2.0 * kPi * i / corners);
        outline.radius.push_back(1.0);
    }
    return outline;
}

Outline JaggedOutline(int corners, Random& random, double radiusLow, double radiusHigh, double angleJitter) {
    Outline outline;
    for (int i = 0; i < corners; ++i) {
        const double jitter = i == 0 ? 0.0 : random.Range(-angleJitter, angleJitter);
        outline.angle.push_back(2.0 * kPi * (i + jitter) / corners);
        outline.radius.push_back(random.Range(radiusLow, radiusHigh));
    }
    return outline;
}

Ring AddRing(MeshBuilder& builder, const Outline& outline, V3 centre, double sx, double sy) {
    Ring ring;
    for (size_t i = 0; i < outline.angle.size(); ++i) {
        const double a = outline.angle[i];
        const double r = outline.radius[i];
        ring.ids.push_back(builder.AddPosition(
            {centre.x + sx * r * std::cos(a), centre.y + sy * r * std::sin(a), centre.z}));
        ring.params.push_back(a / (2.0 * kPi));
    }
    return ring;
}

std::vector<int> Reversed(const Ring& ring) {
    return {ring.ids.rbegin(), ring.ids.rend()};
}

} // namespace models
