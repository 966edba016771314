// Contour areas with their sign, the circle and arc contributions, reversal and orientation of parts.
#include "geometry/area.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "geometry/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "support/part_list.h"
#include "support/pen.h"

namespace zorvan {
namespace {

constexpr double kPI = 3.141592654;

std::string Contour(std::initializer_list<std::string> records) {
    std::string text;
    for (const std::string& record : records) text += record + "|";
    return text;
}

std::string Line(double x1, double y1, double x2, double y2) { return MakeLineRecord(x1, y1, 0, x2, y2, 0); }

const std::string kUnitSquareCounterClockwise =
    Contour({Line(0, 0, 1, 0), Line(1, 0, 1, 1), Line(1, 1, 0, 1), Line(0, 1, 0, 0)});
const std::string kUnitSquareClockwise =
    Contour({Line(0, 0, 0, 1), Line(0, 1, 1, 1), Line(1, 1, 1, 0), Line(1, 0, 0, 0)});

TEST(Area, SquaresCarryTheSignOfTheirSense) {
    EXPECT_EQ(CalcArea(kPI, kUnitSquareCounterClockwise), -1);
    EXPECT_EQ(CalcArea(kPI, kUnitSquareClockwise), 1);
    // Without the closing "|" the last record is not counted.
    EXPECT_EQ(CalcArea(kPI, kUnitSquareCounterClockwise.substr(0, kUnitSquareCounterClockwise.size() - 1)), -1);
    // Clockwise from the right side, the top edge last: without its "|" the top edge is lost.
    EXPECT_EQ(CalcArea(kPI, Contour({Line(1, 1, 1, 0), Line(1, 0, 0, 0), Line(0, 0, 0, 1)}) + Line(0, 1, 1, 1)), 0);
    EXPECT_EQ(CalcArea(kPI, ""), 0);
    EXPECT_EQ(KAREA(kPI, "no letters"), 0);
}

TEST(Area, QuarterDiscFromChords) {
    const std::string quarter = Contour({MakeArcRecord(0, 0, 1, 0, 90, '+', 1, 0, 0, 1), Line(0, 1, 0, 0), Line(0, 0, 1, 0)});
    EXPECT_EQ(DefaultNumber(CalcArea(kPI, quarter)).substr(0, 8), "-0.78036");
}

TEST(Area, CircleIsPiRSquaredSignedBySense) {
    EXPECT_EQ(KAREA(kPI, "5 5 0 2 - 3 5 K"), kPI * 2 * 2);
    EXPECT_EQ(KAREA(kPI, "5 5 0 2 + 3 5 K"), -(kPI * 2 * 2));
    EXPECT_EQ(KAREA(kPI, "5 5 0 2 x 3 5 K"), -(kPI * 2 * 2));
    EXPECT_EQ(CalcArea(kPI, "5 5 0 2 - 3 5 K|"), kPI * 4);
}

// A 95 degree sector: the arc leaves 5 degrees uncovered by whole 11.25 degree chords (less than half a
// step), and the closing piece to the end angle makes the area the same wherever the sector lies.
TEST(Area, ArcAreaDoesNotDependOnWhereTheArcLies) {
    const auto sector = [](double cy) {
        const std::string arc = "0 " + DefaultNumber(cy) + " 0 10 0 95 + 10 " + DefaultNumber(cy) + " 0 0 A";
        const double endX = 10 * std::cos(kPI / 180 * 95), endY = cy + 10 * std::sin(kPI / 180 * 95);
        return Contour({arc, Line(endX, endY, 0, cy), Line(0, cy, 10, cy)});
    };
    const double atOrigin = CalcArea(kPI, sector(0));
    EXPECT_EQ(DefaultNumber(atOrigin).substr(0, 6), "-82.39");  // the chord polygon, a little inside the arc
    EXPECT_NEAR(CalcArea(kPI, sector(1000)), atOrigin, 1e-6);
    EXPECT_NEAR(CalcArea(kPI, sector(-25000)), atOrigin, 1e-5);
    // The same arc clockwise runs the other way round: positive.
    EXPECT_GT(AREA_ARC(kPI, "0 0 0 10 95 0 - 0 10 10 0 A"), 0);
}

TEST(Area, FullTurnAndOverflowingContours) {
    const std::string full = "0 0 0 1 0 360 + 1 0 1 0 A";
    const std::string chords = ArcToChords(kPI, 16, 0, 0, 1, 0, 360, "+");
    EXPECT_EQ(std::count(chords.begin(), chords.end(), '|'), 32);
    EXPECT_NEAR(AREA_ARC(kPI, full), -kPI, 0.03);  // 32 chords round the unit circle
    EXPECT_EQ(CalcArea(kPI, Contour({Line(0, 0, 1e308, 0), Line(1e308, 1e308, -1e308, 1e308)})), 0);  // inf -> 0
}

// Contours built from arcs too short for a chord (under 5.625 degrees), far from the origin, drawn both ways.
struct ShortArcContour {
    const char* what;
    RecordList records;  // counter-clockwise
    double exactArea;    // of the true shape
};

// The record of the arc about (cx, cy) from `a0` to `a1` degrees, counter-clockwise, its ends by true trigonometry.
RecordValues ArcRecord(double cx, double cy, double r, double a0, double a1) {
    const double k = std::numbers::pi / 180;
    return RecordValues(MakeArcRecord(cx, cy, r, a0, a1, '+', cx + r * std::cos(k * a0), cy + r * std::sin(k * a0),
                                      cx + r * std::cos(k * a1), cy + r * std::sin(k * a1)));
}

std::vector<ShortArcContour> ShortArcContours() {
    ShortArcContour ring{"ring of 100 arcs of 3.6 degrees", {}, std::numbers::pi * 40 * 40};
    for (int k = 0; k < 100; ++k) ring.records.push_back(ArcRecord(5000, 6000, 40, 3.6 * k, 3.6 * (k + 1)));

    // A slot 80 long between its centres, 20 wide, its axis at 30 degrees; each round end is 90 arcs of 2 degrees.
    ShortArcContour slot{"slot with ends of 2 degree arcs", {}, 80 * 20 + std::numbers::pi * 10 * 10};
    const double c1x = 5000, c1y = 6000, c2x = c1x + 80 * std::cos(std::numbers::pi / 6), c2y = c1y + 40;
    const auto end = [&](double cx, double cy, int from) {
        for (int a = from; a < from + 180; a += 2) slot.records.push_back(ArcRecord(cx, cy, 10, a % 360, (a + 2) % 360));
    };
    const auto side = [&](int a, double fromX, double fromY, double toX, double toY) {
        const double dx = 10 * std::cos(std::numbers::pi / 180 * a), dy = 10 * std::sin(std::numbers::pi / 180 * a);
        slot.records.emplace_back(Line(fromX + dx, fromY + dy, toX + dx, toY + dy));
    };
    side(300, c1x, c1y, c2x, c2y);
    end(c2x, c2y, 300);
    side(120, c2x, c2y, c1x, c1y);
    end(c1x, c1y, 120);
    return {ring, slot};
}

RecordList Reversed(const RecordList& records) {
    RecordList reversed;
    for (size_t k = records.size(); k-- > 0;) reversed.push_back(records[k].Reversed());
    return reversed;
}

// Each arc counts as the one chord from its start to its end angle, so the polygon closes: the area has the
// contour's sign (clockwise positive) and, within the chords' shortfall, its size.
TEST(Area, ArcsTooShortForAChordStillCloseTheContour) {
    for (const ShortArcContour& contour : ShortArcContours()) {
        SCOPED_TRACE(contour.what);
        EXPECT_NEAR(CalcArea(kPI, contour.records), -contour.exactArea, contour.exactArea * 1e-3);
        EXPECT_NEAR(CalcArea(kPI, Reversed(contour.records)), contour.exactArea, contour.exactArea * 1e-3);
    }
}

// "Equal" is read as the sweep takes the angles: the same once each is brought into one turn and the end
// moved a turn for the sense. A counter-clockwise 0 to 360 is a whole turn of 32 chords instead; two degrees
// are one piece.
TEST(Area, AnglesTheSweepTakesAsEqualAddNothing) {
    for (const char* arc : {"0 0 0 1 30 30 + 1 0 1 0 A", "5000 6000 0 1 30 30 - 1 0 1 0 A",
                            "5000 6000 0 1 30 390 + 1 0 1 0 A", "5000 6000 0 1 0 360 - 1 0 1 0 A"}) {
        EXPECT_EQ(AREA_ARC(kPI, arc), 0) << arc;
    }
    EXPECT_EQ(DefaultNumber(AREA_ARC(kPI, "0 10 0 1 90 92 + 0 11 -.0349 10.9994 A")), "-0.383883833860893");
}

// ----- The exact area -----

// A pen's path as records, each arc's angles in 0..360 degrees, numbers written in the default form as the
// reader writes them.
RecordList Records(const std::vector<testing::PenPiece>& pieces) {
    RecordList records;
    const auto inTurn = [](double degrees) { return std::fmod(std::fmod(degrees, 360) + 360, 360); };
    for (const testing::PenPiece& p : pieces) {
        if (!p.IsArc()) {
            records.emplace_back(Line(p.start.x, p.start.y, p.end.x, p.end.y));
            continue;
        }
        records.emplace_back(MakeArcRecord(p.centre.x, p.centre.y, p.radius, inTurn(p.StartDeg()),
                                           inTurn(p.StartDeg() + p.sweepDeg), p.sweepDeg > 0 ? '+' : '-', p.start.x,
                                           p.start.y, p.end.x, p.end.y));
    }
    return records;
}

// The area of the records sampled finely, clockwise positive: each arc, read from its centre, radius, angles
// and sense, as chords no longer than 0.005 and of at most 5e-5 radians (for the contours here the polygon
// falls short of the arcs by less than 2e-10 of the area); the shoelace sum about the first point.
double FinePolygonArea(const RecordList& records) {
    std::vector<testing::Pt> points;
    for (const RecordValues& record : records) {
        if (!record.IsArc()) {
            points.push_back({record.StartX(), record.StartY()});
            continue;
        }
        const ArcValues a = record.Arc();
        const double sign = a.sense == '-' ? -1 : 1;
        const double sweepDeg = std::fmod(std::fmod(sign * (a.endDeg - a.startDeg), 360) + 360, 360);
        const double sweep = sweepDeg * std::numbers::pi / 180;
        const double from = a.startDeg * std::numbers::pi / 180, step = std::min(5e-5, 5e-3 / a.r);
        const auto count = static_cast<int>(std::ceil(sweep / step));
        for (int k = 0; k < count; ++k) {
            const double t = from + sign * sweep * k / count;
            points.push_back({a.cx + a.r * std::cos(t), a.cy + a.r * std::sin(t)});
        }
    }
    double twice = 0;
    const testing::Pt o = points.front();
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        twice += (points[j].x - o.x) * (points[i].y - o.y) - (points[i].x - o.x) * (points[j].y - o.y);
    }
    return -twice / 2;
}

struct ExactCase {
    const char* what;
    std::vector<testing::PenPiece> pieces;
};

// Contours whose arcs the chord sum weighs badly (see support/pen.h), and a slot 20 long with round ends of
// radius 0.5 whose arcs cross 0 degrees.
std::vector<ExactCase> ExactCases() {
    return {
        {"letter", testing::LetterD({5000, 6000})},
        {"crescent", testing::HairlineCrescent({0, 3000})},
        {"slot", testing::Pen({0, 0}, 0).Run(20).Turn(0.5, 180).Run(20).Turn(0.5, 180).Close()},
    };
}

// The exact area agrees with a fine polygon of the contour to 1e-9 of its size, both ways round, wherever
// arcs from 0.5 to 10000 in radius turn either way; the chord sum is further off, and for the crescent has
// the other sign.
TEST(ExactArea, AgreesWithAFinePolygonOfArcsOfEveryRadius) {
    for (const ExactCase& c : ExactCases()) {
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (reversed ? ", reversed" : ""));
            const RecordList records = reversed ? Reversed(Records(c.pieces)) : Records(c.pieces);
            const double fine = FinePolygonArea(records);
            EXPECT_NEAR(ExactArea(records), fine, std::fabs(fine) * 1e-9);
            EXPECT_GT(std::fabs(CalcArea(kPI, records) - fine), std::fabs(fine) * 1e-6);
        }
    }
    const RecordList crescent = Records(ExactCases()[1].pieces);
    EXPECT_GT(ExactArea(crescent), 0);
    EXPECT_LT(CalcArea(kPI, crescent), 0);
}

