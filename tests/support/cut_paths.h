// A G-code program of ours read back as the torch moves: each part's pierce point, lead-in, compensation word
// and cut path (arcs sampled), for tests that check the plan by geometry with routines of their own rather
// than the planner's.
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace zorvan::testing {

struct Pt {
    double x = 0, y = 0;
};

// One part as the program cuts it.
struct Cut {
    int part = -1;             // the number in the part's comment row
    std::string compensation;  // "G41", "G42", "G40" or ""
    Pt pierce;
    std::vector<Pt> leadIn;  // pierce to start; empty without a lead-in
    std::vector<Pt> path;    // the contour, arcs sampled
    bool Closed() const {
        return path.size() > 2 && std::hypot(path.front().x - path.back().x, path.front().y - path.back().y) < 1e-6;
    }
};

// The cuts of a program: a part starts at its "(---" comment; its first G1 after the rapid ends the lead-in,
// unless compensation was turned off (G40) before the rapid, which marks a contour cut from where it starts.
std::vector<Cut> ParseCuts(const std::string& program);

// Counter-clockwise positive; the path is taken as closed.
double SignedArea(const std::vector<Pt>& path);
// Even-odd point in polygon.
bool Inside(const std::vector<Pt>& polygon, Pt p);
// Whether the kerf falls inside the cut's path: G41 puts the tool left of the travel, and left of a
// counter-clockwise path is inside it.
bool KerfInside(const Cut& cut);
// How many closed cuts hold `p`: odd in part material, even in the scrap.
int Holding(const std::vector<Cut>& cuts, Pt p);
// A point `offset` off the middle of the cut's first straight or sampled piece, on the side its compensation
// puts the kerf (left of the path for G41, right for G42).
Pt KerfSide(const Cut& cut, double offset);

}  // namespace zorvan::testing
