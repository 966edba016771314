// The model of the controller's cutter compensation: worked cases, and the same and random cuts run through
// LinuxCNC's rs274, whose verdicts the model must match (accepted, or the same refusal on the same move).
#include "geometry/compensation.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "support/rs274.h"

namespace zorvan {
namespace {

using Fault = CompensationFault;
using Kind = PathMove::Kind;
constexpr CompensationSide L = CompensationSide::Left, R = CompensationSide::Right;

// A number as the program writer writes it (six decimals), and the value the controller reads back.
std::string Text(double value) {
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6).ptr};
}

double Written(double value) {
    const std::string text = Text(value);
    double read = 0;
    std::from_chars(text.data(), text.data() + text.size(), read);
    return read;
}

Point2 P(double x, double y) { return {Written(x), Written(y)}; }
PathMove Line(double x, double y) { return {Kind::Line, P(x, y), {}}; }
PathMove Rapid(double x, double y) { return {Kind::Rapid, P(x, y), {}}; }
PathMove Cw(double x, double y, double cx, double cy) { return {Kind::ClockwiseArc, P(x, y), P(cx, cy)}; }
PathMove Ccw(double x, double y, double cx, double cy) { return {Kind::CounterClockwiseArc, P(x, y), P(cx, cy)}; }

struct Cut {
    CompensationSide side = L;
    Point2 from;
    std::vector<PathMove> moves;
};

// The rows of a cut as the writer writes them: the rapid to the pierce point, compensation on, the moves,
// compensation off. Move i is row i + 2.
std::vector<std::string> Rows(const Cut& cut) {
    std::vector<std::string> rows{"G0 X " + Text(cut.from.x) + " Y " + Text(cut.from.y), cut.side == L ? "G41" : "G42"};
    for (const PathMove& m : cut.moves) {
        const std::string to = "X " + Text(m.end.x) + " Y " + Text(m.end.y);
        switch (m.kind) {
            case Kind::Line:
                rows.push_back("G1 " + to);
                break;
            case Kind::Rapid:
                rows.push_back("G0 " + to);
                break;
            case Kind::ClockwiseArc:
            case Kind::CounterClockwiseArc:
                rows.push_back((m.kind == Kind::ClockwiseArc ? "G2 I " : "G3 I ") + Text(m.centre.x) + "  J " +
                               Text(m.centre.y) + " " + to);
                break;
        }
    }
    rows.push_back("G40");
    return rows;
}

std::string Describe(const CompensationVerdict& v) {
    if (v.fault == Fault::None) return "accepted";
    return "\"" + std::string(FaultText(v.fault)) + "\" at move " + std::to_string(v.move);
}

// Why the model's verdict and rs274's differ; empty when they agree.
std::string Disagreement(const CompensationVerdict& model, const testing::Rs274Verdict& rs274) {
    if (!rs274.trouble.empty()) return "rs274 could not tell: " + rs274.trouble;
    const std::string theirs =
        rs274.accepted ? "accepted" : "\"" + rs274.message + "\" at row " + std::to_string(rs274.row);
    const bool same = rs274.accepted
                          ? model.fault == Fault::None
                          : model.fault != Fault::None && rs274.message.starts_with(FaultText(model.fault)) &&
                                rs274.row == model.move + 2;
    return same ? "" : "model " + Describe(model) + ", rs274 " + theirs;
}

// Runs `cuts` through the model and rs274 (tool `tool`) and returns a report of each disagreement.
std::vector<std::string> Disagreements(const std::vector<Cut>& cuts, const testing::Rs274Tool& tool, bool inches,
                                       const std::vector<std::string>& names) {
    std::vector<std::vector<std::string>> programs;
    for (const Cut& cut : cuts) programs.push_back(Rows(cut));
    const std::vector<testing::Rs274Verdict> verdicts = testing::RunRs274(programs, tool, inches);
    std::vector<std::string> found;
    for (size_t k = 0; k < cuts.size(); ++k) {
        const double radius = inches ? tool.radiusInches : tool.radiusMm;
        const ProgramUnits units = inches ? ProgramUnits::Inches : ProgramUnits::Millimetres;
        const CompensationVerdict model =
            FollowCompensatedPath(cuts[k].from, cuts[k].moves, cuts[k].side, radius, units);
        if (const std::string why = Disagreement(model, verdicts[k]); !why.empty()) {
            std::string program;
            for (const std::string& row : programs[k]) program += "\n    " + row;
            found.push_back(names[k] + ": " + why + program);
        }
    }
    return found;
}

