// Contours as polylines, and the index over them.
#include "planning/outlines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "geometry/offset.h"

namespace zorvan {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// The most chords one arc is flattened into, whatever its size against the flatness.
constexpr int kMostChords = 4096;

double Sweep(double from, double to, bool counterClockwise) {
    double sweep = counterClockwise ? to - from : from - to;
    while (sweep <= 0) sweep += kTurn;
    while (sweep > kTurn) sweep -= kTurn;
    return sweep;
}

int ChordsFor(double r, double sweep, double flatness) {
    const double step = flatness < r ? 2 * std::acos(1 - flatness / r) : std::numbers::pi / 2;
    const double chords = std::ceil(sweep / step);
    return chords >= kMostChords ? kMostChords : std::max(1, static_cast<int>(chords));
}

// The points of the circular path from `start` about `centre`, turning `sweep` radians in the given sense,
// the start left out, ending exactly at `end`.
void AppendTurn(Point2 centre, double r, Point2 start, Point2 end, double sweep, bool counterClockwise,
                double flatness, std::vector<Point2>& points) {
    const int chords = ChordsFor(r, sweep, flatness);
    const double from = std::atan2(start.y - centre.y, start.x - centre.x);
    const double sign = counterClockwise ? 1 : -1;
    for (int k = 1; k < chords; ++k) {
        const double angle = from + sign * sweep * k / chords;
        points.push_back({centre.x + r * std::cos(angle), centre.y + r * std::sin(angle)});
    }
    points.push_back(end);
}

void Widen(Box& box, Point2 p) {
    box.minX = std::min(box.minX, p.x);
    box.minY = std::min(box.minY, p.y);
    box.maxX = std::max(box.maxX, p.x);
    box.maxY = std::max(box.maxY, p.y);
}

Box BoxOf(const std::vector<Point2>& points) {
    Box box{points.front().x, points.front().y, points.front().x, points.front().y};
    for (const Point2& p : points) Widen(box, p);
    return box;
}

// Whether point p lies on segment ab within `eps`, given the cross product `cross` of (b - a) and (p - a) and
// the squared length of ab: near its line and between its ends.
bool OnSegment(Point2 p, Point2 a, Point2 b, double cross, double length2, double eps) {
    if (cross * cross > eps * eps * length2) return false;
    if (!(length2 > 0)) return Dot(p - a, p - a) <= eps * eps;
    const double t = Dot(p - a, b - a);
    return t >= -eps * std::sqrt(length2) && t <= length2 + eps * std::sqrt(length2);
}

// Whether segments ab and cd share a point; `eps` absorbs the rounding of nearly touching ones. Squared
// lengths only: this runs for every segment near every lead-in tried.
bool SegmentsTouch(Point2 a, Point2 b, Point2 c, Point2 d, double eps) {
    if (std::max(c.x, d.x) < std::min(a.x, b.x) - eps || std::min(c.x, d.x) > std::max(a.x, b.x) + eps ||
        std::max(c.y, d.y) < std::min(a.y, b.y) - eps || std::min(c.y, d.y) > std::max(a.y, b.y) + eps) {
        return false;
    }
    const double d1 = Cross(b - a, c - a), d2 = Cross(b - a, d - a);
    const double d3 = Cross(d - c, a - c), d4 = Cross(d - c, b - c);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
    // Touching or collinear: an end of one lies on the other.
    const double ab2 = Dot(b - a, b - a), cd2 = Dot(d - c, d - c);
    return OnSegment(c, a, b, d1, ab2, eps) || OnSegment(d, a, b, d2, ab2, eps) || OnSegment(a, c, d, d3, cd2, eps) ||
           OnSegment(b, c, d, d4, cd2, eps);
}

}  // namespace

void AppendRecordPath(const RecordValues& record, double flatness, std::vector<Point2>& points) {
    switch (record.kind()) {
        case RecordKind::Line: points.push_back({record.EndX(), record.EndY()}); return;
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            const Point2 centre{a.cx, a.cy}, start{a.x1, a.y1}, end{a.x2, a.y2};
            const bool ccw = a.sense != '-';
            const double sweep = Sweep(std::atan2(start.y - a.cy, start.x - a.cx), std::atan2(end.y - a.cy, end.x - a.cx), ccw);
            AppendTurn(centre, a.r, start, end, sweep, ccw, flatness, points);
            return;
        }
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            const Point2 start{record.StartX(), record.StartY()};
            AppendTurn({c.cx, c.cy}, c.r, start, start, kTurn, c.sense != '-', flatness, points);
            return;
        }
        case RecordKind::None: return;
    }
}

