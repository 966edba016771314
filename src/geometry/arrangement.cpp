// The planar arrangement of loose pieces.
//
// Steps: pieces lying over one another are merged (collinear lines by their intervals along the line, arcs of
// one circle by their angular intervals); the pairs of pieces whose boxes are near are found through a grid,
// and each pair's crossings, touchings and ends lying on the other piece become split points; the split
// pieces' ends are joined within the tolerance; pieces hanging by an end are taken away until none is left;
// then each vertex's pieces are sorted by the direction they leave it in (curvature breaking ties between
// pieces that leave tangent), and the regions are traced with the region on the left. A piece with the same
// region on both sides (a bridge between two loops) bounds nothing: it is taken away and the tracing redone.
#include "geometry/arrangement.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <unordered_map>

namespace zorvan {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// How many times bridges are taken away and the regions traced again, at most.
constexpr int kMostTracings = 8;

double AngleOf(Point2 v) { return std::atan2(v.y, v.x); }

// The angle from a0 to a1 in the sense given, in [0, 2 pi).
double Turn(double a0, double a1, bool ccw) {
    double d = ccw ? a1 - a0 : a0 - a1;
    d = std::fmod(d, kTurn);
    if (d < 0) d += kTurn;
    return d;
}

}  // namespace

double Piece::Sweep() const {
    if (!arc) return 0;
    const double d = Turn(AngleOf(from - centre), AngleOf(to - centre), ccw);
    return d <= 0 ? kTurn : d;
}

double Piece::Length() const { return arc ? Radius() * Sweep() : Distance(from, to); }

Point2 Piece::At(double t) const {
    if (!arc) return from + (to - from) * t;
    const double a = AngleOf(from - centre) + (ccw ? 1 : -1) * Sweep() * t;
    const double r = Radius();
    return {centre.x + r * std::cos(a), centre.y + r * std::sin(a)};
}

Piece Piece::Reversed() const { return {to, from, arc, centre, !ccw}; }

double SignedAreaOf(const std::vector<Piece>& pieces, const Boundary& boundary) {
    double area = 0;
    for (const BoundaryPiece& part : boundary) {
        const Piece p = part.reversed ? pieces[part.piece].Reversed() : pieces[part.piece];
        area += Cross(p.from, p.to) / 2;
        if (p.arc) {
            const double r = p.Radius(), sweep = p.Sweep();
            area += (p.ccw ? 1 : -1) * r * r / 2 * (sweep - std::sin(sweep));
        }
    }
    return area;
}

namespace {

// ----- Merging pieces drawn twice --------------------------------------------------------------------------

struct DisjointSets {
    explicit DisjointSets(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), size_t{0}); }
    size_t Find(size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    }
    void Join(size_t a, size_t b) { parent[Find(a)] = Find(b); }
    std::vector<size_t> parent;
};

