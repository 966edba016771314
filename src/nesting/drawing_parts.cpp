// The parts of a planned sheet, for nesting.
#include "nesting/drawing_parts.h"

#include "planning/cut_order.h"
#include "planning/outlines.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

bool IsClosed(const Outline& outline) { return outline.closed && outline.points.size() >= 2; }

// How many closed contours lie around each one.
std::vector<int32_t> Depths(const std::vector<int32_t>& parents) {
    std::vector<int32_t> depth(parents.size(), 0);
    for (size_t i = 0; i < parents.size(); ++i) {
        // Parents are larger than their children, so the chain ends; the bound guards against a damaged table.
        int32_t at = parents[i];
        for (size_t steps = 0; at >= 0 && steps < parents.size(); ++steps) {
            ++depth[i];
            at = parents[static_cast<size_t>(at)];
        }
    }
    return depth;
}

size_t PointsAt(const Program& program, double flatness) {
    size_t points = 0;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (PartFields(entry).IsDeleted()) continue;
        for (const RecordValues& record : entry.Records()) points += PathPoints(record, flatness);
    }
    return points;
}

// `flatness`, or looser where that would take more than `most` points: an arc's chords grow as one over the
// square root of the flatness.
double FlatnessWithin(const Program& program, double flatness, size_t most) {
    for (int round = 0; round < 6; ++round) {
        const size_t points = PointsAt(program, flatness);
        if (points <= most) return flatness;
        const double over = static_cast<double>(points) / static_cast<double>(most);
        flatness *= over * over * 1.1;
    }
    return flatness;
}

Ring RingOf(const RecordList& records, double flatness) {
    Outline outline = FlattenContour(records, flatness, kOrderTolerance);
    if (outline.points.size() > 1) outline.points.pop_back();  // a ring does not repeat its first point
    return std::move(outline.points);
}

}  // namespace

DrawingParts PartsOfPlannedSheet(const Program& program, double flatness, size_t mostPoints) {
    DrawingParts result;
    result.openContours = program.openContoursLeftOut;  // the plan left them out of the part list
    result.flatness = FlatnessWithin(program, flatness, mostPoints);
    const OutlineIndex index = PartOutlines(program);
    const std::vector<Outline>& outlines = index.outlines();
    const std::vector<int32_t> parents = ContourParents(index);
    const std::vector<int32_t> depth = Depths(parents);
    std::vector<int32_t> partOf(outlines.size(), -1);
    for (size_t i = 0; i < outlines.size(); ++i) {
        if (outlines[i].points.empty()) continue;  // a deleted part
        if (!IsClosed(outlines[i])) {
            ++result.openContours;
            continue;
        }
        if (depth[i] % 2 != 0) continue;
        partOf[i] = static_cast<int32_t>(result.parts.size());
        DrawingPart& part = result.parts.emplace_back();
        part.contours.push_back(program.partList[i].Records());
        part.shape.outline = RingOf(part.contours.back(), result.flatness);
    }
    for (size_t i = 0; i < outlines.size(); ++i) {
        if (!IsClosed(outlines[i]) || depth[i] % 2 == 0 || parents[i] < 0) continue;
        const int32_t owner = partOf[static_cast<size_t>(parents[i])];
        if (owner < 0) continue;
        DrawingPart& part = result.parts[static_cast<size_t>(owner)];
        part.contours.push_back(program.partList[i].Records());
        part.shape.holes.push_back(RingOf(part.contours.back(), result.flatness));
    }
    for (DrawingPart& part : result.parts) {
        for (const RecordList& contour : part.contours) part.records += static_cast<int32_t>(contour.size());
    }
    return result;
}

}  // namespace zorvan
