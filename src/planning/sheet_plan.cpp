// Sheet mode's planning.
#include "planning/sheet_plan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "geometry/area.h"
#include "import/part_entries.h"
#include "planning/cut_order.h"
#include "planning/cut_shapes.h"

namespace zorvan {

namespace {

// How closely arcs are followed when contours are tested against each other: a hundred-thousandth of the
// sheet's size (0.03 for a 3 m sheet).
double Flatness(const Program& program) {
    const double size = std::max(program.extMaxX - program.extMinX, program.extMaxY - program.extMinY);
    return std::max(size * 1e-5, 1e-6);
}

// The flatness, from `flatness` up, at which the parts' outlines take at most about `most` points in all: a
// drawing of tens of thousands of tiny, nearly whole arcs is followed more loosely rather than filling the
// memory. An arc's chords grow as one over the square root of the flatness.
double FlatnessWithin(const Program& program, double flatness, size_t most) {
    for (int round = 0; round < 4; ++round) {
        size_t points = 0;
        for (int32_t i = 0; i < PartRowCount(program); ++i) {
            const PartEntry& entry = program.partList[static_cast<size_t>(i)];
            if (PartFields(entry).IsDeleted()) continue;
            for (const RecordValues& record : entry.Records()) points += PathPoints(record, flatness);
        }
        if (points <= most) return flatness;
        const double over = static_cast<double>(points) / static_cast<double>(most);
        flatness *= over * over;
    }
    return flatness;
}

Point2 StartOf(const Outline& outline) { return outline.points.front(); }


struct Nesting {
    std::vector<int32_t> depth;                  // how many closed contours hold each one
    std::vector<std::vector<int32_t>> children;  // the contours each one holds directly
    std::vector<int32_t> roots;                  // closed contours no other holds
    std::vector<int32_t> open;                   // contours that do not close
};

std::vector<double> OutlineAreas(const std::vector<Outline>& outlines) {
    std::vector<double> area(outlines.size(), 0);
    for (size_t i = 0; i < outlines.size(); ++i) area[i] = std::fabs(EnclosedArea(outlines[i]));
    return area;
}

// The closed contours that hold closed contour `i`. Only a larger contour holds another (the first of two the
// same size holds the second): contours drawn over each other or crossing then still nest as a tree, and none
// is lost to a loop of holders.
std::vector<int32_t> Holders(const OutlineIndex& index, const std::vector<double>& area, int32_t i) {
    const auto larger = [&](int32_t a, int32_t b) {
        return area[static_cast<size_t>(a)] > area[static_cast<size_t>(b)] ||
               (area[static_cast<size_t>(a)] == area[static_cast<size_t>(b)] && a < b);
    };
    std::vector<int32_t> holding = index.Containing(InteriorPoint(index.outlines()[static_cast<size_t>(i)]), i);
    std::erase_if(holding, [&](int32_t holder) { return !larger(holder, i); });
    return holding;
}

Nesting Nest(const OutlineIndex& index) {
    const auto& outlines = index.outlines();
    const auto n = static_cast<int32_t>(outlines.size());
    Nesting nesting{std::vector<int32_t>(outlines.size(), 0), std::vector<std::vector<int32_t>>(outlines.size()), {}, {}};
    const std::vector<double> area = OutlineAreas(outlines);
    std::vector<std::vector<int32_t>> holders(outlines.size());
    for (int32_t i = 0; i < n; ++i) {
        const Outline& outline = outlines[static_cast<size_t>(i)];
        if (!outline.closed || outline.points.size() < 2) {
            if (!outline.points.empty()) nesting.open.push_back(i);
            continue;
        }
        std::vector<int32_t>& holding = holders[static_cast<size_t>(i)];
        holding = Holders(index, area, i);
        nesting.depth[static_cast<size_t>(i)] = static_cast<int32_t>(holding.size());
    }
    for (int32_t i = 0; i < n; ++i) {
        const Outline& outline = outlines[static_cast<size_t>(i)];
        if (!outline.closed || outline.points.size() < 2) continue;
        // The holder nested deepest is the one right around it.
        int32_t parent = -1;
        for (const int32_t holder : holders[static_cast<size_t>(i)]) {
            if (parent < 0 || nesting.depth[static_cast<size_t>(holder)] > nesting.depth[static_cast<size_t>(parent)]) parent = holder;
        }
        if (parent < 0) {
            nesting.roots.push_back(i);
        } else {
            nesting.children[static_cast<size_t>(parent)].push_back(i);
        }
    }
    return nesting;
}

double Gap(Point2 a, Point2 b) { return Distance(a, b); }

// Orders the contours of one part tree for cutting from `at`: the trees inside each contour first, nearest
// next, then the contour itself; `at` ends at the last contour's start, where its cut ends.
class TreeCutter {
public:
    TreeCutter(const OutlineIndex& index, const Nesting& nesting) : outlines_(index.outlines()), nesting_(nesting) {}

