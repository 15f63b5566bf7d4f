// A model's outline as lines drawn once per edge. Drawing the back faces as lines draws every edge two back
// faces share twice, and the second, wide and smoothed, costs as much as the first while it only darkens
// the fringe a little more: at a large view those lines are much of a frame.
#pragma once

#include "render/Models.h"

#include <cstdint>
#include <vector>

class OutlineEdges {
public:
    // Finds the edges once: corners at the same place are one corner, whatever their index.
    explicit OutlineEdges(const EmbeddedMesh& mesh);

    // Draws as GL_LINES every edge that a back face has under the current modelview and projection, in
    // the direction that face's corners run: what GL's culling leaves of the faces, each edge once.
    // Allocates nothing.
    void DrawBackEdges();

private:
    // One face's side of an edge: the face and its corners' positions in the face's own order.
    struct Side {
        int32_t face;
        int16_t from;
        int16_t to;
    };
    // Sides [firstSide, endSide) of `sides`.
    struct Edge {
        int32_t firstSide;
        int32_t endSide;
    };

    void FindBackFaces();

    const EmbeddedMesh& mesh;
    std::vector<Side> sides;
    std::vector<Edge> edges;
    // Per frame: x, y and w of every position in clip coordinates, and which faces turn away.
    std::vector<float> clip;
    std::vector<uint8_t> back;
};
