// Minkowski sums by convolution. Every test is an exact integer one: coordinates on the grid stay below 2^30,
// so products of differences fit 64 bits.
#include "nesting/convolution.h"

#include <algorithm>
#include <utility>

namespace zorvan::nesting {

namespace {

using Int = long long;

IntPoint Minus(IntPoint a, IntPoint b) { return {a.X - b.X, a.Y - b.Y}; }
Int Cross(IntPoint a, IntPoint b) { return a.X * b.Y - a.Y * b.X; }
Int Dot(IntPoint a, IntPoint b) { return a.X * b.X + a.Y * b.Y; }

// Whether turning counter-clockwise from `from`, direction `d` comes strictly before direction `e`.
// Directions are compared by the counter-clockwise angle from `from`, 0 up to a whole turn.
bool Before(IntPoint from, IntPoint d, IntPoint e) {
    const auto half = [&](IntPoint v) {
        const Int cross = Cross(from, v);
        return cross > 0 || (cross == 0 && Dot(from, v) > 0) ? 0 : 1;
    };
    const int hd = half(d), he = half(e);
    if (hd != he) return hd < he;
    return Cross(d, e) > 0;
}

// The ring without points that repeat the one before or lie on the line through their neighbours (a point
// where the ring turns back on itself too). A few passes, each in one sweep.
IntPath WithoutCollinear(IntPath ring) {
    for (int pass = 0; pass < 8 && ring.size() >= 3; ++pass) {
        IntPath kept;
        kept.reserve(ring.size());
        for (size_t k = 0; k < ring.size(); ++k) {
            const IntPoint prev = kept.empty() ? ring.back() : kept.back(), here = ring[k], next = ring[(k + 1) % ring.size()];
            if (here == prev || here == next || Cross(Minus(here, prev), Minus(next, here)) == 0) continue;
            kept.push_back(here);
        }
        if (kept.size() == ring.size()) break;
        ring = std::move(kept);
    }
    return ring;
}

// A ring's corners: the direction in and out of each, and which way it turns.
struct Corners {
    explicit Corners(const IntPath& ring) : points(ring) {
        const size_t n = ring.size();
        for (size_t k = 0; k < n; ++k) out.push_back(Minus(ring[(k + 1) % n], ring[k]));
        for (size_t k = 0; k < n; ++k) {
            in.push_back(out[(k + n - 1) % n]);
            left.push_back(Cross(in[k], out[k]) > 0);
        }
    }
    // Whether the turn at corner k sweeps direction d, the ends taken as `from` excluded and `to` included
    // (`openAtStart`) or the other way round, in counter-clockwise order.
    bool Sweeps(size_t k, IntPoint d, bool openAtStart) const {
        const IntPoint from = left[k] ? in[k] : out[k], to = left[k] ? out[k] : in[k];
        if (openAtStart) return Before(from, from, d) && !Before(from, to, d);
        return Before(from, d, to);
    }
    const IntPath& points;
    std::vector<IntPoint> in, out;
    std::vector<bool> left;
};

struct Step {
    Int from, to;  // nodes i * m + j: point i of the first ring plus point j of the second
};

// The steps joined into closed paths: from each node any step not yet taken, until the path comes back.
IntPaths Cycles(std::vector<Step> steps, const IntPath& a, const IntPath& b) {
    const auto m = static_cast<Int>(b.size());
    std::sort(steps.begin(), steps.end(), [](const Step& x, const Step& y) { return x.from < y.from; });
    std::vector<char> taken(steps.size(), 0);
    const auto firstFrom = [&](Int node) {
        return static_cast<size_t>(std::lower_bound(steps.begin(), steps.end(), node, [](const Step& s, Int v) { return s.from < v; }) -
                                   steps.begin());
    };
    const auto pointOf = [&](Int node) {
        const IntPoint p = a[static_cast<size_t>(node / m)], q = b[static_cast<size_t>(node % m)];
        return IntPoint{p.X + q.X, p.Y + q.Y};
    };
    IntPaths cycles;
    for (size_t first = 0; first < steps.size(); ++first) {
        if (taken[first]) continue;
        IntPath cycle = {pointOf(steps[first].from)};
        size_t at = first;
        while (true) {
            taken[at] = 1;
            const Int node = steps[at].to;
            if (node == steps[first].from) break;
            cycle.push_back(pointOf(node));
            size_t k = firstFrom(node);
            while (k < steps.size() && steps[k].from == node && taken[k]) ++k;
            if (k >= steps.size() || steps[k].from != node) break;  // cannot happen when the steps balance
            at = k;
        }
        if (cycle.size() >= 3) cycles.push_back(std::move(cycle));
    }
    return cycles;
}

}  // namespace

std::optional<IntPaths> FullConvolution(const IntPath& ring, const IntPath& other, size_t mostSteps) {
    const IntPath a = WithoutCollinear(ring), b = WithoutCollinear(other);
    if (a.size() < 3 || b.size() < 3) return IntPaths{};
    if (a.size() * b.size() > 12 * mostSteps) return std::nullopt;
    const Corners ca(a), cb(b);
    const auto n = static_cast<Int>(a.size()), m = static_cast<Int>(b.size());
    const auto node = [&](Int i, Int j) { return (i % n) * m + (j % m); };
    std::vector<Step> steps;
    for (Int i = 0; i < n; ++i) {
        for (Int j = 0; j < m; ++j) {
            // An edge of the first ring while the second turns at corner j.
            if (cb.Sweeps(static_cast<size_t>(j), ca.out[static_cast<size_t>(i)], true)) {
                const bool forwards = cb.left[static_cast<size_t>(j)];
                steps.push_back(forwards ? Step{node(i, j), node(i + 1, j)} : Step{node(i + 1, j), node(i, j)});
            }
            // An edge of the second while the first turns at corner i.
            if (ca.Sweeps(static_cast<size_t>(i), cb.out[static_cast<size_t>(j)], false)) {
                const bool forwards = ca.left[static_cast<size_t>(i)];
                steps.push_back(forwards ? Step{node(i, j), node(i, j + 1)} : Step{node(i, j + 1), node(i, j)});
            }
        }
        if (steps.size() > mostSteps) return std::nullopt;
    }
    return Cycles(std::move(steps), a, b);
}

IntPath ConvexHull(IntPath ring) {
    std::sort(ring.begin(), ring.end(), [](IntPoint p, IntPoint q) { return p.X < q.X || (p.X == q.X && p.Y < q.Y); });
    ring.erase(std::unique(ring.begin(), ring.end()), ring.end());
    if (ring.size() < 3) return ring;
    // Andrew's monotone chain: the lower hull left to right, then the upper one back.
    IntPath hull(2 * ring.size());
    size_t k = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        while (k >= 2 && Cross(Minus(hull[k - 1], hull[k - 2]), Minus(ring[i], hull[k - 1])) <= 0) --k;
        hull[k++] = ring[i];
    }
    for (size_t i = ring.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(Minus(hull[k - 1], hull[k - 2]), Minus(ring[i], hull[k - 1])) <= 0) --k;
        hull[k++] = ring[i];
    }
    hull.resize(k - 1);
    return hull;
}

}  // namespace zorvan::nesting
