#include "Triangulate.h"

#include <algorithm>
#include <cmath>

namespace models {
namespace {

struct Node {
    int id;
    double x, y;
};

constexpr double kEpsilon = 1e-12;

double Cross(const Node& a, const Node& b, const Node& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Inclusive: a corner lying on an edge of the ear would leave a crack, so it blocks the ear too.
bool InsideOrOn(const Node& a, const Node& b, const Node& c, const Node& p) {
    return Cross(a, b, p) >= -kEpsilon && Cross(b, c, p) >= -kEpsilon && Cross(c, a, p) >= -kEpsilon;
}

// Smallest corner angle, used to prefer well-shaped ears over slivers.
double Quality(const Node& a, const Node& b, const Node& c) {
    auto angle = [](const Node& o, const Node& p, const Node& q) {
        const double ux = p.x - o.x, uy = p.y - o.y, vx = q.x - o.x, vy = q.y - o.y;
        return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy);
    };
    return std::min({angle(a, b, c), angle(b, c, a), angle(c, a, b)});
}

// Whether the polygon's interior at corner i lies in the direction of p.
bool OpensTowards(const std::vector<Node>& loop, size_t i, const Node& p) {
    const Node& prev = loop[(i + loop.size() - 1) % loop.size()];
    const Node& next = loop[(i + 1) % loop.size()];
    const Node& v = loop[i];
    const bool leftOfIncoming = Cross(prev, v, p) > 0;
    const bool leftOfOutgoing = Cross(v, next, p) > 0;
    return Cross(prev, v, next) > 0 ? leftOfIncoming && leftOfOutgoing : leftOfIncoming || leftOfOutgoing;
}

std::vector<Node> Nodes(const Loop2& loop) {
    std::vector<Node> nodes;
    for (size_t i = 0; i < loop.ids.size(); ++i) {
        nodes.push_back({loop.ids[i], loop.x[i], loop.y[i]});
    }
    return nodes;
}

// Joins a hole to the loop through a bridge from its rightmost corner to a visible loop corner.
bool Bridge(std::vector<Node>& loop, const std::vector<Node>& hole) {
    size_t m = 0;
    for (size_t i = 1; i < hole.size(); ++i) {
        if (hole[i].x > hole[m].x || (hole[i].x == hole[m].x && hole[i].y < hole[m].y)) {
            m = i;
        }
    }
    const Node& hm = hole[m];
    double bestX = INFINITY;
    long candidate = -1;
    for (size_t i = 0; i < loop.size(); ++i) {
        const Node& a = loop[i];
        const Node& b = loop[(i + 1) % loop.size()];
        if (a.y == b.y || hm.y < std::min(a.y, b.y) || hm.y > std::max(a.y, b.y)) {
            continue;
        }
        const double x = a.x + (hm.y - a.y) * (b.x - a.x) / (b.y - a.y);
        if (x >= hm.x && x < bestX) {
            bestX = x;
            // A ray through a corner meets that corner; otherwise take the edge's right end.
            const bool throughA = a.y == hm.y, throughB = b.y == hm.y;
            const bool pickA = throughA || (!throughB && a.x > b.x);
            candidate = static_cast<long>(pickA ? i : (i + 1) % loop.size());
        }
    }
    if (candidate < 0) {
        return false;
    }
    // A corner inside the triangle (hole corner, ray hit, candidate) would hide the candidate; the one
    // closest in angle to the ray is then visible.
    const Node hit{-1, bestX, hm.y};
    Node a = hm, b = hit, c = loop[candidate];
    if (Cross(a, b, c) < 0) {
        std::swap(b, c);
    }
    double bestTan = INFINITY;
    const int candidateId = loop[candidate].id;
    for (size_t i = 0; i < loop.size(); ++i) {
        const Node& p = loop[i];
        if (p.id == candidateId || p.x <= hm.x || !InsideOrOn(a, b, c, p)) {
            continue;
        }
        const double tangent = std::fabs(p.y - hm.y) / (p.x - hm.x);
        if (tangent < bestTan) {
            bestTan = tangent;
            candidate = static_cast<long>(i);
        }
    }
    // A corner that earlier bridges visit more than once: take the visit whose corner of the
    // polygon opens towards the hole.
    for (size_t i = 0; i < loop.size(); ++i) {
        if (loop[i].id == loop[candidate].id && OpensTowards(loop, i, hm)) {
            candidate = static_cast<long>(i);
            break;
        }
    }
    std::vector<Node> spliced(loop.begin(), loop.begin() + candidate + 1);
    for (size_t k = 0; k <= hole.size(); ++k) {
        spliced.push_back(hole[(m + k) % hole.size()]);
    }
    spliced.push_back(loop[candidate]);
    spliced.insert(spliced.end(), loop.begin() + candidate + 1, loop.end());
    loop.swap(spliced);
    return true;
}

} // namespace

std::vector<std::array<int, 3>> TriangulatePolygon(const Loop2& outer, const std::vector<Loop2>& holes) {
    std::vector<Node> loop = Nodes(outer);
    std::vector<std::vector<Node>> holeNodes;
    for (const Loop2& hole : holes) {
        holeNodes.push_back(Nodes(hole));
    }
    auto maxX = [](const std::vector<Node>& nodes) {
        double best = -INFINITY;
        for (const Node& n : nodes) {
            best = std::max(best, n.x);
        }
        return best;
    };
    std::stable_sort(
        holeNodes.begin(), holeNodes.end(),
        [&](const std::vector<Node>& a, const std::vector<Node>& b) { return maxX(a) > maxX(b); });
    for (const std::vector<Node>& hole : holeNodes) {
        if (!Bridge(loop, hole)) {
            return {};
        }
    }

    std::vector<std::array<int, 3>> triangles;
    while (loop.size() > 3) {
        const size_t n = loop.size();
        long best = -1;
        double bestQuality = -1.0;
        for (size_t i = 0; i < n; ++i) {
            const Node& a = loop[(i + n - 1) % n];
            const Node& b = loop[i];
            const Node& c = loop[(i + 1) % n];
            if (Cross(a, b, c) <= kEpsilon) {
                continue;
            }
            bool ear = true;
            for (size_t j = 0; j < n && ear; ++j) {
                const Node& p = loop[j];
                if (p.id == a.id || p.id == b.id || p.id == c.id) {
                    continue;
                }
                ear = !InsideOrOn(a, b, c, p);
            }
            const double quality = ear ? Quality(a, b, c) : -1.0;
            if (quality > bestQuality) {
                bestQuality = quality;
                best = static_cast<long>(i);
            }
        }
        if (best < 0) {
            return {};
        }
        triangles.push_back({loop[(best + n - 1) % n].id, loop[best].id, loop[(best + 1) % n].id});
        loop.erase(loop.begin() + best);
    }
    if (loop.size() == 3) {
        triangles.push_back({loop[0].id, loop[1].id, loop[2].id});
    }
    return triangles;
}

} // namespace models