// ---- Worked cases -------------------------------------------------------------------------------------------

// A tool of rs274's table: its diameter in inches, and whether the program is in inches.
struct TableTool {
    const char* diameterInches;
    bool inches;
};

constexpr TableTool kKerf15{"0.059055118110236222", false};     // 1.5 mm: rs274's radius is 0.74999999999995
constexpr TableTool kExact075{"0.059055118110239994", false};   // radius 0.75 to the last bit
constexpr TableTool kKerf15Inch{"0.059055118110236222", true};  // the same tool in an inch program
constexpr TableTool kKerf3{"0.11811023622047244", false};       // 3 mm
constexpr TableTool kNoKerf{"0", false};
constexpr TableTool kNegative15{"-0.059055118110236222", false};  // a negative diameter swaps the side

struct Worked {
    const char* name;
    TableTool tool;
    Cut cut;
    CompensationVerdict expected;
};

// A 10 x 10 square from (5,0), counter-clockwise, after `entry`.
std::vector<PathMove> Square(std::vector<PathMove> entry) {
    for (const PathMove& m : {Line(10, 0), Line(10, 10), Line(0, 10), Line(0, 0), Line(5, 0)}) entry.push_back(m);
    return entry;
}

// A chamfer of 0.003 at the square's corner (10,0).
std::vector<PathMove> ChamferedSquare() {
    return {Line(5, 0), Line(9.997, 0), Line(10, 0.003), Line(10, 10), Line(0, 10), Line(0, 0), Line(5, 0)};
}

// A slot from x 2 to 8, `width` wide, entered from (4, 0.3) at (4, -width/2), with square or round ends.
Cut Slot(double width, bool round) {
    const double h = width / 2;
    if (round) return {L, P(2, 0.3), {Line(2, -h), Line(8, -h), Ccw(8, h, 8, 0), Line(2, h), Ccw(2, -h, 2, 0)}};
    return {L, P(4, 0.3), {Line(4, -h), Line(8, -h), Line(8, h), Line(2, h), Line(2, -h), Line(4, -h)}};
}

// A hole of `radius` about the origin, counter-clockwise in two halves, with the lead-in from `pierce`.
Cut Hole(double radius, Point2 pierce, CompensationSide side = L) {
    return {side, pierce, {Line(radius, 0), Ccw(-radius, 0, 0, 0), Ccw(radius, 0, 0, 0)}};
}

