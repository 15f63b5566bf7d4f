#include "Designs.h"
#include "Parts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace models {
namespace {

// The plate, in the model's own units (z up once the program turns the landscape upright).
constexpr double kHalfWidth = 0.4294;
constexpr double kHalfDepth = 0.3972;
constexpr double kBottom = -0.5;
constexpr double kSand = -0.47;
constexpr double kPeak = 0.5;
// Standing parts start a little under the sand so that no crack shows where they meet it.
constexpr double kSunk = -0.48;
// Where the temple's lowest step ends up inside this model's frame (its own transform applied).
constexpr double kTempleFoot = 0.63 * (-0.5 - 0.225);

struct Tier {
    int corners;
    int rings;
};

// A faceted rock: rings of jagged outlines stacked from the rim (on the sand) to an apex. Rings of one
// tier are scaled copies of one outline, so their quads stay planar (one normal each).
struct Rock {
    Ring rim;
    std::vector<Ring> rings; // rim first
    int apex;
};

struct RockShape {
    V3 base; // rim centre, on the sand
    V3 top;  // apex
    double radiusX, radiusY;
    double profile; // ring scale = (1 - t^profile)^1.5, t = height fraction
    double strata;  // alternates ring spacing for a layered look
    bool dome;      // quarter-circle profile instead
};

Rock BuildRock(MeshBuilder& b, Random& random, const RockShape& shape, const std::vector<Tier>& tiers) {
    int total = 0;
    for (const Tier& tier : tiers) {
        total += tier.rings;
    }
    Rock rock;
    int index = 0;
    for (const Tier& tier : tiers) {
        const Outline outline = JaggedOutline(tier.corners, random, 0.84, 1.1, 0.3);
        for (int r = 0; r < tier.rings; ++r, ++index) {
            double t = static_cast<double>(index) / total;
            if (index > 0 && index % 2 == 1) {
                t += shape.strata / total;
            }
            double scale, height;
            if (shape.dome) {
                const double angle = t * kPi / 2.0;
                scale = std::cos(angle);
                height = std::sin(angle);
            } else {
                // Broad shoulders narrowing to a point, with every other ring drawn in as a ledge.
                scale = std::pow(1.0 - std::pow(t, shape.profile), 1.5) * (index % 2 == 1 ? 0.93 : 1.0);
                height = t;
            }
            const V3 centre = shape.base + (shape.top - shape.base) * t;
            const V3 at{centre.x, centre.y, shape.base.z + (shape.top.z - shape.base.z) * height};
            rock.rings.push_back(AddRing(b, outline, at, shape.radiusX * scale, shape.radiusY * scale));
        }
    }
    rock.rim = rock.rings.front();
    rock.apex = b.AddPosition(shape.top);
    return rock;
}

void EmitRock(MeshBuilder& b, const Rock& rock) {
    for (size_t i = 0; i + 1 < rock.rings.size(); ++i) {
        b.StitchFlat(rock.rings[i], rock.rings[i + 1], true);
    }
    b.StitchFlat(rock.rings.back(), Ring{{rock.apex}, {0.0}}, false);
}

// An open hexagonal shaft, smooth, from below the sand to `top`.
void AddShaft(MeshBuilder& b, double x, double y, double radius, double top) {
    const Outline hexagon = RegularOutline(6);
    const Ring low = AddRing(b, hexagon, {x, y, kSunk}, radius, radius);
    const Ring high = AddRing(b, hexagon, {x, y, top}, radius, radius);
    b.StitchSmooth(b.NewSmoothingSet(), low, high);
}

// A cypress: a five-sided spindle standing on the sand, smooth.
void AddCypress(MeshBuilder& b, double x, double y, double radius, double height) {
    const Outline pentagon = RegularOutline(5);
    const Ring foot = AddRing(b, pentagon, {x, y, kSunk}, radius * 0.55, radius * 0.55);
    const Ring belly = AddRing(b, pentagon, {x, y, kSand + height * 0.3}, radius, radius);
    const int tip = b.AddPosition({x, y, kSand + height});
    const int set = b.NewSmoothingSet();
    b.StitchSmooth(set, foot, belly);
    b.StitchSmooth(set, belly, Ring{{tip}, {0.0}});
}

// A rounded stone: a tetrahedron whose normals are smoothed, sunk a little into the sand.
void AddPebble(MeshBuilder& b, double x, double y, double size) {
    int base[3];
    for (int i = 0; i < 3; ++i) {
        const double a = 2.0 * kPi * i / 3.0 + 0.4;
        base[i] = b.AddPosition({x + size * std::cos(a), y + size * std::sin(a), kSand - 0.004});
    }
    const int top = b.AddPosition({x + 0.2 * size, y, kSand + size * 1.1});
    const int set = b.NewSmoothingSet();
    b.AddSmoothTriangle(set, base[0], base[2], base[1]);
    b.AddSmoothTriangle(set, base[0], base[1], top);
    b.AddSmoothTriangle(set, base[1], base[2], top);
    b.AddSmoothTriangle(set, base[2], base[0], top);
}

} // namespace

