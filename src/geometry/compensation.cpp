// The controller's cutter radius compensation, followed move by move.
//
// Vocabulary. The programmed point is where the path as written has got to; the tool point is where the
// tool's centre is, one radius to the side. Each compensated move is held back (queued) until the next move
// has been read. At a convex corner the held move is sent as it is and the tool goes round the corner on an
// arc about the programmed corner; at a concave corner the held move's end is pulled back to the point where
// the tool touches both moves. The start of the held moves is remembered where it is known, so a pulled-back
// end can be checked: a line whose new end lies behind its start (its recorded direction and the new
// direction point apart), or an arc that would have to sweep further than programmed, means the tool cannot
// reach the corner, and the controller refuses.
//
// Angles are radians as atan2 gives them. The controller computes some angles with an extended-precision pi
// (a long double), rounding the result to a double; so does this model, in the same places, so that an angle
// at a tolerance's edge is decided the same way. Likewise it measures lengths with hypot.
#include "geometry/compensation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace zorvan {
namespace {

using Fault = CompensationFault;
using Kind = PathMove::Kind;

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr long double kHalfPi = kPi / 2;

// Angles within this of a straight continuation count as neither convex nor concave.
constexpr double kCornerTolerance = 0.05;
// The entry arc's construction fails where a cosine is nearer 0 than this.
constexpr double kCosineTolerance = 0.0001;
// A pulled-back arc end may change the arc's radius by this much.
constexpr double kMovedArcRadiusSlack = 0.01;
// An arc's start and end radii may differ by the unit's absolute tolerance or by this share of the larger,
// whichever allows more.
constexpr double kArcRadiusShare = 0.001;

double ToDouble(long double value) { return static_cast<double>(value); }

// The controller's tolerances that depend on the program's unit: below `zeroRadius` an arc has no radius;
// its start and end radii may differ by `radiusDifference` (or by more, see kArcRadiusShare); a held arc whose
// end is pulled back may come to sweep `sweepSlack` more than programmed. That last is a length (a thousandth
// of an inch) that the controller compares with an angle in radians, so millimetre programs get 25.4 times
// the slack of inch programs.
struct ArcTolerances {
    double zeroRadius = 0, radiusDifference = 0, sweepSlack = 0;
};

ArcTolerances TolerancesOf(ProgramUnits units) {
    constexpr double inchZero = 0.00005;
    switch (units) {
        case ProgramUnits::Millimetres:
            return {inchZero * 25.4, 2 * 0.01 * std::numbers::sqrt2, 0.0254};
        case ProgramUnits::Inches:
            return {inchZero, 2 * 0.001 * std::numbers::sqrt2, 0.001};
    }
    return {};
}

// +1 for a counter-clockwise arc, -1 for a clockwise one, 0 for a straight move.
int TurnOf(Kind kind) {
    switch (kind) {
        case Kind::ClockwiseArc:
            return -1;
        case Kind::CounterClockwiseArc:
            return 1;
        case Kind::Line:
        case Kind::Rapid:
            return 0;
    }
    return 0;
}

// Whether the tool runs inside an arc turning `turn` (+1 counter-clockwise, -1 clockwise): on the left of a
// counter-clockwise arc or the right of a clockwise one.
bool ToolInsideArc(CompensationSide side, int turn) {
    return (side == CompensationSide::Left && turn > 0) || (side == CompensationSide::Right && turn < 0);
}

// The signed angle swept from `from` to `to` about `centre`, turning `turn` (0 for no arc): in (0, 2 pi]
// counter-clockwise, in [-2 pi, 0) clockwise; a full turn where `from` and `to` are the same direction.
double Sweep(Point2 from, Point2 centre, int turn, Point2 to) {
    if (turn == 0) return 0.0;
    double start = std::atan2(from.y - centre.y, from.x - centre.x);
    double end = std::atan2(to.y - centre.y, to.x - centre.x);
    if (turn > 0) {
        if (end <= start) end = ToDouble(end + 2 * kPi);
        return ToDouble((end - start) + (turn - 1) * (2 * kPi));
    }
    if (start <= end) start = ToDouble(start + 2 * kPi);
    return ToDouble((end - start) + (turn + 1) * (2 * kPi));
}

// The checks every arc gets, compensated or not: start and end neither on the centre nor at radii apart.
Fault CheckArcRadii(Point2 start, Point2 centre, Point2 end, const ArcTolerances& tolerances) {
    const double startRadius = std::hypot(centre.x - start.x, centre.y - start.y);
    const double endRadius = std::hypot(centre.x - end.x, centre.y - end.y);
    if (startRadius < tolerances.zeroRadius || endRadius < tolerances.zeroRadius) return Fault::ZeroRadiusArc;
    const double difference = std::fabs(startRadius - endRadius);
    const double share = difference / std::max(startRadius, endRadius);
    if (difference > tolerances.radiusDifference && share > kArcRadiusShare) return Fault::ArcRadiiDiffer;
    return Fault::None;
}

// A compensated move held back by the controller.
struct HeldMove {
    enum class Type { Feed, Traverse, Arc } type = Type::Feed;
    Point2 end;        // the tool point it ends at
    Point2 direction;  // lines: the direction a pulled-back end is checked against
    Point2 centre;     // arcs
    int turn = 0;      // arcs: +1 counter-clockwise, -1 clockwise
    double sweep = 0;  // arcs: the programmed sweep, the most a pulled-back end may need
};

HeldMove HeldLine(bool rapid, Point2 end, Point2 direction) {
    return {rapid ? HeldMove::Type::Traverse : HeldMove::Type::Feed, end, direction, {}, 0, 0};
}

HeldMove HeldArc(Point2 end, Point2 centre, int turn, double sweep) {
    return {HeldMove::Type::Arc, end, {}, centre, turn, sweep};
}

// The controller's state while compensation is on, and one method per thing it does.
class Follower {
public:
    Follower(Point2 from, CompensationSide side, double radius, ArcTolerances tolerances)
        : side_(side),
          radius_(radius),
          compensating_(radius > 0 && std::isfinite(radius)),
          tolerances_(tolerances),
          programmed_(from),
          tool_(from) {}