// Circles count whole with full-precision pi; arcs whose angles the sweep takes as equal add only their chord;
// a contour that stops short counts as closed back to its first point; no records, or a sum that is not a
// number, give 0.
TEST(ExactArea, CirclesDegenerateArcsAndOddContours) {
    const auto area = [](std::initializer_list<std::string> texts) {
        RecordList records;
        for (const std::string& text : texts) records.emplace_back(text);
        return ExactArea(records);
    };
    EXPECT_EQ(area({"5 5 0 2 - 3 5 K"}), std::numbers::pi * 4);
    EXPECT_EQ(area({"5 5 0 2 + 3 5 K"}), -std::numbers::pi * 4);
    EXPECT_NEAR(area({"0 0 0 1 0 360 + 1 0 1 0 A"}), -std::numbers::pi, 1e-15);
    EXPECT_EQ(area({"0 0 0 1 30 30 + 1 0 1 0 A"}), 0);
    EXPECT_NEAR(area({"0 0 0 1 0 180 + 1 0 -1 0 A", Line(-1, 0, 1, 0)}), -std::numbers::pi / 2, 1e-15);
    EXPECT_EQ(area({Line(10, 10, 12, 10), Line(12, 10, 12, 12)}), -2);  // closed by the run back to (10, 10)
    EXPECT_EQ(area({}), 0);
    EXPECT_EQ(area({Line(0, 0, 1e308, 0), Line(1e308, 1e308, -1e308, 1e308)}), 0);
}