// A key for a cell of a grid, from two cell numbers.
uint64_t CellKey(int64_t i, int64_t j) {
    return (static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(j + 0x632BE59BD9B4E019LL);
}

int64_t CellOf(double value, double size) {
    const double cell = std::floor(value / size);
    return cell > 4e15 ? int64_t{4'000'000'000'000'000} : cell < -4e15 ? int64_t{-4'000'000'000'000'000} : static_cast<int64_t>(cell);
}

// The groups of items 0..n-1 that `same` joins, directly or through others. `keysNear(i)` gives the grid
// keys an item's partners may have, its own key first; only items sharing such a key are compared. Groups come
// in the order of their first items.
template <typename KeysNear, typename Same>
std::vector<std::vector<size_t>> GroupsOf(size_t n, KeysNear keysNear, Same same) {
    std::unordered_map<uint64_t, std::vector<size_t>> byKey;
    for (size_t i = 0; i < n; ++i) byKey[keysNear(i).front()].push_back(i);
    DisjointSets sets(n);
    for (size_t i = 0; i < n; ++i) {
        for (const uint64_t key : keysNear(i)) {
            const auto found = byKey.find(key);
            if (found == byKey.end()) continue;
            for (const size_t j : found->second) {
                if (j > i && same(i, j)) sets.Join(i, j);
            }
        }
    }
    std::vector<std::vector<size_t>> groups;
    std::unordered_map<size_t, size_t> slot;
    for (size_t i = 0; i < n; ++i) {
        const auto [at, fresh] = slot.try_emplace(sets.Find(i), groups.size());
        if (fresh) groups.emplace_back();
        groups[at->second].push_back(i);
    }
    return groups;
}

// Where a line lies: its direction (turned into the half plane x > 0) and its distance from the origin.
struct LineKey {
    Point2 along;
    double offset = 0;
};

LineKey KeyOfLine(const Piece& p) {
    Point2 d = p.to - p.from;
    const double length = std::sqrt(Dot(d, d));
    d = d * (1 / length);
    if (d.x < 0 || (d.x == 0 && d.y < 0)) d = d * -1;
    return {d, Cross(d, p.from)};
}

bool Collinear(const Piece& a, const Piece& b, double tolerance) {
    const LineKey k = KeyOfLine(a);
    const auto off = [&](Point2 q) { return std::fabs(Cross(k.along, q) - k.offset); };
    return off(b.from) < tolerance && off(b.to) < tolerance;
}

// Intervals [lo, hi] merged where they overlap by more than `tolerance`; returns how many were merged away.
size_t MergeIntervals(std::vector<std::pair<double, double>>& intervals, double tolerance) {
    std::sort(intervals.begin(), intervals.end());
    std::vector<std::pair<double, double>> merged;
    size_t away = 0;
    for (const auto& interval : intervals) {
        if (!merged.empty() && interval.first < merged.back().second - tolerance) {
            merged.back().second = std::max(merged.back().second, interval.second);
            ++away;
        } else {
            merged.push_back(interval);
        }
    }
    intervals = std::move(merged);
    return away;
}

// Collinear lines lying over each other become the lines of their merged intervals.
size_t MergeLines(std::vector<Piece>& lines, double tolerance, std::vector<Piece>& out) {
    const auto keysNear = [&](size_t i) {
        const LineKey k = KeyOfLine(lines[i]);
        const int64_t a = CellOf(AngleOf(k.along), 1e-6), o = CellOf(k.offset, 4 * tolerance);
        std::vector<uint64_t> keys{CellKey(a, o)};
        for (int64_t da = -1; da <= 1; ++da) {
            for (int64_t d0 = -1; d0 <= 1; ++d0) {
                if (da != 0 || d0 != 0) keys.push_back(CellKey(a + da, o + d0));
            }
        }
        return keys;
    };
    const auto groups = GroupsOf(lines.size(), keysNear, [&](size_t i, size_t j) { return Collinear(lines[i], lines[j], tolerance); });
    size_t away = 0;
    for (const std::vector<size_t>& members : groups) {
        if (members.size() == 1) {
            out.push_back(lines[members[0]]);
            continue;
        }
        const LineKey k = KeyOfLine(lines[members[0]]);
        const Point2 base = Point2{-k.along.y, k.along.x} * k.offset;  // the foot of the line from the origin
        std::vector<std::pair<double, double>> intervals;
        for (const size_t m : members) {
            const double s0 = Dot(lines[m].from - base, k.along), s1 = Dot(lines[m].to - base, k.along);
            intervals.emplace_back(std::min(s0, s1), std::max(s0, s1));
        }
        const size_t before = intervals.size();
        away += MergeIntervals(intervals, tolerance);
        if (intervals.size() == before) {  // end to end, not over each other: kept as drawn
            for (const size_t m : members) out.push_back(lines[m]);
            continue;
        }
        for (const auto& [lo, hi] : intervals) out.push_back({base + k.along * lo, base + k.along * hi, false, {}, true});
    }
    return away;
}

// Arcs of one circle lying over each other become the arcs of their merged angular intervals.
size_t MergeArcs(std::vector<Piece>& arcs, double tolerance, std::vector<Piece>& out) {
    const double cell = 4 * tolerance;
    const auto keysNear = [&](size_t i) {
        const int64_t x = CellOf(arcs[i].centre.x, cell), y = CellOf(arcs[i].centre.y, cell);
        const int64_t r = CellOf(arcs[i].Radius(), cell);
        const auto key = [](int64_t kx, int64_t ky, int64_t kr) { return CellKey(kx, ky) ^ (static_cast<uint64_t>(kr) * 0x85EBCA6BULL); };
        std::vector<uint64_t> keys{key(x, y, r)};
        for (int64_t dx = -1; dx <= 1; ++dx) {
            for (int64_t dy = -1; dy <= 1; ++dy) {
                for (int64_t dr = -1; dr <= 1; ++dr) {
                    if (dx != 0 || dy != 0 || dr != 0) keys.push_back(key(x + dx, y + dy, r + dr));
                }
            }
        }
        return keys;
    };
    const auto groups = GroupsOf(arcs.size(), keysNear, [&](size_t i, size_t j) {
        return Distance(arcs[i].centre, arcs[j].centre) < tolerance && std::fabs(arcs[i].Radius() - arcs[j].Radius()) < tolerance;
    });
    size_t away = 0;
    for (const std::vector<size_t>& members : groups) {
        if (members.size() == 1) {
            out.push_back(arcs[members[0]]);
            continue;
        }
        const Point2 c = arcs[members[0]].centre;
        const double r = arcs[members[0]].Radius();
        // Counter-clockwise intervals from the angle of the first arc's start, so none wraps below 0.
        const double origin = AngleOf(arcs[members[0]].from - c);
        std::vector<std::pair<double, double>> intervals;
        for (const size_t m : members) {
            const Piece p = arcs[m].ccw ? arcs[m] : arcs[m].Reversed();
            const double lo = Turn(origin, AngleOf(p.from - c), true);
            intervals.emplace_back(lo, lo + p.Sweep());
        }
        const size_t before = intervals.size();
        away += MergeIntervals(intervals, tolerance / r);
        if (intervals.size() == before) {
            for (const size_t m : members) out.push_back(arcs[m]);
            continue;
        }
        for (const auto& [lo, hi] : intervals) {
            const auto at = [&](double a) { return Point2{c.x + r * std::cos(origin + a), c.y + r * std::sin(origin + a)}; };
            const double sweep = std::min(hi - lo, kTurn);
            if (sweep >= kTurn - tolerance / r) {  // a whole turn: two halves, so each has distinct ends
                out.push_back({at(lo), at(lo + kTurn / 2), true, c, true});
                out.push_back({at(lo + kTurn / 2), at(lo), true, c, true});
            } else {
                out.push_back({at(lo), at(hi), true, c, true});
            }
        }
    }
    return away;
}

// ----- Split points ----------------------------------------------------------------------------------------

// The share of the way along `p` nearest to `q` (for an arc, by angle), clamped to [0, 1].
double ShareAt(const Piece& p, Point2 q) {
    if (!p.arc) {
        const Point2 d = p.to - p.from;
        const double t = Dot(q - p.from, d) / Dot(d, d);
        return std::clamp(t, 0.0, 1.0);
    }
    const double sweep = p.Sweep();
    const double turned = Turn(AngleOf(p.from - p.centre), AngleOf(q - p.centre), p.ccw);
    if (turned <= sweep) return turned / sweep;
    return turned - sweep < kTurn - turned ? 1.0 : 0.0;  // beyond the end: the nearer end
}

// Whether `q` lies on `p` within `tolerance`.
bool OnPiece(const Piece& p, Point2 q, double tolerance) { return Distance(p.At(ShareAt(p, q)), q) < tolerance; }

// The points where two pieces' curves cross or touch (tangent within the tolerance), not yet limited to the
// pieces themselves.
std::vector<Point2> CurveMeetings(const Piece& a, const Piece& b, double tolerance) {
    std::vector<Point2> points;
    if (!a.arc && !b.arc) {
        const Point2 d1 = a.to - a.from, d2 = b.to - b.from;
        const double denom = Cross(d1, d2);
        if (std::fabs(denom) <= 1e-12 * std::sqrt(Dot(d1, d1) * Dot(d2, d2))) return points;  // parallel
        points.push_back(a.from + d1 * (Cross(b.from - a.from, d2) / denom));
        return points;
    }
    if (a.arc && b.arc) {
        const Point2 c1 = a.centre, c2 = b.centre;
        const double r1 = a.Radius(), r2 = b.Radius(), d = Distance(c1, c2);
        if (d < tolerance || d > r1 + r2 + tolerance || d < std::fabs(r1 - r2) - tolerance) return points;
        const double along = (r1 * r1 - r2 * r2 + d * d) / (2 * d);
        const double h = std::sqrt(std::max(0.0, r1 * r1 - along * along));
        const Point2 u = (c2 - c1) * (1 / d), mid = c1 + u * along, n{-u.y, u.x};
        points.push_back(mid + n * h);
        if (h > tolerance / 4) points.push_back(mid - n * h);
        return points;
    }
    const Piece& line = a.arc ? b : a;
    const Piece& arc = a.arc ? a : b;
    const Point2 d = line.to - line.from, f = line.from - arc.centre;
    const double r = arc.Radius(), dd = Dot(d, d);
    const double t0 = -Dot(f, d) / dd;  // the foot of the centre on the line
    const Point2 foot = line.from + d * t0;
    const double off = Distance(foot, arc.centre);
    if (off > r + tolerance) return points;
    const double half = std::sqrt(std::max(0.0, r * r - off * off) / dd);
    points.push_back(line.from + d * (t0 + half));
    if (half * std::sqrt(dd) > tolerance / 4) points.push_back(line.from + d * (t0 - half));
    return points;
}

void AddMeetings(const std::vector<Piece>& pieces, size_t i, size_t j, double tolerance,
                 std::vector<std::vector<double>>& splits) {
    const Piece &a = pieces[i], &b = pieces[j];
    for (const Point2 q : CurveMeetings(a, b, tolerance)) {
        if (!OnPiece(a, q, tolerance) || !OnPiece(b, q, tolerance)) continue;
        splits[i].push_back(ShareAt(a, q));
        splits[j].push_back(ShareAt(b, q));
    }
    // An end of one lying on the other (a T, or a touching missed by the crossing above).
    for (const Point2 end : {a.from, a.to}) {
        if (OnPiece(b, end, tolerance)) splits[j].push_back(ShareAt(b, end));
    }
    for (const Point2 end : {b.from, b.to}) {
        if (OnPiece(a, end, tolerance)) splits[i].push_back(ShareAt(a, end));
    }
}

struct Box {
    double minX, minY, maxX, maxY;
};

Box BoxOf(const Piece& p, double grow) {
    Box box{std::min(p.from.x, p.to.x), std::min(p.from.y, p.to.y), std::max(p.from.x, p.to.x),
            std::max(p.from.y, p.to.y)};
    if (p.arc) {  // the whole circle's box: larger than needed, never too small
        const double r = p.Radius();
        box = {p.centre.x - r, p.centre.y - r, p.centre.x + r, p.centre.y + r};
    }
    return {box.minX - grow, box.minY - grow, box.maxX + grow, box.maxY + grow};
}

// How many of the split shares from `from` on cut `piece` inside, away from its ends: the splits that make
// new pieces.
size_t Inner(const std::vector<double>& shares, size_t from, const Piece& piece, double tolerance) {
    const double margin = tolerance / std::max(piece.Length(), tolerance);
    size_t inner = 0;
    for (size_t k = from; k < shares.size(); ++k) inner += shares[k] > margin && shares[k] < 1 - margin ? 1 : 0;
    return inner;
}

// Split shares of every piece, from the pairs whose boxes share a grid cell. False when the pairs, or the
// split points, exceed their bounds.
bool FindSplits(const std::vector<Piece>& pieces, double tolerance, std::vector<std::vector<double>>& splits) {
    splits.assign(pieces.size(), {});
    if (pieces.empty()) return true;
    std::vector<Box> boxes;
    double total = 0;
    Box all{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const Piece& p : pieces) {
        boxes.push_back(BoxOf(p, tolerance));
        total += std::max(boxes.back().maxX - boxes.back().minX, boxes.back().maxY - boxes.back().minY);
        all = {std::min(all.minX, boxes.back().minX), std::min(all.minY, boxes.back().minY),
               std::max(all.maxX, boxes.back().maxX), std::max(all.maxY, boxes.back().maxY)};
    }
    // Cells about as large as a typical piece, and no more of them than pieces across the drawing.
    const double span = std::max(all.maxX - all.minX, all.maxY - all.minY);
    const double cell = std::max({total / static_cast<double>(pieces.size()), span / 4096, tolerance * 4});
    std::unordered_map<uint64_t, std::vector<size_t>> grid;
    size_t work = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Box& b = boxes[i];
        const int64_t x0 = CellOf(b.minX, cell), x1 = CellOf(b.maxX, cell);
        const int64_t y0 = CellOf(b.minY, cell), y1 = CellOf(b.maxY, cell);
        work += static_cast<size_t>((x1 - x0 + 1) * (y1 - y0 + 1));
        if (work > kMostPiecePairs) return false;
        for (int64_t x = x0; x <= x1; ++x) {
            for (int64_t y = y0; y <= y1; ++y) grid[CellKey(x, y)].push_back(i);
        }
    }
    std::vector<size_t> seen(pieces.size(), SIZE_MAX);
    size_t made = 0;  // split points found so far
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Box& b = boxes[i];
        for (int64_t x = CellOf(b.minX, cell); x <= CellOf(b.maxX, cell); ++x) {
            for (int64_t y = CellOf(b.minY, cell); y <= CellOf(b.maxY, cell); ++y) {
                const auto found = grid.find(CellKey(x, y));
                if (found == grid.end()) continue;
                for (const size_t j : found->second) {
                    if (j <= i || seen[j] == i) continue;
                    seen[j] = i;
                    if (++work > kMostPiecePairs) return false;
                    const Box& o = boxes[j];
                    if (o.minX > b.maxX || o.maxX < b.minX || o.minY > b.maxY || o.maxY < b.minY) continue;
                    const size_t fromI = splits[i].size(), fromJ = splits[j].size();
                    AddMeetings(pieces, i, j, tolerance, splits);
                    made += Inner(splits[i], fromI, pieces[i], tolerance) + Inner(splits[j], fromJ, pieces[j], tolerance);
                    if (made > kMostSplits) return false;
                }
            }
        }
    }
    return true;
}