    // The first move after compensation is switched on.
    Fault Enter(const PathMove& move) {
        if (!compensating_) return Uncompensated(move);
        switch (move.kind) {
            case Kind::Line:
            case Kind::Rapid:
                return EnterStraight(move.end, move.kind == Kind::Rapid);
            case Kind::ClockwiseArc:
            case Kind::CounterClockwiseArc:
                return EnterArc(move);
        }
        return Fault::None;
    }

    // Every later move.
    Fault Continue(const PathMove& move) {
        if (!compensating_) return Uncompensated(move);
        switch (move.kind) {
            case Kind::Line:
            case Kind::Rapid:
                return Straight(move.end, move.kind == Kind::Rapid);
            case Kind::ClockwiseArc:
            case Kind::CounterClockwiseArc:
                return Arc(move);
        }
        return Fault::None;
    }

    // G40: the held moves end where the tool is.
    Fault TurnOff() { return compensating_ ? MoveEndAndSend(tool_) : Fault::None; }

private:
    Fault Uncompensated(const PathMove& move);
    Fault EnterStraight(Point2 end, bool rapid);
    Fault EnterArc(const PathMove& move);
    Fault Straight(Point2 end, bool rapid);
    Fault StraightAfterStraight(double beta, double theta, double gamma);
    Fault StraightAfterArc(Point2 end);
    Fault Arc(const PathMove& move);
    Fault ArcAfterStraight(double beta, double theta, double arcRadius, Point2 centre, int turn);
    Fault ArcAfterArc(double arcRadius, Point2 centre, int turn);
    Fault MoveEndAndSend(Point2 end);

    bool ArcIsHeld() const { return !held_.empty() && held_.front().type == HeldMove::Type::Arc; }

    // Sends the held moves on; their start is then unknown until set.
    void Send() {
        held_.clear();
        startKnown_ = false;
    }

    void SetStart(Point2 start) {
        start_ = start;
        startKnown_ = true;
    }