// clang-format off
const std::vector<Worked>& WorkedCases() {
    using enum Fault;
    static const std::vector<Worked> cases = {
        // Entry moves.
        {"square outside, lead-in square to the edge", kKerf15, {R, P(5, -2), Square({Line(5, 0)})}, {}},
        {"square inside, lead-in square to the edge", kKerf15, {L, P(5, 2), Square({Line(5, 0)})}, {}},
        {"lead-in shorter than the radius", kKerf15, {R, P(5, -0.5), Square({Line(5, 0)})}, {ShortEntry, 0}},
        {"lead-in of half the kerf", kKerf15, {R, P(5, -0.75), Square({Line(5, 0)})}, {}},
        {"lead-in equal to the radius", kExact075, {R, P(5, -0.75), Square({Line(5, 0)})}, {ShortEntry, 0}},
        {"lead-in a hair longer than the radius", kExact075, {R, P(5, -0.750001), Square({Line(5, 0)})}, {}},
        {"lead-in of no length", kKerf15, {R, P(5, 0), Square({Line(5, 0)})}, {ShortEntry, 0}},
        {"lead-in doubling back on the first edge", kKerf15, {R, P(8, -0.2), Square({Line(5, 0)})},
         {StraightFeedConcaveCorner, 2}},
        {"lead-in at a sharp concave angle, G41", kKerf15, {L, P(8, 1), Square({Line(5, 0)})},
         {StraightFeedConcaveCorner, 2}},
        {"rapid as the entry, then the lead-in", kKerf15, {R, P(5, -5), Square({Rapid(5, -2), Line(5, 0)})}, {}},
        {"rapid doubling back after the entry", kKerf15, {L, P(0, 0), {Line(3, 0), Rapid(2.9, 0.05), Line(2.9, 5)}},
         {StraightTraverseConcaveCorner, 2}},
        {"arc entry from its own circle", kKerf15, {L, P(-2, 0), {Ccw(0, -2, 0, 0), Line(5, -2)}}, {}},
        {"arc entry from off its circle", kKerf15, {L, P(-2.5, 0), {Ccw(0, -2, 0, 0), Line(5, -2)}},
         {ArcRadiiDiffer, 0}},
        {"arc entry with a short chord", kKerf15, {L, P(-2, 0), {Ccw(-1.9, -0.6, 0, 0), Line(5, -2)}},
         {ShortEntryArc, 0}},
        // Corners and short segments.
        {"inside square with a 0.003 chamfer", kKerf15, {L, P(5, 2), ChamferedSquare()},
         {StraightFeedConcaveCorner, 3}},
        {"outside square with a 0.003 chamfer", kKerf15, {R, P(5, -2), ChamferedSquare()}, {}},
        {"inside notch 0.01 deep", kKerf15,
         {L, P(5, 2), {Line(5, 0), Line(7, 0), Line(7, -0.01), Line(7.01, -0.01), Line(7.01, 0), Line(10, 0)}},
         {StraightFeedConcaveCorner, 3}},
        {"inside corner of 10 degrees", kKerf15, {L, P(0, 2), {Line(0, 0), Line(4, 0), Line(0.06, 0.6946)}},
         {StraightFeedConcaveCorner, 2}},
        {"inside corner of 10 degrees, long legs", kKerf15,
         {L, P(0, 2), {Line(0, 0), Line(10, 0), Line(0.152, 1.7365)}}, {}},
        {"inside corner of 179 degrees", kKerf15, {L, P(0, 2), {Line(0, 0), Line(4, 0), Line(8, 0.0698)}}, {}},
        {"repeated point on an edge", kKerf15, {L, P(5, 2), Square({Line(5, 0), Line(5, 0)})}, {}},
        {"last edge too short for its corner", kKerf15,
         {L, P(5, 2), {Line(5, 0), Line(10, 0), Line(10, 10), Line(9.5, 10)}}, {StraightFeedConcaveCorner, 4}},
        // Holes, slots and arcs.
        {"hole of radius 2, two halves", kKerf15, Hole(2, P(0, 0)), {}},
        {"hole of radius 2, one full circle", kKerf15, {L, P(0, 0), {Line(2, 0), Ccw(2, 0, 0, 0)}}, {}},
        {"hole of radius 1.4, lead-in from the centre", kKerf15, Hole(1.4, P(0, 0)), {ArcConcaveCorner, 1}},
        {"hole of radius 1.6, lead-in from the centre", kKerf15, Hole(1.6, P(0, 0)), {}},
        {"hole of radius 0.8, lead-in from the centre side", kKerf15, Hole(0.8, P(-0.2, 0)), {ArcConcaveCorner, 1}},
        {"hole of radius 0.8, lead-in along the tool's circle", kKerf15, Hole(0.8, P(1.2, -0.9)), {}},
        {"hole of radius 0.75", kKerf15, Hole(0.75, P(-0.5, 0.5)), {ArcConcaveCorner, 1}},
        {"hole of radius 0.75, exact radius", kExact075, Hole(0.75, P(-0.5, 0.5)), {ArcTooSmall, 1}},
        {"hole of radius 0.7, G41", kKerf15, Hole(0.7, P(-0.3, 0)), {ArcTooSmall, 1}},
        {"hole of radius 0.7, G42 clockwise", kKerf15, {R, P(-0.3, 0), {Line(0.7, 0), Cw(-0.7, 0, 0, 0)}},
         {ArcTooSmall, 1}},
        {"boss of radius 0.5, outside", kKerf15, Hole(0.5, P(2, 0), R), {}},
        {"round-ended slot 1.4 wide", kKerf15, Slot(1.4, true), {ArcTooSmall, 2}},
        {"round-ended slot 1.6 wide", kKerf15, Slot(1.6, true), {}},
        {"rectangular slot 1.4 wide", kKerf15, Slot(1.4, false), {StraightFeedConcaveCorner, 3}},
        {"rectangular slot 1.6 wide", kKerf15, Slot(1.6, false), {}},
        {"arc into a concave corner with a line", kKerf15, {L, P(-1, 3), {Line(0, 3), Cw(3, 0, 0, 0), Line(3, 5)}},
         {}},
        {"line into a concave corner with an arc", kKerf15, {L, P(-3, 0), {Line(0, 0), Line(5, 0), Ccw(5, 4, 5, 2)}},
         {}},
        {"two arcs meeting in a cusp", kKerf15, {L, P(0, -2), {Line(0, 0), Cw(4, 0, 2, 0), Cw(8, 0, 6, 0)}}, {}},
        {"small arc square off a large one, tool inside", kKerf15,
         {L, P(0, -1), {Line(0, -3), Ccw(3, 0, 0, 0), Ccw(2, -1, 3, -1)}}, {ArcToArcCorner, 2}},
        {"arc turning back on its own circle", kKerf15, {L, P(0, -3), {Line(2, 0), Ccw(0, 2, 0, 0), Cw(2, 0, 0, 0)}},
         {ArcsShareCentre, 2}},
        {"arc then a line back across it", kKerf15, {L, P(0, -3), {Line(2, 0), Ccw(0, 2, 0, 0), Line(1.9, 0.1)}},
         {ArcToStraightCorner, 2}},
        {"h shape: arc down, then a line straight back up", kKerf15,
         {R, P(4, -2), {Line(4, 0), Ccw(0, 0, 2, 0), Line(0, 5)}}, {}},
        {"arc pulled back 0.0248 rad behind its start", kKerf15,
         {L, P(0.551701, -1.458164), {Line(2.571770, -0.879187), Cw(3.216940, -1.092972, 2.902249, -0.962257),
                                      Cw(3.260929, -0.690233, 2.651796, -0.827472), Line(1.911297, -3.369504)}},
         {}},
        {"arc pulled back 0.0265 rad behind its start", kKerf15,
         {L, P(2.405042, -0.041837), {Line(-1.948248, -1.837644), Cw(-2.134884, -1.853174, -2.067055, -1.539080),
                                      Cw(-2.082132, -1.216484, -2.054532, -1.539301), Line(-5.054577, -1.622159)}},
         {ArcConcaveCorner, 3}},
        // Arcs refused whatever the tool.
        {"arc starting on its centre", kKerf15, {L, P(0, -3), {Line(0, 0), Ccw(1, 0, 0, 0)}}, {ZeroRadiusArc, 1}},
        {"arc ending 0.05 off a circle of 2", kKerf15, {L, P(0, -3), {Line(2, 0), Ccw(0, 2.05, 0, 0)}},
         {ArcRadiiDiffer, 1}},
        {"arc ending 0.02 off a circle of 10", kKerf15, {L, P(10, -3), {Line(10, 0), Ccw(0, 10.02, 0, 0)}}, {}},
        {"inch arc ending 0.02 off a circle of 10", kKerf15Inch, {L, P(10, -3), {Line(10, 0), Ccw(0, 10.02, 0, 0)}},
         {ArcRadiiDiffer, 1}},
        {"arc ending 0.2 off a circle of 100", kKerf15, {L, P(100, -3), {Line(100, 0), Ccw(0, 100.2, 0, 0)}},
         {ArcRadiiDiffer, 1}},
        // Other tools.
        {"3 mm kerf, hole of radius 2", kKerf3, Hole(2, P(0, 0)), {ArcConcaveCorner, 1}},
        {"3 mm kerf, slot 2.8 wide", kKerf3, Slot(2.8, false), {StraightFeedConcaveCorner, 3}},
        {"no kerf, lead-in of no length", kNoKerf, {R, P(5, 0), Square({Line(5, 0)})}, {}},
        {"negative kerf, hole of radius 0.7 with G42", kNegative15, {R, P(-0.3, 0), {Line(0.7, 0), Ccw(-0.7, 0, 0, 0)}},
         {ArcTooSmall, 1}},
    };
    return cases;
}
// clang-format on