// The pieces cut at their split shares. A split closer than the tolerance to the last one kept, or to the
// piece's end, is not made: no piece shorter than the tolerance comes out.
std::vector<Piece> SplitPieces(const std::vector<Piece>& pieces, std::vector<std::vector<double>>& splits,
                               double tolerance) {
    std::vector<Piece> out;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& p = pieces[i];
        std::vector<double>& shares = splits[i];
        std::sort(shares.begin(), shares.end());
        std::vector<Point2> stops{p.from};
        for (const double share : shares) {
            if (share <= 0 || share >= 1) continue;
            const Point2 here = p.At(share);
            if (Distance(here, stops.back()) >= tolerance && Distance(here, p.to) >= tolerance) stops.push_back(here);
        }
        stops.push_back(p.to);
        for (size_t k = 0; k + 1 < stops.size(); ++k) out.push_back({stops[k], stops[k + 1], p.arc, p.centre, p.ccw});
    }
    return out;
}

// ----- The graph of joined ends ------------------------------------------------------------------------------

struct Graph {
    std::vector<Point2> vertices;
    std::vector<std::pair<size_t, size_t>> ends;  // per piece: its from and to vertex
    std::vector<bool> alive;
};

// Pieces the splitting made equal are kept once: a short line drawn over part of a longer one, whose direction
// is too uncertain for the merge of collinear lines, becomes after the split the same piece as the part it lay
// over, and cut twice it would run the torch back over its own cut. Pieces are compared, both ways round, with
// those whose lower end lies within the tolerance in x, at most kMostCompared of them, so a hostile stack of
// pieces cannot stretch the work. Returns how many were dropped.
size_t DropEqualPieces(std::vector<Piece>& pieces, double tolerance) {
    constexpr size_t kMostCompared = 64;
    const auto lower = [](const Piece& p) { return std::min(p.from.x, p.to.x); };
    std::vector<size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return lower(pieces[a]) < lower(pieces[b]); });
    const auto near = [tolerance](Point2 a, Point2 b) {
        return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
    };
    const auto equal = [&](const Piece& a, const Piece& b) {
        if (a.arc != b.arc || (a.arc && !near(a.centre, b.centre))) return false;
        const bool ends = (near(a.from, b.from) && near(a.to, b.to)) || (near(a.from, b.to) && near(a.to, b.from));
        return ends && near(a.At(0.5), b.At(0.5));
    };
    std::vector<bool> dropped(pieces.size(), false);
    for (size_t k = 0; k < order.size(); ++k) {
        if (dropped[order[k]]) continue;
        const Piece& piece = pieces[order[k]];
        for (size_t m = k + 1; m < order.size() && m <= k + kMostCompared; ++m) {
            const Piece& other = pieces[order[m]];
            if (lower(other) - lower(piece) > tolerance) break;
            if (!dropped[order[m]] && equal(piece, other)) dropped[order[m]] = true;
        }
    }
    size_t count = 0;
    std::vector<Piece> kept;
    kept.reserve(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (dropped[i]) {
            ++count;
        } else {
            kept.push_back(pieces[i]);
        }
    }
    pieces = std::move(kept);
    return count;
}