    CompensationSide side_;
    double radius_;
    bool compensating_;
    ArcTolerances tolerances_;
    Point2 programmed_, tool_;
    Point2 start_;
    bool startKnown_ = false;
    std::vector<HeldMove> held_;
};

// With no radius the controller moves on the path itself and checks only the arcs.
Fault Follower::Uncompensated(const PathMove& move) {
    const Point2 from = tool_;
    tool_ = programmed_ = move.end;
    if (TurnOf(move.kind) == 0) return Fault::None;
    return CheckArcRadii(from, move.centre, move.end, tolerances_);
}

// The entry line ends one radius to the side of its programmed end, square to the line. The direction held
// for later checks is that square, not the line's own, so a corner right after the entry never finds the
// entry reversed.
Fault Follower::EnterStraight(Point2 end, bool rapid) {
    const Point2 from = tool_;
    if (std::hypot(end.x - from.x, end.y - from.y) <= radius_) return Fault::ShortEntry;
    const long double square = side_ == CompensationSide::Left ? kPi / 2. : -kPi / 2.;
    const double alpha = ToDouble(std::atan2(end.y - from.y, end.x - from.x) + square);
    const Point2 toolEnd{end.x + radius_ * std::cos(alpha), end.y + radius_ * std::sin(alpha)};
    SetStart(from);
    held_.push_back(HeldLine(rapid, toolEnd, {std::cos(alpha), std::sin(alpha)}));
    tool_ = toolEnd;
    programmed_ = end;
    return Fault::None;
}

// An entry arc runs from the tool point to one radius beside the programmed end, about a centre moved so
// that both ends are equally far from it. The programmed arc is checked from the tool point.
Fault Follower::EnterArc(const PathMove& move) {
    const Point2 from = tool_, centre = move.centre;
    if (std::hypot(move.end.x - from.x, move.end.y - from.y) <= radius_) return Fault::ShortEntryArc;
    if (const Fault fault = CheckArcRadii(from, centre, move.end, tolerances_); fault != Fault::None) return fault;
    const int turn = TurnOf(move.kind);
    const bool inside = ToolInsideArc(side_, turn);
    if (inside && std::hypot(centre.x - from.x, centre.y - from.y) <= radius_) return Fault::ArcTooSmall;

    const Point2 end = move.end;
    const double gamma =
        inside ? std::atan2(centre.y - end.y, centre.x - end.x) : std::atan2(end.y - centre.y, end.x - centre.x);
    const Point2 toolEnd{end.x + radius_ * std::cos(gamma), end.y + radius_ * std::sin(gamma)};
    const double halfChord = std::hypot(from.y - toolEnd.y, from.x - toolEnd.x) / 2.0;
    const double toCentre = std::atan2(centre.y - toolEnd.y, centre.x - toolEnd.x);
    const double angle = std::atan2(from.y - toolEnd.y, from.x - toolEnd.x) - toCentre;
    if (std::fabs(std::cos(angle)) < kCosineTolerance) return Fault::ArcTooSmall;
    const double reach = halfChord / std::cos(angle);
    const Point2 toolCentre{toolEnd.x + reach * std::cos(toCentre), toolEnd.y + reach * std::sin(toCentre)};
    const double endRadius = std::hypot(toolCentre.x - toolEnd.x, toolCentre.y - toolEnd.y);
    const double startRadius = std::hypot(toolCentre.x - from.x, toolCentre.y - from.y);
    if (std::fabs(endRadius - startRadius) > tolerances_.radiusDifference) return Fault::EntryArcMisfit;

    held_.push_back(HeldArc(toolEnd, toolCentre, turn, Sweep(from, toolCentre, turn, toolEnd)));
    tool_ = toolEnd;
    programmed_ = end;
    return Fault::None;
}

// A line after the entry. theta is the direction from the programmed point to the tool (square to the path
// there), alpha the new line's direction; beta, the turn between them less a quarter, says the corner:
// concave below -tolerance or above pi + tolerance (and just below pi after an arc the tool is outside of,
// so the tool stays on its side rather than loop round), convex above the tolerance, straight on otherwise.
Fault Follower::Straight(Point2 end, bool rapid) {
    const Point2 from = programmed_, tool = tool_;
    if (end.y == from.y && end.x == from.x) {  // no motion in the plane: held behind the others, unchecked
        held_.push_back(HeldLine(rapid, tool, {0, 0}));
        return Fault::None;
    }
    double theta = std::atan2(tool.y - from.y, tool.x - from.x);
    double alpha = std::atan2(end.y - from.y, end.x - from.x);
    double beta = 0, gamma = 0;
    if (side_ == CompensationSide::Left) {
        if (theta < alpha) theta = ToDouble(theta + 2 * kPi);
        beta = ToDouble((theta - alpha) - kHalfPi);
        gamma = ToDouble(kHalfPi);
    } else {
        if (alpha < theta) alpha = ToDouble(alpha + 2 * kPi);
        beta = ToDouble((alpha - theta) - kHalfPi);
        gamma = ToDouble(-kHalfPi);
    }
    const Point2 toolEnd{end.x + radius_ * std::cos(alpha + gamma), end.y + radius_ * std::sin(alpha + gamma)};
    const Point2 cornerEnd{from.x + radius_ * std::cos(alpha + gamma), from.y + radius_ * std::sin(alpha + gamma)};
    const bool outsideHeldArc = ArcIsHeld() && !ToolInsideArc(side_, held_.front().turn);
    const bool concave =
        beta < -kCornerTolerance || beta > kPi + kCornerTolerance || (beta > kPi - kCornerTolerance && outsideHeldArc);

    if (concave) {
        const Fault fault = ArcIsHeld() ? StraightAfterArc(end) : StraightAfterStraight(beta, theta, gamma);
        if (fault != Fault::None) return fault;
    } else if (beta > kCornerTolerance) {  // convex: the held move is sent whole, then an arc round the corner
        if (const Fault fault = MoveEndAndSend(tool); fault != Fault::None) return fault;
        SetStart(cornerEnd);
    } else {  // straight on: the held move is sent unchecked
        Send();
        SetStart(tool);
    }
    held_.push_back(HeldLine(rapid, toolEnd, {end.x - from.x, end.y - from.y}));
    tool_ = toolEnd;
    programmed_ = end;
    return Fault::None;
}

// Line after line at a concave corner: the held line's end goes back along it by the radius over the
// tangent of half the inside angle.
Fault Follower::StraightAfterStraight(double beta, double theta, double gamma) {
    const double halfCorner = ToDouble((beta + kPi) / 2.0);
    const double retreat = radius_ / std::tan(halfCorner);
    const Point2 corner{tool_.x + retreat * std::cos(theta + gamma), tool_.y + retreat * std::sin(theta + gamma)};
    return MoveEndAndSend(corner);
}

// Line after arc at a concave corner: the held (compensated) arc's end moves to where the tool on it
// reaches the new line's offset.
Fault Follower::StraightAfterArc(Point2 end) {
    const HeldMove arc = held_.front();
    const Point2 from = programmed_;
    const double toolRadius = std::hypot(arc.centre.y - arc.end.y, arc.centre.x - arc.end.x);
    const double direction = std::atan2(end.y - from.y, end.x - from.x);
    const double normal = ToDouble(arc.turn > 0 ? direction + kHalfPi : direction - kHalfPi);
    const double phi = std::atan2(arc.centre.y - from.y, arc.centre.x - from.x);
    const bool inside = ToolInsideArc(side_, arc.turn);
    const double pathRadius = inside ? toolRadius + radius_ : toolRadius - radius_;
    const double across = pathRadius * std::cos(normal - phi);  // from the arc's centre square to the line
    const double reach = (inside ? across - radius_ : across + radius_) / toolRadius;
    if (reach > 1.0 || reach < -1.0) return Fault::ArcToStraightCorner;
    const double swing = inside != (arc.turn > 0) ? std::acos(reach) : -std::acos(reach);
    const double angle = ToDouble((swing + normal) + kPi);
    return MoveEndAndSend({arc.centre.x + toolRadius * std::cos(angle), arc.centre.y + toolRadius * std::sin(angle)});
}

// An arc after the entry. theta is the tangent of the path where the tool is, alpha the arc's tangent at
// its start, beta the turn between them (normalised to -pi/2 .. 3pi/2): concave below -tolerance, above
// pi + tolerance, or about pi with the tool outside the new arc; convex above the tolerance.
Fault Follower::Arc(const PathMove& move) {
    const Point2 from = programmed_, tool = tool_, centre = move.centre, end = move.end;
    if (const Fault fault = CheckArcRadii(from, centre, end, tolerances_); fault != Fault::None) return fault;
    const int turn = TurnOf(move.kind);
    const double arcRadius = std::hypot(centre.x - end.x, centre.y - end.y);
    double theta = std::atan2(tool.y - from.y, tool.x - from.x);
    theta = ToDouble(side_ == CompensationSide::Left ? theta - kHalfPi : theta + kHalfPi);
    double delta = std::atan2(centre.y - from.y, centre.x - from.x);
    const double alpha = ToDouble(turn > 0 ? delta - kHalfPi : delta + kHalfPi);
    double beta = side_ == CompensationSide::Left ? theta - alpha : alpha - theta;
    beta = ToDouble(beta > 1.5 * kPi ? beta - 2 * kPi : beta < -kHalfPi ? beta + 2 * kPi : beta);

    const bool inside = ToolInsideArc(side_, turn);
    double gamma = 0;
    if (inside) {
        gamma = std::atan2(centre.y - end.y, centre.x - end.x);
        if (arcRadius <= radius_) return Fault::ArcTooSmall;
    } else {
        gamma = std::atan2(end.y - centre.y, end.x - centre.x);
        delta = ToDouble(delta + kPi);
    }
    const Point2 toolEnd{end.x + radius_ * std::cos(gamma), end.y + radius_ * std::sin(gamma)};
    const bool concave = beta < -kCornerTolerance || beta > kPi + kCornerTolerance ||
                         (std::fabs(beta - kPi) < kCornerTolerance && !inside);

    if (concave) {
        const Fault fault =
            ArcIsHeld() ? ArcAfterArc(arcRadius, centre, turn) : ArcAfterStraight(beta, theta, arcRadius, centre, turn);
        if (fault != Fault::None) return fault;
    } else if (beta > kCornerTolerance) {  // convex: the held move is sent unchecked, then a corner arc
        Send();
        SetStart({from.x + radius_ * std::cos(delta), from.y + radius_ * std::sin(delta)});
    } else {
        Send();
        SetStart(tool);
    }
    held_.push_back(HeldArc(toolEnd, centre, turn, Sweep(from, centre, turn, end)));
    tool_ = toolEnd;
    programmed_ = end;
    return Fault::None;
}

// Arc after line at a concave corner: the held line's end moves to where the tool on the line's offset
// meets the arc's offset.
Fault Follower::ArcAfterStraight(double beta, double theta, double arcRadius, Point2 centre, int turn) {
    const double offset = ToDouble(arcRadius * std::sin(beta - kHalfPi));
    double toolRadius = 0, angle = 0;
    if (ToolInsideArc(side_, turn)) {
        toolRadius = arcRadius - radius_;
        const double reach = (offset + radius_) / toolRadius;
        if (reach > 1.0 || reach < -1.0) return Fault::ArcConcaveCorner;
        angle = turn > 0 ? theta + std::asin(reach) : theta - std::asin(reach);
    } else {
        toolRadius = arcRadius + radius_;
        const double reach = (offset - radius_) / toolRadius;
        if (reach > 1.0 || reach < -1.0) return Fault::ArcConcaveCorner;
        angle = ToDouble(turn > 0 ? theta + kPi - std::asin(reach) : theta + kPi + std::asin(reach));
    }
    return MoveEndAndSend({centre.x + toolRadius * std::cos(angle), centre.y + toolRadius * std::sin(angle)});
}

// Arc after arc at a concave corner: the held arc's end moves to where the two offset circles cross.
Fault Follower::ArcAfterArc(double arcRadius, Point2 centre, int turn) {
    const HeldMove arc = held_.front();
    const double oldRadius = std::hypot(arc.centre.y - arc.end.y, arc.centre.x - arc.end.x);
    const double newRadius = ToolInsideArc(side_, turn) ? arcRadius - radius_ : arcRadius + radius_;
    const double apart = std::hypot(arc.centre.y - centre.y, arc.centre.x - centre.x);
    if (oldRadius == 0 || apart == 0) return Fault::ArcsShareCentre;
    const double cosine = (oldRadius * oldRadius + apart * apart - newRadius * newRadius) / (2 * oldRadius * apart);
    if (cosine > 1.0 || cosine < -1.0) return Fault::ArcToArcCorner;
    const double pullback = std::acos(cosine);
    const double towards = std::atan2(centre.y - arc.centre.y, centre.x - arc.centre.x);
    const bool ahead = ToolInsideArc(side_, arc.turn) == (turn > 0);
    const double angle = ahead ? towards + pullback : towards - pullback;
    return MoveEndAndSend({arc.centre.x + oldRadius * std::cos(angle), arc.centre.y + oldRadius * std::sin(angle)});
}

// Moves the end of every held move to `end`, refusing where a line would run backwards from its start or an
// arc would sweep further than programmed (checked only where the start is known), then sends them on.
Fault Follower::MoveEndAndSend(Point2 end) {
    if (held_.empty()) return Fault::None;
    for (HeldMove& move : held_) {
        switch (move.type) {
            case HeldMove::Type::Arc: {
                const double oldRadius = std::hypot(move.end.x - move.centre.x, move.end.y - move.centre.y);
                const double newRadius = std::hypot(end.x - move.centre.x, end.y - move.centre.y);
                const double newSweep = Sweep(start_, move.centre, move.turn, end);
                if (std::fabs(oldRadius - newRadius) > kMovedArcRadiusSlack) return Fault::MovedArcMisfit;
                if (move.sweep != 0 && startKnown_ &&
                    std::fabs(newSweep) > std::fabs(move.sweep) + tolerances_.sweepSlack) {
                    return Fault::ArcConcaveCorner;
                }
                break;
            }
            case HeldMove::Type::Feed:
            case HeldMove::Type::Traverse: {
                const double dx = end.x - start_.x, dy = end.y - start_.y;
                const double dot = move.direction.x * dx + move.direction.y * dy;
                if (startKnown_ && dot < 0) {
                    return move.type == HeldMove::Type::Feed ? Fault::StraightFeedConcaveCorner
                                                             : Fault::StraightTraverseConcaveCorner;
                }
                break;
            }
        }
        move.end = end;
    }
    Send();
    SetStart(end);
    return Fault::None;
}

}  // namespace

