#include "render/OutlineEdges.h"

#include "platform/OpenGl.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace {

constexpr int kCorners = 3;
constexpr size_t kClipValues = 3; // x, y and w
constexpr int kMatrixSize = 4;

using Place = std::array<float, 3>;

} // namespace

OutlineEdges::OutlineEdges(const EmbeddedMesh& embedded) : mesh(embedded) {
    std::map<Place, int32_t> firstAt;
    std::vector<int32_t> samePlace(static_cast<size_t>(mesh.positionCount));
    for (int32_t i = 0; i < mesh.positionCount; ++i) {
        const float* p = mesh.positions[i];
        samePlace[static_cast<size_t>(i)] = firstAt.emplace(Place{p[0], p[1], p[2]}, i).first->second;
    }

    // Edges numbered as table order first meets them, so they are drawn in much the order the faces were.
    std::map<std::pair<int32_t, int32_t>, int32_t> edgeOf;
    std::vector<int32_t> edgeOfSide;
    std::vector<int32_t> sideCount;
    for (int face = 0; face < mesh.FaceCount(); ++face) {
        for (int corner = 0; corner < kCorners; ++corner) {
            const int32_t from = samePlace[static_cast<size_t>(mesh.faces[face].position[corner])];
            const int32_t to =
                samePlace[static_cast<size_t>(mesh.faces[face].position[(corner + 1) % kCorners])];
            const auto key = std::minmax(from, to);
            const auto found = edgeOf.emplace(key, static_cast<int32_t>(sideCount.size())).first;
            if (found->second == static_cast<int32_t>(sideCount.size())) {
                sideCount.push_back(0);
            }
            ++sideCount[static_cast<size_t>(found->second)];
            edgeOfSide.push_back(found->second);
        }
    }

    edges.resize(sideCount.size());
    int32_t next = 0;
    for (size_t e = 0; e < edges.size(); ++e) {
        edges[e] = {next, next};
        next += sideCount[e];
    }
    sides.resize(static_cast<size_t>(next));
    for (int face = 0; face < mesh.FaceCount(); ++face) {
        for (int corner = 0; corner < kCorners; ++corner) {
            Edge& edge =
                edges[static_cast<size_t>(edgeOfSide[static_cast<size_t>(face * kCorners + corner)])];
            sides[static_cast<size_t>(edge.endSide++)] = {face, mesh.faces[face].position[corner],
                                                          mesh.faces[face].position[(corner + 1) % kCorners]};
        }
    }
    clip.resize(static_cast<size_t>(mesh.positionCount) * kClipValues);
    back.resize(static_cast<size_t>(mesh.FaceCount()));
}

// A triangle's winding in the window is the sign of the determinant of its corners' clip x, y and w: GL's
// counter-clockwise front faces give a positive one, back faces a negative one, and a face seen edge-on,
// which GL draws not at all, 0.
void OutlineEdges::FindBackFaces() {
    GLfloat modelview[16];
    GLfloat projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // Rows x, y and w of projection times modelview, both column-major.
    constexpr int kRows[kClipValues] = {0, 1, 3};
    float rows[kClipValues][kMatrixSize];
    for (size_t r = 0; r < kClipValues; ++r) {
        for (int column = 0; column < kMatrixSize; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < kMatrixSize; ++k) {
                sum += projection[k * kMatrixSize + kRows[r]] * modelview[column * kMatrixSize + k];
            }
            rows[r][column] = sum;
        }
    }
    for (int32_t i = 0; i < mesh.positionCount; ++i) {
        const float* p = mesh.positions[i];
        for (size_t r = 0; r < kClipValues; ++r) {
            clip[static_cast<size_t>(i) * kClipValues + r] =
                rows[r][0] * p[0] + rows[r][1] * p[1] + rows[r][2] * p[2] + rows[r][3];
        }
    }
    for (int face = 0; face < mesh.FaceCount(); ++face) {
        const int16_t* corner = mesh.faces[face].position;
        const float* a = &clip[static_cast<size_t>(corner[0]) * kClipValues];
        const float* b = &clip[static_cast<size_t>(corner[1]) * kClipValues];
        const float* c = &clip[static_cast<size_t>(corner[2]) * kClipValues];
        const float determinant = a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                                  a[2] * (b[0] * c[1] - b[1] * c[0]);
        back[static_cast<size_t>(face)] = determinant < 0.0f ? 1 : 0;
    }
}

void OutlineEdges::DrawBackEdges() {
    FindBackFaces();
    glBegin(GL_LINES);
    for (const Edge& edge : edges) {
        for (int32_t s = edge.firstSide; s < edge.endSide; ++s) {
            const Side& side = sides[static_cast<size_t>(s)];
            if (back[static_cast<size_t>(side.face)] != 0) {
                glVertex3fv(mesh.positions[side.from]);
                glVertex3fv(mesh.positions[side.to]);
                break;
            }
        }
    }
    glEnd();
}