    void Cut(int32_t contour, Point2& at, std::vector<int32_t>& order) const {
        std::vector<int32_t> inside = nesting_.children[static_cast<size_t>(contour)];
        while (!inside.empty()) {
            size_t nearest = 0;
            double best = std::numeric_limits<double>::infinity();
            for (size_t k = 0; k < inside.size(); ++k) {
                const double gap = Gap(at, StartOf(outlines_[static_cast<size_t>(FirstCut(inside[k], at))]));
                if (gap < best) best = gap, nearest = k;
            }
            const int32_t next = inside[nearest];
            inside.erase(inside.begin() + static_cast<std::ptrdiff_t>(nearest));
            Cut(next, at, order);
        }
        order.push_back(contour);
        at = StartOf(outlines_[static_cast<size_t>(contour)]);
    }

    // The contour a tree's cut would begin with, from `at`.
    int32_t FirstCut(int32_t contour, Point2 at) const {
        const std::vector<int32_t>& inside = nesting_.children[static_cast<size_t>(contour)];
        if (inside.empty()) return contour;
        int32_t nearest = inside.front();
        double best = std::numeric_limits<double>::infinity();
        for (const int32_t child : inside) {
            const double gap = Gap(at, StartOf(outlines_[static_cast<size_t>(child)]));
            if (gap < best) best = gap, nearest = child;
        }
        return FirstCut(nearest, at);
    }

private:
    const std::vector<Outline>& outlines_;
    const Nesting& nesting_;
};

// One part tree placed in the route: its contours in cutting order, where its cut begins and ends.
struct Leg {
    int32_t root;
    std::vector<int32_t> order;
    Point2 entry, exit;
};

Leg PlaceTree(const TreeCutter& cutter, const std::vector<Outline>& outlines, int32_t root, Point2 from) {
    Leg leg{root, {}, {}, from};
    cutter.Cut(root, leg.exit, leg.order);
    leg.entry = StartOf(outlines[static_cast<size_t>(leg.order.front())]);
    return leg;
}

double RouteLength(const std::vector<Leg>& legs, Point2 corner) {
    double length = 0;
    Point2 at = corner;
    for (const Leg& leg : legs) {
        length += Gap(at, leg.entry);
        at = leg.exit;
    }
    return length;
}

// Nearest tree next, from the corner.
std::vector<Leg> NearestRoute(const TreeCutter& cutter, const std::vector<Outline>& outlines, std::vector<int32_t> roots,
                              Point2 corner) {
    std::vector<Leg> legs;
    Point2 at = corner;
    while (!roots.empty()) {
        size_t nearest = 0;
        double best = std::numeric_limits<double>::infinity();
        for (size_t k = 0; k < roots.size(); ++k) {
            const double gap = Gap(at, StartOf(outlines[static_cast<size_t>(cutter.FirstCut(roots[k], at))]));
            if (gap < best) best = gap, nearest = k;
        }
        legs.push_back(PlaceTree(cutter, outlines, roots[nearest], at));
        at = legs.back().exit;
        roots.erase(roots.begin() + static_cast<std::ptrdiff_t>(nearest));
    }
    return legs;
}

// 2-opt on the order of the trees, each tree's own order kept: reversing legs i..j turns every travel
// between them round, and the running sums of both directions price each reversal in constant time.
void ImproveRoute(std::vector<Leg>& legs, Point2 corner) {
    const size_t n = legs.size();
    if (n < 3) return;
    constexpr int kMostPasses = 50;
    std::vector<double> forward(n, 0), backward(n, 0);  // sums of the travels up to leg k, either way
    const auto sum = [&] {
        for (size_t k = 1; k < n; ++k) {
            forward[k] = forward[k - 1] + Gap(legs[k - 1].exit, legs[k].entry);
            backward[k] = backward[k - 1] + Gap(legs[k].exit, legs[k - 1].entry);
        }
    };
    sum();
    for (int pass = 0; pass < kMostPasses; ++pass) {
        bool improved = false;
        for (size_t i = 0; i + 1 < n; ++i) {
            for (size_t j = i + 1; j < n; ++j) {
                const Point2 before = i == 0 ? corner : legs[i - 1].exit;
                const double after = j + 1 < n ? Gap(legs[j].exit, legs[j + 1].entry) : 0;
                const double afterReversed = j + 1 < n ? Gap(legs[i].exit, legs[j + 1].entry) : 0;
                const double now = Gap(before, legs[i].entry) + (forward[j] - forward[i]) + after;
                const double reversed = Gap(before, legs[j].entry) + (backward[j] - backward[i]) + afterReversed;
                if (reversed < now - 1e-9) {
                    std::reverse(legs.begin() + static_cast<std::ptrdiff_t>(i), legs.begin() + static_cast<std::ptrdiff_t>(j) + 1);
                    sum();
                    improved = true;
                }
            }
        }
        if (!improved) return;
    }
}

// The route of the trees: nearest next, improved by 2-opt; each tree's own order then made again from where
// the route now enters it, kept where that is shorter.
std::vector<int32_t> SheetOrder(const OutlineIndex& index, const Nesting& nesting, Point2 corner) {
    const TreeCutter cutter(index, nesting);
    std::vector<Leg> legs = NearestRoute(cutter, index.outlines(), nesting.roots, corner);
    std::vector<Leg> improved = legs;
    ImproveRoute(improved, corner);
    Point2 at = corner;
    for (Leg& leg : improved) {
        leg = PlaceTree(cutter, index.outlines(), leg.root, at);
        at = leg.exit;
    }
    if (RouteLength(improved, corner) < RouteLength(legs, corner)) legs = std::move(improved);
    std::vector<int32_t> order;
    for (const Leg& leg : legs) order.insert(order.end(), leg.order.begin(), leg.order.end());
    return order;
}

// Open contours by nearest start from `at`.
std::vector<int32_t> OpenOrder(const std::vector<Outline>& outlines, std::vector<int32_t> open, Point2 at) {
    std::vector<int32_t> order;
    while (!open.empty()) {
        size_t nearest = 0;
        double best = std::numeric_limits<double>::infinity();
        for (size_t k = 0; k < open.size(); ++k) {
            const double gap = Gap(at, StartOf(outlines[static_cast<size_t>(open[k])]));
            if (gap < best) best = gap, nearest = k;
        }
        order.push_back(open[nearest]);
        at = outlines[static_cast<size_t>(open[nearest])].points.back();
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(nearest));
    }
    return order;
}

std::string WithMarker(const PartEntry& entry, std::string_view marker) {
    std::string text = entry.Text();
    text.replace(0, std::min<size_t>(2, text.size()), marker);
    return text;
}

}  // namespace