Graph JoinEnds(std::vector<Piece>& pieces, double tolerance) {
    Graph graph;
    std::unordered_map<uint64_t, std::vector<size_t>> grid;
    const auto vertexAt = [&](Point2 q) {
        const int64_t x = CellOf(q.x, tolerance), y = CellOf(q.y, tolerance);
        for (int64_t dx = -1; dx <= 1; ++dx) {
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = grid.find(CellKey(x + dx, y + dy));
                if (found == grid.end()) continue;
                for (const size_t v : found->second) {
                    if (Distance(graph.vertices[v], q) < tolerance) return v;
                }
            }
        }
        graph.vertices.push_back(q);
        grid[CellKey(x, y)].push_back(graph.vertices.size() - 1);
        return graph.vertices.size() - 1;
    };
    for (Piece& p : pieces) {
        const size_t a = vertexAt(p.from), b = vertexAt(p.to);
        p.from = graph.vertices[a];
        p.to = graph.vertices[b];
        graph.ends.emplace_back(a, b);
        graph.alive.push_back(a != b);  // a piece whose ends joined bounds nothing on its own
    }
    return graph;
}

// Takes away, one after another, every live piece with an end that no other live piece shares.
void TakeAwayHangingPieces(Graph& graph) {
    std::vector<std::vector<size_t>> at(graph.vertices.size());
    std::vector<size_t> degree(graph.vertices.size(), 0);
    for (size_t e = 0; e < graph.ends.size(); ++e) {
        if (!graph.alive[e]) continue;
        for (const size_t v : {graph.ends[e].first, graph.ends[e].second}) {
            at[v].push_back(e);
            ++degree[v];
        }
    }
    std::vector<size_t> queue;
    for (size_t v = 0; v < degree.size(); ++v) {
        if (degree[v] == 1) queue.push_back(v);
    }
    while (!queue.empty()) {
        const size_t v = queue.back();
        queue.pop_back();
        if (degree[v] != 1) continue;
        for (const size_t e : at[v]) {
            if (!graph.alive[e]) continue;
            graph.alive[e] = false;
            for (const size_t w : {graph.ends[e].first, graph.ends[e].second}) {
                if (--degree[w] == 1) queue.push_back(w);
            }
            break;
        }
    }
}

