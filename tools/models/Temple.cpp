#include "Designs.h"
#include "Parts.h"

#include <algorithm>

namespace models {
namespace {

constexpr double kStylobateTop = -0.41;
constexpr double kColumnTop = 0.11;
constexpr double kAbacusTop = 0.135;
constexpr double kCorniceTop = 0.285;
constexpr int kColumnSides = 10;

struct Column {
    Ring foot, waist, head;
    int centre;
};

Column BuildColumn(MeshBuilder& b, double x, double y) {
    const Outline decagon = RegularOutline(kColumnSides);
    // A slight swelling at the waist and a taper to the head, as stone columns have.
    return {AddRing(b, decagon, {x, y, kStylobateTop}, 0.03, 0.03),
            AddRing(b, decagon, {x, y, -0.15}, 0.0287, 0.0287),
            AddRing(b, decagon, {x, y, kColumnTop}, 0.025, 0.025), b.AddPosition({x, y, kColumnTop})};
}

// Shaft smooth; the hidden top cap keeps the shaft's rim normals so that it is smooth too.
void EmitColumn(MeshBuilder& b, const Column& column) {
    const int shaft = b.NewSmoothingSet();
    const int cap = b.NewSmoothingSet();
    b.StitchSmooth(shaft, column.foot, column.waist);
    b.StitchSmooth(shaft, column.waist, column.head);
    const size_t k = column.head.ids.size();
    for (size_t j = 0; j < k; ++j) {
        b.AddSmoothTriangle(cap, column.head.ids[j], column.head.ids[(j + 1) % k], column.centre, shaft,
                            shaft, cap);
    }
}

// One side of the roof: a closed slab whose top is corrugated into tile ridges running down the
// slope. side is +1 for the slab over +x, -1 for the one over -x.
void AddRoofSlab(MeshBuilder& b, int side) {
    const int ridges = 6;
    const double halfLength = 0.4728, eaveX = 0.2632 * side, eaveZ = 0.283, ridgeZ = 0.43;
    const double ridgeHeight = 0.014, thickness = 0.012;
    std::vector<int> eave, ridge;
    for (int i = 0; i <= 2 * ridges; ++i) {
        const double y = -halfLength + i * (halfLength / ridges);
        const double lift = i % 2 == 1 ? ridgeHeight : 0.0;
        eave.push_back(b.AddPosition({eaveX, y, eaveZ + lift}));
        ridge.push_back(b.AddPosition({0.0, y, ridgeZ + lift}));
    }
    const int eaveLow[2] = {b.AddPosition({eaveX, -halfLength, eaveZ - thickness}),
                            b.AddPosition({eaveX, halfLength, eaveZ - thickness})};
    const int ridgeLow[2] = {b.AddPosition({0.0, -halfLength, ridgeZ - thickness}),
                             b.AddPosition({0.0, halfLength, ridgeZ - thickness})};
    auto polygon = [&](std::vector<int> corners) {
        if (side < 0) {
            std::reverse(corners.begin(), corners.end());
        }
        b.AddFlatPolygon(corners);
    };
    for (int i = 0; i < 2 * ridges; ++i) {
        polygon({eave[i], eave[i + 1], ridge[i + 1], ridge[i]});
    }
    polygon({eaveLow[0], ridgeLow[0], ridgeLow[1], eaveLow[1]});
    std::vector<int> eaveEnd{eaveLow[0], eaveLow[1]};
    eaveEnd.insert(eaveEnd.end(), eave.rbegin(), eave.rend());
    polygon(eaveEnd);
    std::vector<int> ridgeEnd{ridgeLow[1], ridgeLow[0]};
    ridgeEnd.insert(ridgeEnd.end(), ridge.begin(), ridge.end());
    polygon(ridgeEnd);
    polygon({ridgeLow[0], eaveLow[0], eave.front(), ridge.front()});
    polygon({eaveLow[1], ridgeLow[1], ridge.back(), eave.back()});
}

// An ornament on a gable apex: a four-sided point with smoothed normals, its open base in the roof.
void AddAcroterion(MeshBuilder& b, double y) {
    const Ring base = AddRing(b, RegularOutline(4), {0.0, y, 0.43}, 0.022, 0.022);
    const int tip = b.AddPosition({0.0, y, 0.5});
    b.StitchSmooth(b.NewSmoothingSet(), base, Ring{{tip}, {0.0}});
}

} // namespace

ModelTables BuildTemple() {
    MeshBuilder b;
    const int marble = b.AddMaterial({227, 224, 191});
    const int red = b.AddMaterial({111, 34, 34});

    // A peristyle of four by seven columns.
    std::vector<Column> columns;
    const double rowX[4] = {-0.195, -0.065, 0.065, 0.195};
    for (double y : {-0.405, 0.405}) {
        for (double x : rowX) {
            columns.push_back(BuildColumn(b, x, y));
        }
    }
    for (double y : {-0.27, -0.135, 0.0, 0.135, 0.27}) {
        for (double x : {-0.195, 0.195}) {
            columns.push_back(BuildColumn(b, x, y));
        }
    }

    b.BeginGroup(marble);
    AddBox(b, {-0.2832, -0.4928, -0.5}, {0.2832, 0.4928, -0.47});
    AddBox(b, {-0.2632, -0.4728, -0.47}, {0.2632, 0.4728, -0.44});
    // The top step carries the columns: its upper face runs up into them without a seam.
    {
        int c[8];
        for (int i = 0; i < 8; ++i) {
            const bool right = i == 1 || i == 2 || i == 5 || i == 6;
            const bool back = i == 2 || i == 3 || i == 6 || i == 7;
            c[i] = b.AddPosition(
                {right ? 0.2432 : -0.2432, back ? 0.4528 : -0.4528, i >= 4 ? kStylobateTop : -0.44});
        }
        b.AddFlatPolygon({c[0], c[3], c[2], c[1]});
        b.AddFlatPolygon({c[0], c[1], c[5], c[4]});
        b.AddFlatPolygon({c[2], c[3], c[7], c[6]});
        b.AddFlatPolygon({c[3], c[0], c[4], c[7]});
        b.AddFlatPolygon({c[1], c[2], c[6], c[5]});
        std::vector<std::vector<int>> holes;
        for (const Column& column : columns) {
            holes.push_back(Reversed(column.foot));
        }
        b.AddFlatPolygon({c[4], c[5], c[6], c[7]}, holes);
    }
    for (const Column& column : columns) {
        const double x = b.Position(column.centre).x, y = b.Position(column.centre).y;
        AddBox(b, {x - 0.036, y - 0.036, kColumnTop}, {x + 0.036, y + 0.036, kAbacusTop});
    }
    AddBox(b, {-0.2332, -0.4428, kAbacusTop}, {0.2332, 0.4428, 0.2});
    AddBox(b, {-0.2282, -0.4378, 0.2}, {0.2282, 0.4378, 0.26});
    AddBox(b, {-0.2532, -0.4628, 0.26}, {0.2532, 0.4628, kCorniceTop});
    AddBox(b, {-0.12, -0.3, kStylobateTop}, {0.12, 0.3, kAbacusTop});
    {
        // The gables under the roof.
        const int a = b.AddPosition({-0.2432, -0.4528, kCorniceTop});
        const int c = b.AddPosition({0.2432, -0.4528, kCorniceTop});
        const int d = b.AddPosition({0.2432, 0.4528, kCorniceTop});
        const int e = b.AddPosition({-0.2432, 0.4528, kCorniceTop});
        const int front = b.AddPosition({0.0, -0.4528, 0.415});
        const int back = b.AddPosition({0.0, 0.4528, 0.415});
        b.AddFlatPolygon({a, e, d, c});
        b.AddFlatPolygon({a, c, front});
        b.AddFlatPolygon({d, e, back});
        b.AddFlatPolygon({c, d, back, front});
        b.AddFlatPolygon({e, a, front, back});
    }
    b.PadGroupFaces(0, 536);

    b.BeginGroup(red);
    for (const Column& column : columns) {
        EmitColumn(b, column);
    }
    AddRoofSlab(b, 1);
    AddRoofSlab(b, -1);
    AddAcroterion(b, -0.455);
    AddAcroterion(b, 0.455);

    return b.Finish("temple", {840, 826, 0, 648, {0.2832, 0.4928, 0.5}});
}

} // namespace models