class OrientationTest : public ::testing::Test {
protected:
    void Parts(std::initializer_list<std::string> entries) { testing::SetParts(*program, entries); }
    const std::string& Part(size_t i) const { return program->partList[i]; }

    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(OrientationTest, ReversePathTurnsRecordsAndOrderAndResetsTheHeader) {
    Parts({"OO 0 0 9 9:" + kUnitSquareCounterClockwise + ":NOTS NOTD -1:"});
    ReversePath(*program, 0);
    EXPECT_EQ(Part(0), "OO 0 0 0 0:0 0 0 0 1 0 D|0 1 0 1 1 0 D|1 1 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD -1");
}

TEST_F(OrientationTest, OutsideRunsClockwiseInsideCounterClockwise) {
    Parts({"II 0 0 0 0:" + kUnitSquareClockwise + ":NOTS NOTD 1:",
           "II 0 0 0 0:" + kUnitSquareCounterClockwise + ":NOTS NOTD -1:",
           "OO 0 0 0 0:" + kUnitSquareCounterClockwise + ":NOTS NOTD -1:",
           "OO 0 0 0 0:" + kUnitSquareClockwise + ":NOTS NOTD 1:",
           "II 0 0 0 0:0 0 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD 0:"});
    CCW_OR_CW(*program);
    EXPECT_EQ(CalcArea(kPI, PartFields(Part(0)).records), -1);
    EXPECT_EQ(Part(1), "II 0 0 0 0:" + kUnitSquareCounterClockwise + ":NOTS NOTD -1:");  // untouched
    EXPECT_EQ(CalcArea(kPI, PartFields(Part(2)).records), 1);
    EXPECT_EQ(Part(2).substr(0, 11), "OO 0 0 0 0:");
    EXPECT_EQ(Part(3), "OO 0 0 0 0:" + kUnitSquareClockwise + ":NOTS NOTD 1:");
    EXPECT_EQ(Part(4), "II 0 0 0 0:0 0 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD 0:");  // area 0: never reversed
}

TEST_F(OrientationTest, CirclesTakeTheSenseOfTheirMarker) {
    Parts({"OO 3 5 3 5:5 5 0 2 + 3 5 K|:NOTS NOTD -12.5663706:", "II 3 5 3 5:5 5 0 2 - 3 5 K|:NOTS NOTD 12.5:",
           "XX 3 5 3 5:5 5 0 2 + 3 5 K|:NOTS NOTD 1:"});
    CCW_OR_CW(*program);
    EXPECT_EQ(Part(0), "OO 3 5 3 5:5 5 0 2 - 3 5 K|:NOTS NOTD -12.5663706");
    EXPECT_EQ(Part(1), "II 3 5 3 5:5 5 0 2 + 3 5 K|:NOTS NOTD 12.5");
    EXPECT_EQ(Part(2), "XX 3 5 3 5:5 5 0 2 + 3 5 K|:NOTS NOTD 1");
}

}  // namespace
}  // namespace zorvan
