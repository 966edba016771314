// The cutting paths of a sheet as plane geometry: each contour's records flattened to a polyline, and an
// index over all of them that answers what sheet planning asks of a point or a short segment: how many closed
// contours hold it (inside an odd number means part material), how far the nearest contour is, and whether a
// segment touches any contour. Built once per plan; every question looks only at the contours near it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "geometry/point.h"
#include "model/record.h"

namespace zorvan {

struct Box {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool Holds(Point2 p) const { return p.x >= minX && p.x <= maxX && p.y >= minY && p.y <= maxY; }
};

// A contour's path as straight pieces: arcs and circles as chords no farther than `flatness` from them, in
// the direction the records run. A closed outline ends where it starts (the last point is the first).
struct Outline {
    std::vector<Point2> points;
    bool closed = false;
    Box box;
};

// The records of one contour, head to tail as a part holds them. Closed when the last record ends within
// `closeEnough` (in x and in y) of where the first starts, or when it is a circle.
Outline FlattenContour(const RecordList& records, double flatness, double closeEnough);

// The points of a record's path from its start to its end (the end included, the start not), arcs and
// circles as chords within `flatness`.
void AppendRecordPath(const RecordValues& record, double flatness, std::vector<Point2>& points);

// A point well inside a closed outline: on the horizontal line halfway up its box (moved off its vertices),
// the middle of the widest stretch the outline encloses. Unlike a point of the path itself, it lies inside
// every contour that holds the outline and outside a neighbour that only shares an edge with it.
Point2 InteriorPoint(const Outline& outline);

// The area a closed outline encloses, by the shoelace formula over its points (counter-clockwise positive).
double EnclosedArea(const Outline& outline);

// How many points AppendRecordPath adds for `record` at `flatness`.
size_t PathPoints(const RecordValues& record, double flatness);

// How far `p` lies from the path of a record (a line, an arc, a circle); infinite for a record of no kind.
double DistanceToRecord(Point2 p, const RecordValues& record);

// The length of a record's path: a line's length, an arc's radius times its sweep, a circle's circumference.
double RecordLength(const RecordValues& record);

class OutlineIndex {
public:
    // `flatness`: how far the outlines' chords may stray from the contours they stand for.
    explicit OutlineIndex(std::vector<Outline> outlines, double flatness = 0);

    const std::vector<Outline>& outlines() const { return outlines_; }
    double flatness() const { return flatness_; }

    // The closed outlines that hold `p` (by the even-odd rule), `skip` left out.
    std::vector<int32_t> Containing(Point2 p, int32_t skip = -1) const;
    // Whether `p` lies inside an odd number of closed outlines: in part material.
    bool InMaterial(Point2 p) const;
    // Whether any outline comes within `distance` of `p`.
    bool Near(Point2 p, double distance) const;
    // Whether the segment from a to b touches any outline (outline `skip` left out).
    bool Touches(Point2 a, Point2 b, int32_t skip = -1) const;
    // How many segments the questions so far have looked at: the work they took, for searches to bound.
    size_t SegmentsVisited() const { return visited_; }

private:
    struct Segment {
        Point2 a, b;
        int32_t outline;
    };
    int64_t CellKey(int64_t column, int64_t row) const { return column * 1000003 + row; }
    int64_t Column(double x) const;
    int64_t Row(double y) const;
    void AddToCells(uint32_t segment);
    // Every segment registered in the cells of the box around a and b grown by `margin` (a segment may be
    // listed more than once).
    template <typename Visit>
    void ForNearby(Point2 a, Point2 b, double margin, Visit visit) const;

    std::vector<Outline> outlines_;
    double flatness_ = 0;
    std::vector<Segment> segments_;
    Box extent_;
    double cell_ = 1;
    std::unordered_map<int64_t, std::vector<uint32_t>> cells_;
    mutable size_t visited_ = 0;
};

}  // namespace zorvan