// A half of a piece: piece `piece` run from vertex `from` (backwards where `reversed`).
struct Half {
    size_t piece;
    bool reversed;
};

struct Leaving {
    int64_t angle;     // the direction it leaves the vertex in, in steps of 1e-9 radians
    double curvature;  // positive where it bends to the left
    Half half;
};

Leaving LeavingOf(const Piece& p, bool reversed, size_t index) {
    const Piece run = reversed ? p.Reversed() : p;
    Point2 direction = run.to - run.from;
    double curvature = 0;
    if (run.arc) {
        const Point2 radius = run.from - run.centre;
        direction = run.ccw ? Point2{-radius.y, radius.x} : Point2{radius.y, -radius.x};
        curvature = (run.ccw ? 1 : -1) / run.Radius();
    }
    return {static_cast<int64_t>(std::llround(AngleOf(direction) * 1e9)), curvature, {index, reversed}};
}

size_t HalfIndex(Half h) { return h.piece * 2 + (h.reversed ? 1 : 0); }

// Directions closer than this (in the steps of Leaving::angle: 1e-6 radians) are taken as one: pieces that
// leave a vertex tangent to each other differ only by rounding, which may even put them on either side of the
// half turn where angles wrap.
constexpr int64_t kSameDirection = 1000;

// Sorts the pieces leaving one vertex counter-clockwise by direction, and pieces leaving in the same direction
// by how they bend (rightmost first). The list is circular: it is turned to begin after its widest gap, so
// that a run of nearly equal directions across the wrap stays together.
void SortAround(std::vector<Leaving>& list) {
    std::sort(list.begin(), list.end(), [](const Leaving& a, const Leaving& b) { return a.angle < b.angle; });
    if (list.size() < 2) return;
    constexpr int64_t kFullTurn = 6'283'185'307;  // 2 pi in steps of 1e-9
    size_t start = 0;
    int64_t widest = -1;
    for (size_t k = 0; k < list.size(); ++k) {
        const int64_t gap = k == 0 ? list[0].angle + kFullTurn - list.back().angle : list[k].angle - list[k - 1].angle;
        if (gap > widest) widest = gap, start = k;
    }
    std::rotate(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(start), list.end());
    for (size_t k = 0; k < list.size();) {
        size_t run = k + 1;
        while (run < list.size() && (list[run].angle - list[run - 1].angle + kFullTurn) % kFullTurn <= kSameDirection) ++run;
        std::stable_sort(list.begin() + static_cast<std::ptrdiff_t>(k), list.begin() + static_cast<std::ptrdiff_t>(run),
                         [](const Leaving& a, const Leaving& b) { return a.curvature < b.curvature; });
        k = run;
    }
}

