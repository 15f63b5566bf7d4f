// Collects one model part by part (materials, groups, flat planes, smoothing sets) and turns it into the
// indexed tables the program embeds.
#pragma once

#include "Geometry.h"

#include <array>
#include <string>
#include <vector>

namespace models {

struct Rgb8 {
    int r, g, b;
};

// The tables as they are written into the program.
struct ModelTables {
    struct Face {
        int position[3];
        int normal[3];
        int texCoord[3];
    };
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> texCoords;
    std::vector<Face> faces;
    std::vector<Rgb8> materials;
    std::vector<std::array<int, 2>> groups; // material, face count
};

// What a finished model must come to; the generator stops with a message when it does not.
struct ModelTargets {
    int positions;
    int normals;
    int texCoords; // 0: no table, every face's texture indices are 0
    int flatFaces; // faces whose three corners share one normal
    V3 halfExtent;
};

// A closed run of vertices around an axis, counter-clockwise seen from +z, with each vertex's
// position around the run (0 to 1) so that runs of different lengths can be stitched together.
struct Ring {
    std::vector<int> ids;
    std::vector<double> params;
};

class MeshBuilder {
public:
    int AddMaterial(Rgb8 diffuse);
    // Faces added from now on belong to a new group of this material.
    void BeginGroup(int material);

    int AddPosition(V3 p);
    V3 Position(int id) const { return positions[id]; }
    // Faces added from now on carry a top-down projection as texture coordinates, or entry 0.
    void SetTextured(bool on) { textured = on; }

    // Flat shading: every triangle of a plane shares its one normal.
    int NewPlane(V3 normal);
    void AddFlatTriangle(int plane, int a, int b, int c);
    // A planar polygon, counter-clockwise seen from its front, with clockwise holes.
    void AddFlatPolygon(const std::vector<int>& outer, const std::vector<std::vector<int>>& holes = {});

    // Smooth shading: a corner's normal averages the faces of its set around that vertex. A corner may
    // borrow the normal another set has at that vertex (a cap that keeps the side's rim normals).
    int NewSmoothingSet() { return smoothingSets++; }
    void AddSmoothTriangle(int set, int a, int b, int c) { AddSmoothTriangle(set, a, b, c, set, set, set); }
    void AddSmoothTriangle(int set, int a, int b, int c, int setA, int setB, int setC);

    // Stitches two rings into a band whose normals face away from the axis (lower ring first) or,
    // for rings lying in one plane, away from the side the rings turn counter-clockwise about.
    // A ring of one vertex gives a fan. Equal rings with `planarQuads` give one plane per quad.
    void StitchFlat(const Ring& lower, const Ring& upper, bool planarQuads);
    void StitchSmooth(int set, const Ring& lower, const Ring& upper);
    // The same for rings that lie in one plane, all of whose triangles share that plane's normal.
    void StitchInPlane(int plane, const Ring& lower, const Ring& upper);

    // Maps every position so that the bounding box becomes [-h, h] on each axis.
    void MapToBox(V3 halfExtent);
    // Splits edges inside the group (between two faces of the same plane or smoothing set) until
    // it has `target` faces; the surface does not change.
    void PadGroupFaces(int group, int target);

    ModelTables Finish(const std::string& name, const ModelTargets& targets);

private:
    struct Face {
        int v[3];
        int plane; // -1: smooth
        int set;
        int cornerSet[3];
        bool textured;
    };
    struct Group {
        int material;
        std::vector<Face> faces;
    };

    void AddFace(const Face& face);
    template <typename Emit> void Zip(const Ring& lower, const Ring& upper, Emit emit);

    std::vector<V3> positions;
    std::vector<V3> planes;
    std::vector<Rgb8> materials;
    std::vector<Group> groups;
    int smoothingSets = 0;
    bool textured = false;
};

} // namespace models