double RadiusOf(const TableTool& t) {
    const testing::Rs274Tool tool = testing::ToolOfDiameter(t.diameterInches);
    return t.inches ? tool.radiusInches : tool.radiusMm;
}

TEST(Compensation, FollowsTheWorkedCases) {
    for (const Worked& w : WorkedCases()) {
        const ProgramUnits units = w.tool.inches ? ProgramUnits::Inches : ProgramUnits::Millimetres;
        const CompensationVerdict got =
            FollowCompensatedPath(w.cut.from, w.cut.moves, w.cut.side, RadiusOf(w.tool), units);
        EXPECT_EQ(Describe(got), Describe(w.expected)) << w.name;
    }
    EXPECT_GE(WorkedCases().size(), 50u);
}

TEST(Compensation, StaysLinearAndSafeOnAnyInput) {
    std::vector<PathMove> zigzag{Line(0, 0)};  // 100000 moves, each corner sending the held move on
    for (int i = 1; i <= 100000; ++i) zigzag.push_back(Line(i, i % 2 == 0 ? 0 : 10));
    EXPECT_EQ(Describe(FollowCompensatedPath({-5, 0}, zigzag, R, 0.75)), "accepted");

    const double nan = std::nan(""), inf = HUGE_VAL;
    const std::vector<PathMove> hole{Line(0.7, 0), Ccw(-0.7, 0, 0, 0)};
    EXPECT_EQ(Describe(FollowCompensatedPath({0, 0}, hole, L, nan)), "accepted");  // compensates nothing
    for (const double bad : {nan, inf, -inf}) {
        const std::vector<PathMove> moves{Line(bad, 1), Ccw(2, bad, 0, 0), Cw(bad, bad, bad, 0), Line(3, 3)};
        for (size_t n = 0; n <= moves.size(); ++n) {
            const std::span<const PathMove> path(moves.data(), n);
            EXPECT_LE(FollowCompensatedPath({0, 0}, path, L, 0.75).move, n);
            EXPECT_LE(FollowCompensatedPath({bad, 0}, path, R, 0.75).move, n);
        }
    }
}

