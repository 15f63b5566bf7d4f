#include "MeshBuilder.h"

#include "Triangulate.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace models {
namespace {

[[noreturn]] void Fail(const std::string& model, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", model.c_str(), message.c_str());
    std::exit(1);
}

V3 TriangleNormal(V3 a, V3 b, V3 c) {
    return Normalized(Cross(b - a, c - a));
}

double CornerAngle(V3 corner, V3 p, V3 q) {
    const double cosine = Dot(Normalized(p - corner), Normalized(q - corner));
    return std::acos(std::max(-1.0, std::min(1.0, cosine)));
}

// Gives faces that share an entry with an earlier face their own copy of it, in face order, until the
// table has `target` entries: the same values written once per face, as a per-face export would.
template <typename Value>
void SplitShared(std::vector<std::array<int, 3>>& corners, std::vector<Value>& values, int target,
                 const std::string& model, const char* what) {
    std::vector<bool> seen(values.size(), false);
    for (std::array<int, 3>& face : corners) {
        if (static_cast<int>(values.size()) >= target) {
            break;
        }
        for (int c = 0; c < 3; ++c) {
            const int entry = face[c];
            bool earlierCorner = false;
            for (int d = 0; d < c; ++d) {
                earlierCorner = earlierCorner || face[d] == entry;
            }
            if (earlierCorner) {
                continue;
            }
            if (!seen[entry]) {
                seen[entry] = true;
                continue;
            }
            if (static_cast<int>(values.size()) >= target) {
                break;
            }
            const int copy = static_cast<int>(values.size());
            values.push_back(values[entry]);
            seen.push_back(true);
            for (int d = c; d < 3; ++d) {
                if (face[d] == entry) {
                    face[d] = copy;
                }
            }
        }
    }
    if (static_cast<int>(values.size()) != target) {
        Fail(model, std::string(what) + ": " + std::to_string(values.size()) + " entries, wanted " +
                        std::to_string(target));
    }
}

} // namespace

int MeshBuilder::AddMaterial(Rgb8 diffuse) {
    materials.push_back(diffuse);
    return static_cast<int>(materials.size()) - 1;
}

void MeshBuilder::BeginGroup(int material) {
    groups.push_back({material, {}});
}

int MeshBuilder::AddPosition(V3 p) {
    positions.push_back(p);
    return static_cast<int>(positions.size()) - 1;
}

int MeshBuilder::NewPlane(V3 normal) {
    planes.push_back(Normalized(normal));
    return static_cast<int>(planes.size()) - 1;
}

void MeshBuilder::AddFace(const Face& face) {
    if (groups.empty()) {
        Fail("builder", "a face before the first group");
    }
    groups.back().faces.push_back(face);
}

void MeshBuilder::AddFlatTriangle(int plane, int a, int b, int c) {
    AddFace({{a, b, c}, plane, -1, {-1, -1, -1}, textured});
}

void MeshBuilder::AddSmoothTriangle(int set, int a, int b, int c, int setA, int setB, int setC) {
    AddFace({{a, b, c}, -1, set, {setA, setB, setC}, textured});
}

void MeshBuilder::AddFlatPolygon(const std::vector<int>& outer, const std::vector<std::vector<int>>& holes) {
    V3 normal;
    for (size_t i = 0; i < outer.size(); ++i) {
        const V3 p = positions[outer[i]];
        const V3 q = positions[outer[(i + 1) % outer.size()]];
        normal = normal + V3{(p.y - q.y) * (p.z + q.z), (p.z - q.z) * (p.x + q.x), (p.x - q.x) * (p.y + q.y)};
    }
    normal = Normalized(normal);
    const V3 helper = std::fabs(normal.x) < 0.6 ? V3{1, 0, 0} : V3{0, 1, 0};
    // Turned off the axes a little so that corners lined up in rows (columns, tiles) do not meet
    // the triangulation's horizontal bridge rays exactly.
    const V3 u0 = Normalized(Cross(helper, normal));
    const V3 v0 = Cross(normal, u0);
    const double turn = 0.1;
    const V3 u = u0 * std::cos(turn) + v0 * std::sin(turn);
    const V3 v = Cross(normal, u);
    auto project = [&](const std::vector<int>& ids) {
        Loop2 loop;
        for (int id : ids) {
            loop.ids.push_back(id);
            loop.x.push_back(Dot(positions[id], u));
            loop.y.push_back(Dot(positions[id], v));
        }
        return loop;
    };
    std::vector<Loop2> holeLoops;
    size_t corners = outer.size();
    for (const std::vector<int>& hole : holes) {
        holeLoops.push_back(project(hole));
        corners += hole.size() + 2;
    }
    const std::vector<std::array<int, 3>> triangles = TriangulatePolygon(project(outer), holeLoops);
    if (triangles.size() != corners - 2) {
        Fail("builder", "a polygon of " + std::to_string(outer.size()) + " corners and " +
                            std::to_string(holes.size()) + " holes could not be triangulated");
    }
    const int plane = NewPlane(normal);
    for (const std::array<int, 3>& t : triangles) {
        AddFlatTriangle(plane, t[0], t[1], t[2]);
    }
}