// Traces every region; `regionOf` gets each half's region number. Returns the boundaries.
std::vector<Boundary> TraceRegions(const std::vector<Piece>& pieces, const Graph& graph, std::vector<size_t>& regionOf) {
    std::vector<std::vector<Leaving>> around(graph.vertices.size());
    for (size_t e = 0; e < pieces.size(); ++e) {
        if (!graph.alive[e]) continue;
        around[graph.ends[e].first].push_back(LeavingOf(pieces[e], false, e));
        around[graph.ends[e].second].push_back(LeavingOf(pieces[e], true, e));
    }
    std::vector<size_t> position(pieces.size() * 2, 0);
    for (auto& list : around) {
        SortAround(list);
        for (size_t k = 0; k < list.size(); ++k) position[HalfIndex(list[k].half)] = k;
    }
    const auto endOf = [&](Half h) { return h.reversed ? graph.ends[h.piece].first : graph.ends[h.piece].second; };
    regionOf.assign(pieces.size() * 2, SIZE_MAX);
    std::vector<Boundary> boundaries;
    for (size_t e = 0; e < pieces.size(); ++e) {
        for (const bool reversed : {false, true}) {
            const Half first{e, reversed};
            if (!graph.alive[e] || regionOf[HalfIndex(first)] != SIZE_MAX) continue;
            Boundary boundary;
            Half h = first;
            // Each half is walked once, so the walk ends within the number of halves.
            for (size_t steps = 0; steps <= pieces.size() * 2; ++steps) {
                regionOf[HalfIndex(h)] = boundaries.size();
                boundary.push_back({h.piece, h.reversed});
                const std::vector<Leaving>& list = around[endOf(h)];
                const Half twin{h.piece, !h.reversed};
                const size_t k = position[HalfIndex(twin)];
                h = list[(k + list.size() - 1) % list.size()].half;
                if (regionOf[HalfIndex(h)] != SIZE_MAX) break;
            }
            boundaries.push_back(std::move(boundary));
        }
    }
    return boundaries;
}

}  // namespace