bool ContourCloses(const RecordList& records) {
    if (records.empty()) return false;
    if (records.size() == 1) return records.front().IsCircle();
    return std::fabs(records.back().EndX() - records.front().StartX()) <= kOrderTolerance &&
           std::fabs(records.back().EndY() - records.front().StartY()) <= kOrderTolerance;
}

PartLeadIn LeadInOf(const PartEntry& entry) {
    const auto header = SplitFields(PartFields(entry).header);
    const auto number = [&](size_t k) { return LenientParse(FieldAt(header, k)); };
    return {FieldAt(header, 0), {number(1), number(2)}, {number(3), number(4)}};
}

std::vector<Travel> TravelMoves(const Program& program) {
    std::vector<Travel> moves;
    Point2 at{program.extMinX, program.extMinY};
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (PartFields(entry).IsDeleted()) continue;
        const PartLeadIn leadIn = LeadInOf(entry);
        moves.push_back({at, leadIn.pierce});
        const RecordList& records = entry.Records();
        at = records.empty() || records.back().IsCircle() ? leadIn.start : Point2{records.back().EndX(), records.back().EndY()};
        // A cut that runs on past its start, or leaves by a lead-out, ends where that does.
        const CutFinish finish = FinishOf(program, i);
        if (!finish.leadOut.empty()) at = finish.leadOut.back().to;
        else if (!finish.overcut.empty()) at = finish.overcut.back().to;
    }
    return moves;
}

OutlineIndex PartOutlines(const Program& program) {
    const double flatness = FlatnessWithin(program, Flatness(program), kMostOutlinePoints);
    std::vector<Outline> outlines;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        outlines.push_back(PartFields(entry).IsDeleted() ? Outline{} : FlattenContour(entry.Records(), flatness, kOrderTolerance));
    }
    return OutlineIndex(std::move(outlines), flatness);
}

OutlineIndex LeadInOutlines(const Program& program) {
    OutlineIndex parts = PartOutlines(program);
    if (!program.sheetEdge) return parts;
    const SheetEdge& edge = *program.sheetEdge;
    Outline sheet;
    sheet.points = {{edge.left, edge.bottom}, {edge.right, edge.bottom}, {edge.right, edge.top}, {edge.left, edge.top},
                    {edge.left, edge.bottom}};
    sheet.box = {edge.left, edge.bottom, edge.right, edge.top};
    std::vector<Outline> outlines = parts.outlines();
    outlines.push_back(std::move(sheet));
    return OutlineIndex(std::move(outlines), parts.flatness());
}