template <typename Emit> void MeshBuilder::Zip(const Ring& lower, const Ring& upper, Emit emit) {
    const size_t k1 = lower.ids.size();
    const size_t k2 = upper.ids.size();
    if (k2 == 1) {
        for (size_t i = 0; i < k1; ++i) {
            emit(lower.ids[i], lower.ids[(i + 1) % k1], upper.ids[0]);
        }
        return;
    }
    if (k1 == 1) {
        for (size_t j = 0; j < k2; ++j) {
            emit(lower.ids[0], upper.ids[(j + 1) % k2], upper.ids[j]);
        }
        return;
    }
    size_t i = 0, j = 0;
    while (i < k1 || j < k2) {
        const double nextLower = i + 1 < k1 ? lower.params[i + 1] : 1.0 + lower.params[0];
        const double nextUpper = j + 1 < k2 ? upper.params[j + 1] : 1.0 + upper.params[0];
        if (j >= k2 || (i < k1 && nextLower <= nextUpper)) {
            emit(lower.ids[i % k1], lower.ids[(i + 1) % k1], upper.ids[j % k2]);
            ++i;
        } else {
            emit(lower.ids[i % k1], upper.ids[(j + 1) % k2], upper.ids[j % k2]);
            ++j;
        }
    }
}

void MeshBuilder::StitchFlat(const Ring& lower, const Ring& upper, bool planarQuads) {
    const size_t k = lower.ids.size();
    if (planarQuads && k == upper.ids.size() && k > 1) {
        for (size_t j = 0; j < k; ++j) {
            AddFlatPolygon({lower.ids[j], lower.ids[(j + 1) % k], upper.ids[(j + 1) % k], upper.ids[j]});
        }
        return;
    }
    Zip(lower, upper, [&](int a, int b, int c) {
        AddFlatTriangle(NewPlane(TriangleNormal(positions[a], positions[b], positions[c])), a, b, c);
    });
}

void MeshBuilder::StitchSmooth(int set, const Ring& lower, const Ring& upper) {
    Zip(lower, upper, [&](int a, int b, int c) { AddSmoothTriangle(set, a, b, c); });
}

void MeshBuilder::StitchInPlane(int plane, const Ring& lower, const Ring& upper) {
    Zip(lower, upper, [&](int a, int b, int c) { AddFlatTriangle(plane, a, b, c); });
}