Arrangement Arrange(std::vector<Piece> input, double tolerance) {
    Arrangement result;
    std::vector<Piece> lines, arcs, merged;
    for (const Piece& p : input) {
        if (p.Length() < tolerance) continue;
        if (p.arc && p.Sweep() > std::numbers::pi) {  // in halves, so that no arc ends where it starts
            const Point2 middle = p.At(0.5);
            arcs.push_back({p.from, middle, true, p.centre, p.ccw});
            arcs.push_back({middle, p.to, true, p.centre, p.ccw});
            continue;
        }
        (p.arc ? arcs : lines).push_back(p);
    }
    result.drawnTwice = MergeLines(lines, tolerance, merged) + MergeArcs(arcs, tolerance, merged);
    std::vector<std::vector<double>> splits;
    if (!FindSplits(merged, tolerance, splits)) {
        result.tooMuchWork = true;
        result.pieces = std::move(input);
        result.leftOver.resize(result.pieces.size());
        std::iota(result.leftOver.begin(), result.leftOver.end(), size_t{0});
        return result;
    }
    result.pieces = SplitPieces(merged, splits, tolerance);
    result.drawnTwice += DropEqualPieces(result.pieces, tolerance);
    Graph graph = JoinEnds(result.pieces, tolerance);
    std::vector<Boundary> boundaries;
    std::vector<size_t> regionOf;
    for (int tracing = 0; tracing < kMostTracings; ++tracing) {
        TakeAwayHangingPieces(graph);
        boundaries = TraceRegions(result.pieces, graph, regionOf);
        bool bridges = false;
        for (size_t e = 0; e < result.pieces.size(); ++e) {
            if (graph.alive[e] && regionOf[2 * e] == regionOf[2 * e + 1]) {
                graph.alive[e] = false;
                bridges = true;
            }
        }
        if (!bridges) break;
    }
    std::vector<size_t> regionNumber(boundaries.size(), SIZE_MAX);
    for (size_t b = 0; b < boundaries.size(); ++b) {
        if (boundaries[b].size() < 1 || SignedAreaOf(result.pieces, boundaries[b]) <= tolerance * tolerance) continue;
        regionNumber[b] = result.regions.size();
        result.regions.push_back(std::move(boundaries[b]));
    }
    for (size_t e = 0; e < result.pieces.size(); ++e) {
        const size_t left = graph.alive[e] ? regionOf[2 * e] : SIZE_MAX;
        const size_t right = graph.alive[e] ? regionOf[2 * e + 1] : SIZE_MAX;
        const size_t a = left == SIZE_MAX ? SIZE_MAX : regionNumber[left];
        const size_t b = right == SIZE_MAX ? SIZE_MAX : regionNumber[right];
        if (a == SIZE_MAX && b == SIZE_MAX) result.leftOver.push_back(e);
        if (a != SIZE_MAX && b != SIZE_MAX) result.touching.emplace_back(std::min(a, b), std::max(a, b));
    }
    std::sort(result.touching.begin(), result.touching.end());
    result.touching.erase(std::unique(result.touching.begin(), result.touching.end()), result.touching.end());
    return result;
}

}  // namespace zorvan