ModelTables BuildLandscape() {
    MeshBuilder b;
    const int darkStone = b.AddMaterial({42, 39, 39});
    const int rock = b.AddMaterial({82, 73, 57});
    const int white = b.AddMaterial({255, 255, 255});
    const int red = b.AddMaterial({111, 34, 34});
    const int sand = b.AddMaterial({221, 211, 153});
    const int darkWood = b.AddMaterial({49, 41, 29});
    const int marble = b.AddMaterial({227, 224, 191});
    Random random(20240611u);

    // The ground is one closed surface: plinth walls and bottom, the sand on top, and the rocks
    // rising out of holes in the sand, sharing their rims with it.
    int top[4], bottom[4];
    const double cornerX[4] = {-kHalfWidth, kHalfWidth, kHalfWidth, -kHalfWidth};
    const double cornerY[4] = {-kHalfDepth, -kHalfDepth, kHalfDepth, kHalfDepth};
    for (int i = 0; i < 4; ++i) {
        top[i] = b.AddPosition({cornerX[i], cornerY[i], kSand});
        bottom[i] = b.AddPosition({cornerX[i], cornerY[i], kBottom});
    }
    const int bottomCentre = b.AddPosition({0.0, 0.0, kBottom});

    b.SetTextured(true);
    const Rock mountain =
        BuildRock(b, random, {{0.225, 0.09, kSand}, {0.14, 0.2, kPeak}, 0.185, 0.27, 1.6, 0.35, false},
                  {{12, 8}, {10, 7}, {8, 5}, {6, 2}});
    const Rock knoll =
        BuildRock(b, random, {{0.3, -0.31, kSand}, {0.31, -0.315, kSand + 0.12}, 0.08, 0.075, 1.0, 0.0, true},
                  {{7, 8}, {6, 3}});
    b.SetTextured(false);
    const Rock crag =
        BuildRock(b, random, {{0.1, -0.3, kSand}, {0.095, -0.29, kSand + 0.17}, 0.055, 0.05, 1.2, 0.4, false},
                  {{5, 11}, {4, 4}});

    b.BeginGroup(darkStone);
    b.SetTextured(false);
    for (int i = 0; i < 4; ++i) {
        b.AddFlatPolygon({bottom[i], bottom[(i + 1) % 4], top[(i + 1) % 4], top[i]});
    }
    const int underside = b.NewPlane({0, 0, -1});
    for (int i = 0; i < 4; ++i) {
        b.AddFlatTriangle(underside, bottomCentre, bottom[(i + 1) % 4], bottom[i]);
    }

    b.BeginGroup(rock);
    b.SetTextured(true);
    EmitRock(b, mountain);
    b.SetTextured(false);

    // A gateway of three white columns with red capitals and a red lintel, before the temple.
    const double gateY = -0.325, columnTop = -0.39, capital = 0.018;
    const double gateX[3] = {-0.285, -0.185, -0.085};
    for (int i = 0; i < 3; ++i) {
        b.BeginGroup(white);
        AddShaft(b, gateX[i], gateY, 0.012, columnTop);
        b.BeginGroup(red);
        AddBox(b, {gateX[i] - capital, gateY - capital, columnTop},
               {gateX[i] + capital, gateY + capital, -0.378});
    }
    AddBox(b, {gateX[0] - 0.02, gateY - 0.016, -0.378}, {gateX[2] + 0.02, gateY + 0.016, -0.362});

    b.BeginGroup(rock);
    b.SetTextured(true);
    EmitRock(b, knoll);

    b.BeginGroup(sand);
    b.AddFlatPolygon({top[0], top[1], top[2], top[3]},
                     {Reversed(mountain.rim), Reversed(knoll.rim), Reversed(crag.rim)});
    b.SetTextured(false);

    // An altar before the temple steps.
    b.BeginGroup(red);
    AddBox(b, {-0.24, -0.283, kSunk}, {-0.18, -0.247, -0.455});
    AddBox(b, {-0.232, -0.278, -0.455}, {-0.188, -0.252, -0.445});

    b.BeginGroup(rock);
    EmitRock(b, crag);
    AddPebble(b, 0.17, -0.37, 0.018);

    // A small red shrine on a stone block in the front corner.
    b.BeginGroup(red);
    AddBox(b, {-0.4, -0.37, -0.44}, {-0.37, -0.34, -0.415});
    b.BeginGroup(rock);
    AddBox(b, {-0.41, -0.38, kSunk}, {-0.36, -0.33, -0.44});

    b.BeginGroup(darkWood);
    AddCypress(b, 0.395, -0.12, 0.02, 0.16);
    AddCypress(b, 0.125, -0.14, 0.022, 0.19);
    AddCypress(b, -0.03, -0.37, 0.018, 0.13);
    AddCypress(b, -0.405, -0.265, 0.018, 0.15);
    AddCypress(b, 0.02, -0.2, 0.017, 0.12);

    // The temple's footing: the temple model stands on its top.
    b.BeginGroup(marble);
    AddBox(b, {-0.4, -0.235, kSand}, {-0.028, kHalfDepth, kTempleFoot});

    return b.Finish("landscape", {545, 599, 355, 854, {kHalfWidth, kHalfDepth, 0.5}});
}

} // namespace models
