// Contours for tests drawn as a pen draws them: straight runs along the heading and turns, each turn an arc of
// a given radius, so that letter-like shapes with arcs of any radius and sense are quick to write. Every piece
// is computed here with full-precision trigonometry, independently of the program's own arc routines.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "support/cut_paths.h"

namespace zorvan::testing {

// One piece of a pen's path: a straight run (radius 0) or an arc about `centre`, its sweep in degrees
// positive counter-clockwise and negative clockwise.
struct PenPiece {
    Pt start, end, centre;
    double radius = 0;
    double sweepDeg = 0;
    bool IsArc() const { return radius > 0; }
    // The angle of the arc's start, in degrees from the positive X direction.
    double StartDeg() const { return std::atan2(start.y - centre.y, start.x - centre.x) * 180 / std::numbers::pi; }
};

class Pen {
public:
    Pen(Pt at, double headingDeg) : at_(at), first_(at), heading_(headingDeg) {}

    Pen& Run(double length) {
        const Pt to{at_.x + length * std::cos(Radians(heading_)), at_.y + length * std::sin(Radians(heading_))};
        pieces_.push_back({at_, to, {}, 0, 0});
        at_ = to;
        return *this;
    }

    // An arc leaving along the heading: to the left (counter-clockwise) for a positive sweep.
    Pen& Turn(double radius, double sweepDeg) {
        const double side = sweepDeg > 0 ? 90 : -90;
        const Pt centre{at_.x + radius * std::cos(Radians(heading_ + side)), at_.y + radius * std::sin(Radians(heading_ + side))};
        const double to = Radians(heading_ - side + sweepDeg);
        return Arc(centre, radius, sweepDeg, {centre.x + radius * std::cos(to), centre.y + radius * std::sin(to)});
    }

    // The shorter arc of radius `radius` from here to `to`, in the sense asked.
    Pen& ArcTo(Pt to, double radius, bool counterClockwise) {
        const Pt chord{to.x - at_.x, to.y - at_.y};
        const double length = std::hypot(chord.x, chord.y);
        const double rise = std::sqrt(radius * radius - length * length / 4) * (counterClockwise ? 1 : -1);
        const Pt centre{(at_.x + to.x) / 2 - rise * chord.y / length, (at_.y + to.y) / 2 + rise * chord.x / length};
        const double sweep = 2 * std::asin(length / (2 * radius)) * 180 / std::numbers::pi;
        return Arc(centre, radius, counterClockwise ? sweep : -sweep, to);
    }

    // The pieces drawn, closed by a straight run back to the first point where the pen is not there already.
    std::vector<PenPiece> Close() {
        if (std::hypot(at_.x - first_.x, at_.y - first_.y) > 1e-9) pieces_.push_back({at_, first_, {}, 0, 0});
        return pieces_;
    }

private:
    static double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

    Pen& Arc(Pt centre, double radius, double sweepDeg, Pt to) {
        pieces_.push_back({at_, to, centre, radius, sweepDeg});
        at_ = to;
        heading_ += sweepDeg;
        return *this;
    }

    Pt at_, first_;
    double heading_;
    std::vector<PenPiece> pieces_;
};

// A closed path as the vertices of a closed LWPOLYLINE: each piece's start with the bulge of the piece.
template <typename Vertex>
std::vector<Vertex> BulgeVertices(const std::vector<PenPiece>& pieces) {
    std::vector<Vertex> vertices;
    for (const PenPiece& p : pieces) {
        vertices.push_back({p.start.x, p.start.y, p.IsArc() ? std::tan(p.sweepDeg * std::numbers::pi / 720) : 0});
    }
    return vertices;
}

// A letter "D" 80 high whose stem starts at `at`: serif corners of radius 0.5, a top of radius 10000 turning
// counter-clockwise, a wiggle of two radius 2 arcs, a bow of radius 40 and a bottom of radius 10000 turning
// clockwise.
inline std::vector<PenPiece> LetterD(Pt at) {
    return Pen(at, 90).Run(80).Turn(0.5, -90).Turn(10000, 0.3).Turn(2, 60).Turn(2, -60).Turn(40, -180.3)
        .Turn(10000, -0.3).Turn(0.5, -89.7).Close();
}

// A hairline crescent whose chord has its middle at `at`: an arc of radius 10000 over 5 degrees, clockwise
// over the top, and back beneath it two arcs of radius 11885 through the point 8 above `at`, leaving the
// crescent 1.5 wide in the middle. The chords of its three arcs make a triangle that runs the other way round.
inline std::vector<PenPiece> HairlineCrescent(Pt at) {
    const double half = 10000 * std::sin(2.5 * std::numbers::pi / 180);
    return Pen({at.x - half, at.y}, 0).ArcTo({at.x + half, at.y}, 10000, false).ArcTo({at.x, at.y + 8}, 11885, true)
        .ArcTo({at.x - half, at.y}, 11885, true).Close();
}

}  // namespace zorvan::testing