TEST(Compensation, WorkedCasesAgreeWithTheController) {
    if (!testing::Rs274Path()) GTEST_SKIP() << "LinuxCNC's rs274 is not installed (Debian package linuxcnc-uspace)";
    std::map<std::pair<std::string, bool>, std::pair<std::vector<Cut>, std::vector<std::string>>> byTool;
    for (const Worked& w : WorkedCases()) {
        auto& [cuts, names] = byTool[{w.tool.diameterInches, w.tool.inches}];
        cuts.push_back(w.cut);
        names.push_back(w.name);
    }
    for (const auto& [tool, group] : byTool) {
        for (const std::string& found :
             Disagreements(group.first, testing::ToolOfDiameter(tool.first), tool.second, group.second)) {
            ADD_FAILURE() << found;
        }
    }
}

// ---- Random cuts --------------------------------------------------------------------------------------------

// Small random cuts: an entry move (mostly a line, now and then a rapid or an arc from the pierce point), then
// lines and arcs of a few millimetres, some tiny, some tangent to the move before or turning back on it, arcs
// about as big as the tool, whole circles, some contours closed; coordinates as written (six decimals).
class RandomCuts {
public:
    explicit RandomCuts(uint32_t seed) : rng_(seed) {}

    Cut Next() {
        Cut cut;
        cut.side = Chance(0.5) ? L : R;
        cut.from = at_ = P(Uniform(-3, 3), Uniform(-3, 3));
        arc_ = false;
        heading_ = Uniform(-kPi, kPi);
        const double entry = Uniform(0, 1);
        if (entry < 0.15) {
            cut.moves.push_back(NextArc());
        } else {
            cut.moves.push_back(NextLine(entry < 0.25));
        }
        const Point2 start = at_;
        const int count = 1 + static_cast<int>(rng_() % 6);
        for (int i = 0; i < count; ++i) cut.moves.push_back(Chance(0.6) ? NextLine(false) : NextArc());
        if (Chance(0.3)) cut.moves.push_back(Line(start.x, start.y));
        return cut;
    }

private:
    static constexpr double kPi = std::numbers::pi;