CompensationVerdict FollowCompensatedPath(Point2 from, std::span<const PathMove> moves, CompensationSide side,
                                          double toolRadius, ProgramUnits units) {
    if (toolRadius < 0) {
        toolRadius = -toolRadius;
        side = side == CompensationSide::Left ? CompensationSide::Right : CompensationSide::Left;
    }
    Follower follower(from, side, toolRadius, TolerancesOf(units));
    for (size_t i = 0; i < moves.size(); ++i) {
        const Fault fault = i == 0 ? follower.Enter(moves[i]) : follower.Continue(moves[i]);
        if (fault != Fault::None) return {fault, i};
    }
    if (const Fault fault = follower.TurnOff(); fault != Fault::None) return {fault, moves.size()};
    return {};
}

std::string_view FaultText(CompensationFault fault) {
    switch (fault) {
        case Fault::None:
            return "";
        case Fault::ShortEntry:
            return "Length of cutter compensation entry move is not greater than the tool radius";
        case Fault::ShortEntryArc:
            return "Radius of cutter compensation entry arc is not greater than the tool radius";
        case Fault::ArcTooSmall:
            return "Tool radius not less than arc radius with comp";
        case Fault::StraightFeedConcaveCorner:
            return "Straight feed in concave corner cannot be reached by the tool without gouging";
        case Fault::StraightTraverseConcaveCorner:
            return "Straight traverse in concave corner cannot be reached by the tool without gouging";
        case Fault::ArcConcaveCorner:
            return "Arc move in concave corner cannot be reached by the tool without gouging";
        case Fault::ArcToStraightCorner:
            return "Arc to straight motion makes a corner the compensated tool can't fit in without gouging";
        case Fault::ArcToArcCorner:
            return "Arc to arc motion makes a corner the compensated tool can't fit in without gouging";
        case Fault::ArcsShareCentre:
            return "Arc to arc motion is invalid because the arcs have the same center";
        case Fault::ZeroRadiusArc:
            return "Zero-radius arc";
        case Fault::ArcRadiiDiffer:
            return "Radius to end of arc differs from radius to start";
        case Fault::EntryArcMisfit:
            return "Bug in tool radius comp";
        case Fault::MovedArcMisfit:
            return "BUG: cutter compensation has generated an invalid arc with mismatched radii";
    }
    return "";
}

}  // namespace zorvan