void MeshBuilder::MapToBox(V3 halfExtent) {
    V3 low = positions[0], high = positions[0];
    for (const V3& p : positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    for (V3& p : positions) {
        p = {-halfExtent.x + (p.x - low.x) * (2.0 * halfExtent.x / (high.x - low.x)),
             -halfExtent.y + (p.y - low.y) * (2.0 * halfExtent.y / (high.y - low.y)),
             -halfExtent.z + (p.z - low.z) * (2.0 * halfExtent.z / (high.z - low.z))};
    }
}

void MeshBuilder::PadGroupFaces(int group, int target) {
    std::vector<Face>& faces = groups[group].faces;
    while (static_cast<int>(faces.size()) + 2 <= target) {
        std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> edges; // (from, to) -> faces
        for (const Group& g : groups) {
            for (const Face& f : g.faces) {
                for (int c = 0; c < 3; ++c) {
                    edges[{f.v[c], f.v[(c + 1) % 3]}];
                }
            }
        }
        for (int gi = 0; gi < static_cast<int>(groups.size()); ++gi) {
            for (int fi = 0; fi < static_cast<int>(groups[gi].faces.size()); ++fi) {
                const Face& f = groups[gi].faces[fi];
                for (int c = 0; c < 3; ++c) {
                    edges[{f.v[c], f.v[(c + 1) % 3]}].push_back({gi, fi});
                }
            }
        }
        double bestLength = 0.0;
        int bestFace = -1, bestCorner = -1, bestTwin = -1;
        for (int fi = 0; fi < static_cast<int>(faces.size()); ++fi) {
            const Face& f = faces[fi];
            for (int c = 0; c < 3; ++c) {
                const int a = f.v[c], b = f.v[(c + 1) % 3];
                const auto& forward = edges[{a, b}];
                const auto& backward = edges[{b, a}];
                if (forward.size() != 1 || backward.size() != 1 || backward[0].first != group) {
                    continue;
                }
                const Face& twin = faces[backward[0].second];
                const bool sameShading =
                    f.plane >= 0 ? twin.plane == f.plane
                                 : twin.plane < 0 && twin.set == f.set && twin.textured == f.textured;
                const double length = Length(positions[b] - positions[a]);
                if (sameShading && length > bestLength) {
                    bestLength = length;
                    bestFace = fi;
                    bestCorner = c;
                    bestTwin = backward[0].second;
                }
            }
        }
        if (bestFace < 0) {
            Fail("builder", "no edge left to split in group " + std::to_string(group));
        }
        const Face f = faces[bestFace];
        const Face twin = faces[bestTwin];
        const int a = f.v[bestCorner], b = f.v[(bestCorner + 1) % 3], c = f.v[(bestCorner + 2) % 3];
        int d = -1;
        for (int k = 0; k < 3; ++k) {
            if (twin.v[k] != a && twin.v[k] != b) {
                d = twin.v[k];
            }
        }
        const int m = AddPosition((positions[a] + positions[b]) * 0.5);
        auto half = [&](const Face& like, int p, int q, int r) {
            Face out = like;
            out.v[0] = p;
            out.v[1] = q;
            out.v[2] = r;
            for (int k = 0; k < 3; ++k) {
                out.cornerSet[k] = like.set;
            }
            return out;
        };
        const int first = std::min(bestFace, bestTwin), second = std::max(bestFace, bestTwin);
        std::vector<Face> replacement[2];
        replacement[bestFace == first ? 0 : 1] = {half(f, a, m, c), half(f, m, b, c)};
        replacement[bestTwin == first ? 0 : 1] = {half(twin, b, m, d), half(twin, m, a, d)};
        faces.erase(faces.begin() + second);
        faces.insert(faces.begin() + second, replacement[1].begin(), replacement[1].end());
        faces.erase(faces.begin() + first);
        faces.insert(faces.begin() + first, replacement[0].begin(), replacement[0].end());
    }
    if (static_cast<int>(faces.size()) != target) {
        Fail("builder", "group " + std::to_string(group) + " has " + std::to_string(faces.size()) +
                            " faces, wanted " + std::to_string(target));
    }
}

ModelTables MeshBuilder::Finish(const std::string& name, const ModelTargets& targets) {
    // Smooth normals: angle-weighted face normals, summed per vertex and smoothing set.
    std::map<std::pair<int, int>, V3> smooth;
    for (const Group& g : groups) {
        for (const Face& f : g.faces) {
            if (f.plane >= 0) {
                continue;
            }
            const V3 p[3] = {positions[f.v[0]], positions[f.v[1]], positions[f.v[2]]};
            const V3 n = TriangleNormal(p[0], p[1], p[2]);
            for (int c = 0; c < 3; ++c) {
                V3& sum = smooth[{f.v[c], f.set}];
                sum = sum + n * CornerAngle(p[c], p[(c + 1) % 3], p[(c + 2) % 3]);
            }
        }
    }

    ModelTables out;
    std::vector<std::array<int, 3>> pos, nor, tex;
    std::map<int, int> positionIndex, planeIndex, texIndex;
    std::map<std::pair<int, int>, int> slotIndex;
    std::vector<V3> positionValues, normalValues;
    std::vector<std::array<double, 2>> texValues;
    bool anyUntextured = false;
    for (const Group& g : groups) {
        for (const Face& f : g.faces) {
            anyUntextured = anyUntextured || !f.textured;
        }
    }
    if (targets.texCoords > 0 && anyUntextured) {
        texValues.push_back({0.0, 0.0});
    }
    for (const Group& g : groups) {
        out.groups.push_back({g.material, static_cast<int>(g.faces.size())});
        for (const Face& f : g.faces) {
            std::array<int, 3> p{}, n{}, t{};
            for (int c = 0; c < 3; ++c) {
                auto [it, added] = positionIndex.try_emplace(f.v[c], static_cast<int>(positionValues.size()));
                if (added) {
                    positionValues.push_back(positions[f.v[c]]);
                }
                p[c] = it->second;
                if (f.plane >= 0) {
                    auto [pit, padded] =
                        planeIndex.try_emplace(f.plane, static_cast<int>(normalValues.size()));
                    if (padded) {
                        normalValues.push_back(planes[f.plane]);
                    }
                    n[c] = pit->second;
                } else {
                    const std::pair<int, int> slot{f.v[c], f.cornerSet[c]};
                    auto found = smooth.find(slot);
                    if (found == smooth.end() || Length(found->second) <= 0.0) {
                        Fail(name, "a smooth corner without a normal");
                    }
                    auto [sit, sadded] = slotIndex.try_emplace(slot, static_cast<int>(normalValues.size()));
                    if (sadded) {
                        normalValues.push_back(Normalized(found->second));
                    }
                    n[c] = sit->second;
                }
                if (targets.texCoords > 0 && f.textured) {
                    auto [tit, tadded] = texIndex.try_emplace(p[c], static_cast<int>(texValues.size()));
                    if (tadded) {
                        const V3 q = positions[f.v[c]];
                        texValues.push_back({q.x + 0.5, q.y + 0.5});
                    }
                    t[c] = tit->second;
                }
            }
            pos.push_back(p);
            nor.push_back(n);
            tex.push_back(t);
        }
    }
    std::printf("%s: natural counts: %zu positions, %zu normals, %zu texture coordinates\n", name.c_str(),
                positionValues.size(), normalValues.size(), texValues.size());
    SplitShared(pos, positionValues, targets.positions, name, "positions");
    SplitShared(nor, normalValues, targets.normals, name, "normals");
    if (targets.texCoords > 0) {
        SplitShared(tex, texValues, targets.texCoords, name, "texture coordinates");
    }

    for (const V3& p : positionValues) {
        out.positions.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    }
    for (const V3& n : normalValues) {
        out.normals.push_back({static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)});
    }
    for (const auto& t : texValues) {
        out.texCoords.push_back({static_cast<float>(t[0]), static_cast<float>(t[1])});
    }
    out.materials = materials;
    int flat = 0;
    for (size_t i = 0; i < pos.size(); ++i) {
        ModelTables::Face face{};
        for (int c = 0; c < 3; ++c) {
            face.position[c] = pos[i][c];
            face.normal[c] = nor[i][c];
            face.texCoord[c] = tex[i][c];
        }
        out.faces.push_back(face);
        const V3 p[3] = {positionValues[pos[i][0]], positionValues[pos[i][1]], positionValues[pos[i][2]]};
        const V3 geometric = TriangleNormal(p[0], p[1], p[2]);
        if (Length(Cross(p[1] - p[0], p[2] - p[0])) < 1e-10) {
            Fail(name, "degenerate face " + std::to_string(i));
        }
        if (nor[i][0] == nor[i][1] && nor[i][1] == nor[i][2]) {
            ++flat;
            if (Dot(geometric, normalValues[nor[i][0]]) < 0.999) {
                Fail(name, "flat face " + std::to_string(i) + " is not in the plane of its normal");
            }
        } else {
            const V3 n0 = normalValues[nor[i][0]], n1 = normalValues[nor[i][1]], n2 = normalValues[nor[i][2]];
            if (Length(n0 - n1) < 1e-9 && Length(n1 - n2) < 1e-9) {
                Fail(name, "smooth face " + std::to_string(i) + " has three equal normals");
            }
            for (int c = 0; c < 3; ++c) {
                if (Dot(geometric, normalValues[nor[i][c]]) <= 0.0) {
                    Fail(name, "face " + std::to_string(i) + " has a corner normal facing away");
                }
            }
        }
    }
    if (flat != targets.flatFaces) {
        Fail(name, std::to_string(flat) + " flat faces, wanted " + std::to_string(targets.flatFaces));
    }
    // Consistent winding: an edge walked the same way by two faces means a face is turned over.
    std::map<std::pair<int, int>, int> directed;
    for (const auto& p : pos) {
        for (int c = 0; c < 3; ++c) {
            if (++directed[{p[c], p[(c + 1) % 3]}] > 1) {
                Fail(name, "an edge is walked twice in the same direction");
            }
        }
    }
    float low[3], high[3];
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = high[axis] = out.positions[0][axis];
        for (const auto& p : out.positions) {
            low[axis] = std::min(low[axis], p[axis]);
            high[axis] = std::max(high[axis], p[axis]);
        }
    }
    const double wanted[3] = {targets.halfExtent.x, targets.halfExtent.y, targets.halfExtent.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(low[axis] + wanted[axis]) > 1e-6 || std::fabs(high[axis] - wanted[axis]) > 1e-6) {
            char message[160];
            std::snprintf(message, sizeof message, "axis %d spans %.7f to %.7f, wanted +-%.4f", axis,
                          static_cast<double>(low[axis]), static_cast<double>(high[axis]), wanted[axis]);
            Fail(name, message);
        }
    }
    if (out.positions.size() > 32767 || out.normals.size() > 32767 || out.texCoords.size() > 32767) {
        Fail(name, "a table outgrows 16-bit indices");
    }
    std::printf("%s: %zu faces (%d flat), %zu positions, %zu normals, %zu texture coordinates, %zu groups\n",
                name.c_str(), out.faces.size(), flat, out.positions.size(), out.normals.size(),
                out.texCoords.size(), out.groups.size());
    return out;
}

} // namespace models