    double Uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(rng_()) / 4294967296.0);
    }
    bool Chance(double p) { return Uniform(0, 1) < p; }
    double Length() { return Chance(0.15) ? Uniform(0.001, 0.05) : Uniform(0.2, 5); }

    PathMove NextLine(bool rapid) {
        const double choice = Uniform(0, 1);
        const double angle = choice < 0.2    ? heading_
                             : choice < 0.35 ? heading_ + Uniform(-0.08, 0.08)
                             : choice < 0.5  ? heading_ + kPi + Uniform(-0.3, 0.3)
                                             : Uniform(-kPi, kPi);
        const double length = Length();
        const Point2 end = P(at_.x + length * std::cos(angle), at_.y + length * std::sin(angle));
        if (end.x != at_.x || end.y != at_.y) heading_ = std::atan2(end.y - at_.y, end.x - at_.x);
        at_ = end;
        arc_ = false;
        return {rapid || Chance(0.04) ? Kind::Rapid : Kind::Line, end, {}};
    }

    PathMove NextArc() {
        const bool ccw = Chance(0.5);
        const double radius = Chance(0.3) ? Uniform(0.5, 1.2) : Uniform(0.1, 5);
        const double choice = Uniform(0, 1);
        const double toCentre = choice < 0.4 ? heading_ + (ccw ? kPi / 2 : -kPi / 2) : Uniform(-kPi, kPi);
        Point2 centre = P(at_.x + radius * std::cos(toCentre), at_.y + radius * std::sin(toCentre));
        if (arc_ && choice > 0.95) centre = centre_;      // on round the same circle, either way
        if (choice > 0.4 && choice < 0.42) centre = at_;  // no radius
        const double startAngle = std::atan2(at_.y - centre.y, at_.x - centre.x);
        const double sweep = Chance(0.1) ? 0 : Uniform(0.02, 2 * kPi - 0.02);
        const double endAngle = startAngle + (ccw ? sweep : -sweep);
        double r = std::hypot(at_.x - centre.x, at_.y - centre.y);
        if (Chance(0.05)) r += Uniform(-0.1, 0.1);  // an end off the circle
        const Point2 end = sweep == 0 ? at_ : P(centre.x + r * std::cos(endAngle), centre.y + r * std::sin(endAngle));
        heading_ = std::atan2(end.y - centre.y, end.x - centre.x) + (ccw ? kPi / 2 : -kPi / 2);
        at_ = end;
        arc_ = true;
        centre_ = centre;
        return {ccw ? Kind::CounterClockwiseArc : Kind::ClockwiseArc, end, centre};
    }

    std::mt19937 rng_;
    Point2 at_, centre_;
    double heading_ = 0;
    bool arc_ = false;  // whether the last move was an arc (about centre_)
};

TEST(Compensation, RandomCutsAgreeWithTheController) {
    if (!testing::Rs274Path()) GTEST_SKIP() << "LinuxCNC's rs274 is not installed (Debian package linuxcnc-uspace)";
    RandomCuts random(20240611);
    std::map<Fault, int> seen;
    for (const double kerf : {1.5, 3.0, 0.8}) {
        const testing::Rs274Tool tool = testing::ToolForKerf(kerf);
        std::vector<Cut> cuts;
        std::vector<std::string> names;
        for (int k = 0; k < 300; ++k) {
            cuts.push_back(random.Next());
            names.push_back("kerf " + Text(kerf) + ", cut " + std::to_string(k));
            const Cut& cut = cuts.back();
            ++seen[FollowCompensatedPath(cut.from, cut.moves, cut.side, tool.radiusMm).fault];
        }
        for (const std::string& found : Disagreements(cuts, tool, false, names)) ADD_FAILURE() << found;
    }
    std::string spread;
    for (const auto& [fault, count] : seen) {
        spread +=
            "\n  " + std::to_string(count) + " " + (fault == Fault::None ? "accepted" : std::string(FaultText(fault)));
    }
    EXPECT_GE(seen.size(), 10u) << spread;
    EXPECT_GE(seen[Fault::None], 200) << spread;
}

}  // namespace
}  // namespace zorvan
