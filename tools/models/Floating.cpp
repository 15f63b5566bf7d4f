#include "Designs.h"
#include "Parts.h"

#include <algorithm>
#include <cmath>

namespace models {
namespace {

// The cloud's outline seen from above: an ellipse with a few bulges.
double OutlineRadius(double angle) {
    return 1.0 + 0.11 * std::sin(3.0 * angle + 0.6) + 0.08 * std::sin(5.0 * angle + 2.1) +
           0.04 * std::sin(7.0 * angle + 0.3);
}

// Height of the puffy top over the point (x, y) of the unit-sized outline.
double PuffHeight(double x, double y) {
    struct Puff {
        double x, y, radius, height;
    };
    const Puff puffs[] = {{-0.5, 0.1, 0.34, 0.75},   {0.05, 0.3, 0.36, 1.0},   {0.55, -0.05, 0.33, 0.8},
                          {-0.05, -0.35, 0.32, 0.7}, {-0.6, -0.45, 0.25, 0.4}, {0.6, 0.5, 0.25, 0.45}};
    double height = 0.2;
    for (const Puff& p : puffs) {
        const double dx = x - p.x, dy = y - p.y;
        height += p.height * std::exp(-(dx * dx + dy * dy) / (p.radius * p.radius));
    }
    return height;
}

Ring CloudRing(MeshBuilder& b, int corners, double reach, bool top) {
    Ring ring;
    for (int i = 0; i < corners; ++i) {
        const double angle = 2.0 * kPi * i / corners;
        const double r = reach * OutlineRadius(angle);
        const double x = r * std::cos(angle), y = 0.8 * r * std::sin(angle);
        // A rounded side: the height rises like a quarter circle from the rim inwards.
        const double z = top ? std::pow(std::max(0.0, 1.0 - reach * reach), 0.5) * PuffHeight(x, y) : 0.0;
        ring.ids.push_back(b.AddPosition({x, y, z}));
        ring.params.push_back(static_cast<double>(i) / corners);
    }
    return ring;
}

} // namespace

ModelTables BuildFloatingModel() {
    MeshBuilder b;
    b.AddMaterial({255, 255, 255});
    b.SetTextured(true);
    b.BeginGroup(0);

    // Flat underside (one plane) from the centre out to the rim, then the smooth puffy top back in.
    const int bottomPole = b.AddPosition({0.0, 0.0, 0.0});
    const int bottomCorners[] = {7, 13, 19, 24, 28, 33};
    const double bottomReach[] = {0.16, 0.33, 0.5, 0.66, 0.83, 1.0};
    std::vector<Ring> bottom;
    for (int i = 0; i < 6; ++i) {
        bottom.push_back(CloudRing(b, bottomCorners[i], bottomReach[i], false));
    }
    const int underside = b.NewPlane({0, 0, -1});
    b.StitchInPlane(underside, Ring{{bottomPole}, {0.0}}, bottom[0]);
    for (int i = 0; i + 1 < 6; ++i) {
        b.StitchInPlane(underside, bottom[i], bottom[i + 1]);
    }

    const int topCorners[] = {30, 26, 19, 8, 4};
    const double topReach[] = {0.94, 0.8, 0.6, 0.36, 0.16};
    std::vector<Ring> top{bottom.back()};
    for (int i = 0; i < 5; ++i) {
        top.push_back(CloudRing(b, topCorners[i], topReach[i], true));
    }
    const int topPole = b.AddPosition({0.0, 0.0, PuffHeight(0.0, 0.0)});
    const int puffy = b.NewSmoothingSet();
    for (size_t i = 0; i + 1 < top.size(); ++i) {
        b.StitchSmooth(puffy, top[i], top[i + 1]);
    }
    b.StitchSmooth(puffy, top.back(), Ring{{topPole}, {0.0}});

    b.MapToBox({0.5, 0.4074, 0.2041});
    return b.Finish("floating model", {213, 419, 695, 215, {0.5, 0.4074, 0.2041}});
}

} // namespace models