void PlanSheet(Program& program, const SheetPlanOptions& options) {
    BuildPartList(program);
    SLOZIBASSVE(program);  // every contour head to tail, its exact area stored
    const OutlineIndex index = PartOutlines(program);
    const Nesting nesting = Nest(index);
    const Point2 corner{program.extMinX, program.extMinY};
    std::vector<int32_t> order = SheetOrder(index, nesting, corner);
    // Every closed contour in the order exactly once: checked, for a part left out would go uncut unseen.
    std::vector<int32_t> times(index.outlines().size(), 0);
    for (const int32_t i : order) ++times[static_cast<size_t>(i)];
    program.closedNotPlannedOnce = 0;
    for (size_t i = 0; i < times.size(); ++i) {
        if (index.outlines()[i].closed && times[i] != 1) ++program.closedNotPlannedOnce;
    }
    std::vector<std::string_view> markers(index.outlines().size(), "II");
    for (const int32_t i : order) markers[static_cast<size_t>(i)] = nesting.depth[static_cast<size_t>(i)] % 2 == 0 ? "OO" : "II";
    if (options.cutOpen) {
        const Point2 at = order.empty() ? corner : StartOf(index.outlines()[static_cast<size_t>(order.back())]);
        for (const int32_t i : OpenOrder(index.outlines(), nesting.open, at)) order.push_back(i);
        program.openContoursLeftOut = 0;
        program.openLeftOut.clear();
    } else {
        program.openContoursLeftOut = static_cast<int32_t>(nesting.open.size());
        program.openLeftOut.clear();
        for (const int32_t i : nesting.open) program.openLeftOut.push_back(program.partList[static_cast<size_t>(i)]);
    }
    // An open contour with a point in part material lies inside a part: a bend line, a centre mark. A few
    // points along it are asked, not all of them.
    constexpr size_t kPointsAsked = 16;
    program.openInsideParts = 0;
    for (const int32_t i : nesting.open) {
        const std::vector<Point2>& points = index.outlines()[static_cast<size_t>(i)].points;
        const size_t step = std::max<size_t>(1, points.size() / kPointsAsked);
        bool inside = false;
        for (size_t k = 0; k + 1 < points.size() && !inside; k += step) {
            for (const double t : {0.25, 0.5, 0.75}) inside = inside || index.InMaterial(points[k] + (points[k + 1] - points[k]) * t);
        }
        program.openInsideParts += inside ? 1 : 0;
    }

    std::vector<PartEntry>& planned = program.partListScratch;
    for (size_t k = 0; k < order.size(); ++k) {
        const PartEntry& entry = program.partList[static_cast<size_t>(order[k])];
        planned[k].Set(WithMarker(entry, markers[static_cast<size_t>(order[k])]), entry.Records());
    }
    const int32_t before = PartRowCount(program);
    for (size_t k = 0; k < order.size(); ++k) program.partList[k] = std::move(planned[k]);
    for (auto k = static_cast<int32_t>(order.size()); k < before; ++k) program.partList[static_cast<size_t>(k)] = PartEntry();
    program.partCount = static_cast<int32_t>(order.size());
    CCW_OR_CW(program);
    ComputePartAreas(program);
}

std::vector<int32_t> ContourParents(const OutlineIndex& index) {
    const Nesting nesting = Nest(index);
    std::vector<int32_t> parents(index.outlines().size(), -1);
    for (size_t parent = 0; parent < nesting.children.size(); ++parent) {
        for (const int32_t child : nesting.children[parent]) parents[static_cast<size_t>(child)] = static_cast<int32_t>(parent);
    }
    return parents;
}

std::vector<std::pair<int32_t, int32_t>> CutAfterTheirHolder(const Program& program) {
    const OutlineIndex index = PartOutlines(program);
    const std::vector<double> area = OutlineAreas(index.outlines());
    std::vector<std::pair<int32_t, int32_t>> late;
    for (int32_t i = 0; i < static_cast<int32_t>(index.outlines().size()); ++i) {
        const Outline& outline = index.outlines()[static_cast<size_t>(i)];
        if (!outline.closed || outline.points.size() < 2) continue;
        const std::vector<int32_t> holding = Holders(index, area, i);
        const auto first = std::min_element(holding.begin(), holding.end());
        if (first != holding.end() && *first < i) late.emplace_back(i, *first);
    }
    return late;
}

}  // namespace zorvan