Point2 InteriorPoint(const Outline& outline) {
    const std::vector<Point2>& points = outline.points;
    double y = (outline.box.minY + outline.box.maxY) / 2;
    // Off every vertex, so no crossing is counted twice: the gap between the nearest vertex heights.
    double above = outline.box.maxY;
    bool onVertex = false;
    for (const Point2& p : points) {
        if (p.y == y) onVertex = true;
        if (p.y > y) above = std::min(above, p.y);
    }
    if (onVertex) y = (y + above) / 2;
    std::vector<double> crossings;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        const Point2 a = points[k], b = points[k + 1];
        if ((a.y > y) == (b.y > y)) continue;
        crossings.push_back(a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x));
    }
    std::sort(crossings.begin(), crossings.end());
    Point2 best{(outline.box.minX + outline.box.maxX) / 2, y};
    double widest = -1;
    for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
        if (crossings[k + 1] - crossings[k] > widest) {
            widest = crossings[k + 1] - crossings[k];
            best = {(crossings[k] + crossings[k + 1]) / 2, y};
        }
    }
    return best;
}

double EnclosedArea(const Outline& outline) {
    double twice = 0;
    const std::vector<Point2>& points = outline.points;
    if (points.empty()) return 0;
    const Point2 origin = points.front();  // near the outline, so far-off drawings keep their digits
    for (size_t k = 0; k + 1 < points.size(); ++k) twice += Cross(points[k] - origin, points[k + 1] - origin);
    return twice / 2;
}

size_t PathPoints(const RecordValues& record, double flatness) {
    switch (record.kind()) {
        case RecordKind::Line: return 1;
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            const double sweep = Sweep(std::atan2(a.y1 - a.cy, a.x1 - a.cx), std::atan2(a.y2 - a.cy, a.x2 - a.cx), a.sense != '-');
            return static_cast<size_t>(ChordsFor(a.r, sweep, flatness));
        }
        case RecordKind::Circle: return static_cast<size_t>(ChordsFor(record.Circle().r, kTurn, flatness));
        case RecordKind::None: return 0;
    }
    return 0;
}

double RecordLength(const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Line: return std::hypot(record.EndX() - record.StartX(), record.EndY() - record.StartY());
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            return a.r * Sweep(std::atan2(a.y1 - a.cy, a.x1 - a.cx), std::atan2(a.y2 - a.cy, a.x2 - a.cx), a.sense != '-');
        }
        case RecordKind::Circle: return kTurn * record.Circle().r;
        case RecordKind::None: return 0;
    }
    return 0;
}

double DistanceToRecord(Point2 p, const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Line:
            return DistanceToPiece(p, {{record.StartX(), record.StartY()}, {record.EndX(), record.EndY()}, false, {}, true});
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            return DistanceToPiece(p, {{a.x1, a.y1}, {a.x2, a.y2}, true, {a.cx, a.cy}, a.sense != '-'});
        }
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            return std::fabs(Distance(p, {c.cx, c.cy}) - c.r);
        }
        case RecordKind::None: break;
    }
    return std::numeric_limits<double>::infinity();
}

Outline FlattenContour(const RecordList& records, double flatness, double closeEnough) {
    Outline outline;
    if (records.empty()) return outline;
    const Point2 start{records.front().StartX(), records.front().StartY()};
    outline.points.push_back(start);
    for (const RecordValues& record : records) AppendRecordPath(record, flatness, outline.points);
    const Point2 end = outline.points.back();
    outline.closed = (records.size() == 1 && records.front().IsCircle()) ||
                     (records.size() > 1 && std::fabs(end.x - start.x) <= closeEnough &&
                      std::fabs(end.y - start.y) <= closeEnough);
    if (outline.closed) outline.points.back() = start;  // closes exactly, whatever the records' rounding
    outline.box = BoxOf(outline.points);
    return outline;
}

OutlineIndex::OutlineIndex(std::vector<Outline> outlines, double flatness)
    : outlines_(std::move(outlines)), flatness_(flatness) {
    double totalLength = 0;
    bool any = false;
    for (size_t i = 0; i < outlines_.size(); ++i) {
        const std::vector<Point2>& points = outlines_[i].points;
        if (points.empty()) continue;
        if (!any) extent_ = outlines_[i].box, any = true;
        Widen(extent_, {outlines_[i].box.minX, outlines_[i].box.minY});
        Widen(extent_, {outlines_[i].box.maxX, outlines_[i].box.maxY});
        for (size_t k = 0; k + 1 < points.size(); ++k) {
            segments_.push_back({points[k], points[k + 1], static_cast<int32_t>(i)});
            totalLength += Distance(points[k], points[k + 1]);
        }
    }
    if (segments_.empty()) return;
    // About as many cells as segments, and cells no shorter than a sixteenth of the average segment: the
    // segments land in at most about 16 cells each in all, and the grid stays the size of the drawing's
    // detail even where long edges (large concentric outlines) would make the cells as large as the sheet.
    const double count = static_cast<double>(segments_.size());
    const double width = extent_.maxX - extent_.minX, height = extent_.maxY - extent_.minY;
    const double size = std::max(width, height);
    cell_ = std::max({std::sqrt(width * height / count), totalLength / (16 * count), size * 1e-6, 1e-9});
    for (uint32_t s = 0; s < segments_.size(); ++s) AddToCells(s);
}

