// A closed contour of lines and arcs offset to one side by a distance, as the torch's centre must run when the
// program itself allows for the kerf: lines stay lines, arcs stay arcs (their radius changed), a corner the
// offset goes round is joined by an arc about the corner, a corner it goes into is cut where the two offset
// pieces meet, and pieces that vanish are left out. Where the contour has a feature narrower than twice the
// distance, the offset cannot follow it without cutting into the part: that is reported, not hidden.
#pragma once

#include <string>
#include <vector>

#include "geometry/arrangement.h"

namespace zorvan {

struct OffsetContour {
    std::vector<Piece> path;  // head to tail, closing; empty when nothing is left
    int vanished = 0;         // pieces of the contour that left nothing of their own (a short edge in a corner)
    // Why the path does not follow the contour at the distance everywhere: empty when it does.
    //   "a feature narrower than 1.5: the offset passes 0.4 from the contour"
    std::string problem;
    // Whether the path was checked against the whole contour for features narrower than twice the distance;
    // a contour of so many pieces that the check would take too long is not.
    bool checked = true;
};

// `contour` runs head to tail and closes (each piece starts where the one before ends, within `tolerance`).
// The offset lies `distance` to the left of it (looking along it) when `left`, else to the right.
OffsetContour OffsetClosedContour(const std::vector<Piece>& contour, double distance, bool left, double tolerance);

// How far `p` lies from a piece.
double DistanceToPiece(Point2 p, const Piece& piece);

}  // namespace zorvan
