// Offsets of closed contours checked by geometry: every point of the path at the distance from the contour,
// on the side asked for, corners rounded outside and cut inside, and features too narrow reported.
#include "geometry/offset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zorvan {
namespace {

Piece Line(Point2 a, Point2 b) { return {a, b, false, {}, true}; }
Piece Arc(Point2 a, Point2 b, Point2 centre, bool ccw) { return {a, b, true, centre, ccw}; }

// A polygon's edges, counter-clockwise as given.
std::vector<Piece> Polygon(const std::vector<Point2>& corners) {
    std::vector<Piece> pieces;
    for (size_t k = 0; k < corners.size(); ++k) pieces.push_back(Line(corners[k], corners[(k + 1) % corners.size()]));
    return pieces;
}

// Whether `p` lies inside the closed contour, by the even-odd rule over a fine polyline of it.
bool Inside(const std::vector<Piece>& contour, Point2 p) {
    std::vector<Point2> points;
    for (const Piece& piece : contour) {
        for (int k = 0; k < 64; ++k) points.push_back(piece.At(k / 64.0));
    }
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const Point2 a = points[i], b = points[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

double DistanceToContour(const std::vector<Piece>& contour, Point2 p) {
    double best = INFINITY;
    for (const Piece& piece : contour) best = std::min(best, DistanceToPiece(p, piece));
    return best;
}

TEST(OffsetTest, EveryPointOfThePathIsAtTheDistanceOnTheSideAsked) {
    const std::vector<Piece> square = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    // A slot: two lines and two half circles, counter-clockwise.
    const std::vector<Piece> slot = {Line({0, 0}, {20, 0}), Arc({20, 0}, {20, 8}, {20, 4}, true),
                                     Line({20, 8}, {0, 8}), Arc({0, 8}, {0, 0}, {0, 4}, true)};
    const std::vector<Piece> circle = {Arc({5, 0}, {-5, 0}, {0, 0}, true), Arc({-5, 0}, {5, 0}, {0, 0}, true)};
    // An L, with a corner the inside offset goes into and one it goes round.
    const std::vector<Piece> ell = Polygon({{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 30}, {0, 30}});
    struct Case {
        const char* name;
        std::vector<Piece> contour;
        bool left;  // counter-clockwise contours: left is inside
        size_t pieces;
    };
    const Case cases[] = {
        {"square, outside", square, false, 8}, {"square, inside", square, true, 4},
        {"slot, outside", slot, false, 4},     {"slot, inside", slot, true, 4},
        {"circle, outside", circle, false, 2}, {"circle, inside", circle, true, 2},
        {"L, outside", ell, false, 11},        {"L, inside", ell, true, 7},
    };
    const double d = 0.75, tolerance = 1e-6;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OffsetContour offset = OffsetClosedContour(c.contour, d, c.left, tolerance);
        EXPECT_EQ(offset.problem, "");
        EXPECT_EQ(offset.path.size(), c.pieces);
        for (size_t k = 0; k < offset.path.size(); ++k) {
            const Piece& piece = offset.path[k];
            // Head to tail and closing, lines staying lines and arcs arcs of one radius.
            EXPECT_LE(Distance(piece.to, offset.path[(k + 1) % offset.path.size()].from), 1e-9) << k;
            if (piece.arc) {
                EXPECT_NEAR(Distance(piece.to, piece.centre), piece.Radius(), 1e-9) << k;
            }
            for (const double t : {0.0, 0.1, 0.5, 0.9}) {
                const Point2 p = piece.At(t);
                EXPECT_NEAR(DistanceToContour(c.contour, p), d, 1e-9) << k << " at " << t;
                EXPECT_EQ(Inside(c.contour, p), c.left) << k << " at " << t;
            }
        }
    }
}

TEST(OffsetTest, CornersAreRoundedOutsideAndCutInsideAndNarrowFeaturesAreReported) {
    const std::vector<Piece> square = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const OffsetContour outside = OffsetClosedContour(square, 1, false, 1e-9);
    ASSERT_EQ(outside.path.size(), 8u);
    EXPECT_TRUE(outside.path[1].arc);
    EXPECT_NEAR(outside.path[1].centre.x, 10, 1e-12);
    EXPECT_NEAR(outside.path[1].Radius(), 1, 1e-12);
    const OffsetContour inside = OffsetClosedContour(square, 1, true, 1e-9);
    ASSERT_EQ(inside.path.size(), 4u);
    EXPECT_NEAR(inside.path[0].from.x, 1, 1e-12);
    EXPECT_NEAR(inside.path[0].from.y, 1, 1e-12);

    // A notch 1 wide in the square's bottom edge: a kerf of 1.5 does not fit into it.
    const std::vector<Piece> notched = Polygon({{0, 0}, {4, 0}, {4, 5}, {5, 5}, {5, 0}, {10, 0}, {10, 10}, {0, 10}});
    const OffsetContour notch = OffsetClosedContour(notched, 0.75, false, 1e-9);
    EXPECT_NE(notch.problem.find("narrower than 1.5"), std::string::npos) << notch.problem;
    // A round hole of radius 0.5 vanishes inside a kerf of 1.5.
    const std::vector<Piece> hole = {Arc({0.5, 0}, {-0.5, 0}, {0, 0}, true), Arc({-0.5, 0}, {0.5, 0}, {0, 0}, true)};
    const OffsetContour gone = OffsetClosedContour(hole, 0.75, true, 1e-9);
    EXPECT_TRUE(gone.path.empty());
    EXPECT_EQ(gone.vanished, 2);
    EXPECT_NE(gone.problem, "");
}

}  // namespace
}  // namespace zorvan