int64_t OutlineIndex::Column(double x) const { return static_cast<int64_t>(std::floor((x - extent_.minX) / cell_)); }
int64_t OutlineIndex::Row(double y) const { return static_cast<int64_t>(std::floor((y - extent_.minY) / cell_)); }

void OutlineIndex::AddToCells(uint32_t s) {
    // Points every quarter cell along the segment: a cell it only grazes may be missed, so every look-up
    // takes one cell more on each side.
    const Segment& segment = segments_[s];
    const double length = Distance(segment.a, segment.b);
    const int64_t steps = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(length / (cell_ / 4))));
    int64_t last = -1;
    for (int64_t k = 0; k <= steps; ++k) {
        const Point2 p = segment.a + (segment.b - segment.a) * (static_cast<double>(k) / static_cast<double>(steps));
        const int64_t key = CellKey(Column(p.x), Row(p.y));
        if (key == last) continue;
        std::vector<uint32_t>& cell = cells_[key];
        if (cell.empty() || cell.back() != s) cell.push_back(s);
        last = key;
    }
}

template <typename Visit>
void OutlineIndex::ForNearby(Point2 a, Point2 b, double margin, Visit visit) const {
    const int64_t c0 = Column(std::min(a.x, b.x) - margin) - 1, c1 = Column(std::max(a.x, b.x) + margin) + 1;
    const int64_t r0 = Row(std::min(a.y, b.y) - margin) - 1, r1 = Row(std::max(a.y, b.y) + margin) + 1;
    if (static_cast<double>(c1 - c0 + 1) * static_cast<double>(r1 - r0 + 1) > static_cast<double>(segments_.size())) {
        visited_ += segments_.size();
        for (const Segment& segment : segments_) visit(segment);  // a look-up wider than the drawing's detail
        return;
    }
    for (int64_t c = c0; c <= c1; ++c) {
        for (int64_t r = r0; r <= r1; ++r) {
            const auto found = cells_.find(CellKey(c, r));
            if (found == cells_.end()) continue;
            visited_ += found->second.size();
            for (const uint32_t s : found->second) visit(segments_[s]);
        }
    }
}

std::vector<int32_t> OutlineIndex::Containing(Point2 p, int32_t skip) const {
    // Every segment the ray from p to the right crosses, each once, with the half-open rule for vertices.
    std::vector<uint32_t> crossed;
    const Point2 far{std::max(extent_.maxX, p.x) + cell_, p.y};
    ForNearby(p, far, 0, [&](const Segment& segment) {
        if (!outlines_[static_cast<size_t>(segment.outline)].closed || segment.outline == skip) return;
        if ((segment.a.y > p.y) == (segment.b.y > p.y)) return;
        const double x = segment.a.x + (p.y - segment.a.y) / (segment.b.y - segment.a.y) * (segment.b.x - segment.a.x);
        if (x > p.x) crossed.push_back(static_cast<uint32_t>(&segment - segments_.data()));
    });
    std::sort(crossed.begin(), crossed.end());
    crossed.erase(std::unique(crossed.begin(), crossed.end()), crossed.end());
    std::vector<int32_t> owners;
    for (const uint32_t s : crossed) owners.push_back(segments_[s].outline);
    std::sort(owners.begin(), owners.end());
    std::vector<int32_t> holding;
    for (size_t k = 0; k < owners.size();) {
        size_t run = k;
        while (run < owners.size() && owners[run] == owners[k]) ++run;
        if ((run - k) % 2 == 1) holding.push_back(owners[k]);
        k = run;
    }
    return holding;
}

bool OutlineIndex::InMaterial(Point2 p) const { return Containing(p).size() % 2 == 1; }

bool OutlineIndex::Near(Point2 p, double distance) const {
    bool near = false;
    ForNearby(p, p, distance, [&](const Segment& segment) {
        if (!near && DistanceToSegment(p, segment.a, segment.b) < distance) near = true;
    });
    return near;
}

bool OutlineIndex::Touches(Point2 a, Point2 b, int32_t skip) const {
    const double eps = 1e-9 * std::max({1.0, extent_.maxX - extent_.minX, extent_.maxY - extent_.minY});
    bool touches = false;
    ForNearby(a, b, eps, [&](const Segment& segment) {
        if (!touches && segment.outline != skip && SegmentsTouch(a, b, segment.a, segment.b, eps)) touches = true;
    });
    return touches;
}

}  // namespace zorvan
