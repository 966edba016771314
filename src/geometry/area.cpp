// Contour areas and the orientation of parts.
#include "geometry/area.h"

#include <cmath>
#include <numbers>
#include <string>

#include "geometry/arc_helpers.h"
#include "geometry/point.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_ends.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

double Piece(double x1, double y1, double x2, double y2) { return (y1 + y2) / 2 * (x2 - x1); }

}  // namespace

double AreaOfArc(double PI, const ArcValues& arc) {
    // The chord points as their 15-digit texts read back, as the chord text of ArcToChords holds them.
    const bool clockwise = arc.sense == '-';
    const ArcSweep sweep = ArcSweepOf(PI, 16, arc.startDeg, arc.endDeg, clockwise);
    const auto xAt = [&](double a) { return RoundedTo15Digits(arc.cx + arc.r * std::cos(a)); };
    const auto yAt = [&](double a) { return RoundedTo15Digits(arc.cy + arc.r * std::sin(a)); };
    double area = 0, lastX = 0, lastY = 0;
    bool any = false;
    ForEachChord(PI, 16, arc.cx, arc.cy, arc.r, arc.startDeg, arc.endDeg, clockwise,
                 [&](double x1, double y1, double x2, double y2) {
                     lastX = RoundedTo15Digits(x2);
                     lastY = RoundedTo15Digits(y2);
                     area += Piece(RoundedTo15Digits(x1), RoundedTo15Digits(y1), lastX, lastY);
                     any = true;
                 });
    if (!any) {
        // An arc of less than half a step makes no chord; it still spans from its start angle to its end
        // angle, and leaving that out would leave the contour's polygon open. Angles the sweep takes as equal
        // span nothing, and angles that are not numbers give no point.
        if (sweep.a0 == sweep.a1 || !std::isfinite(sweep.a1 - sweep.a0)) return 0;
        lastX = xAt(sweep.a0);
        lastY = yAt(sweep.a0);
    }

    // Close the gap the chords leave before the end angle, with the end point read as chord ends are.
    const double endX = xAt(sweep.a1), endY = yAt(sweep.a1);
    if (endX != lastX || endY != lastY) area += Piece(lastX, lastY, endX, endY);
    return area;
}

double AREA_ARC(double PI, std::string_view record) { return AreaOfArc(PI, RecordValues(record).Arc()); }

double AreaOf(double PI, const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Circle: {
            const double r = record.At(3);
            const double magnitude = PI * r * r;
            return record.Sense() == '-' ? magnitude : -magnitude;
        }
        case RecordKind::Line: return Piece(record.At(0), record.At(1), record.At(3), record.At(4));
        case RecordKind::Arc: return AreaOfArc(PI, record.Arc());
        case RecordKind::None: break;
    }
    return 0;
}

double KAREA(double PI, std::string_view record) { return AreaOf(PI, RecordValues(record)); }

double CalcArea(double PI, const RecordList& records) {
    double area = 0;
    for (const RecordValues& record : records) area += AreaOf(PI, record);
    return std::isfinite(area) ? area : 0;
}

namespace {

// theta - sin theta for a sweep from 0 to a whole turn. Below a quarter radian the difference of the two would
// lose up to a hundred times its rounding, so its series is summed instead (the first term left out is below
// 1e-18 of the sum there).
double SegmentShare(double theta) {
    if (theta > 0.25) return theta - std::sin(theta);
    const double t2 = theta * theta;
    return theta * t2 / 6 * (1 - t2 / 20 * (1 - t2 / 42 * (1 - t2 / 72 * (1 - t2 / 110 * (1 - t2 / 156)))));
}

// Half the cross product of a and b, both taken from `origin`: the shoelace piece of the straight run from a to
// b, counter-clockwise positive.
double ShoelacePiece(Point2 origin, Point2 a, Point2 b) { return Cross(a - origin, b - origin) / 2; }

// One record's share of ExactArea, counter-clockwise positive (the usual shoelace sign).
double ExactShare(Point2 origin, const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Line:
            return ShoelacePiece(origin, {record.StartX(), record.StartY()}, {record.EndX(), record.EndY()});
        case RecordKind::Arc: {
            const ArcValues arc = record.Arc();
            const bool clockwise = arc.sense == '-';
            const ArcSweep sweep = ArcSweepOf(std::numbers::pi, 1, arc.startDeg, arc.endDeg, clockwise);
            const double theta = std::fabs(sweep.a1 - sweep.a0);
            const double segment = arc.r * arc.r / 2 * SegmentShare(theta);
            const double chord = ShoelacePiece(origin, {arc.x1, arc.y1}, {arc.x2, arc.y2});
            return clockwise ? chord - segment : chord + segment;
        }
        case RecordKind::Circle: {
            const CircleValues circle = record.Circle();
            const double disc = std::numbers::pi * circle.r * circle.r;
            return circle.sense == '-' ? -disc : disc;
        }
        case RecordKind::None: break;
    }
    return 0;
}

}  // namespace

double ExactArea(const RecordList& records) {
    if (records.empty()) return 0;
    const Point2 origin{records.front().StartX(), records.front().StartY()};
    double area = 0;
    for (const RecordValues& record : records) area += ExactShare(origin, record);
    return std::isfinite(area) ? -area : 0;
}

double PartArea(const Program& program, const RecordList& records) {
    return program.readMode == ReadMode::Sheet ? ExactArea(records) : CalcArea(program.PI, records);
}

double CalcArea(double PI, std::string_view contour) {
    RecordList records;
    ForEachRecord(contour, [&records](std::string_view record) { records.emplace_back(record); });
    return CalcArea(PI, records);
}

void ReversePath(Program& program, int32_t row) {
    PartEntry& entry = program.partList[static_cast<size_t>(row)];
    const PartFields part(entry);
    const RecordList& values = entry.Records();

    std::vector<std::string_view> texts;
    texts.reserve(values.size());
    ForEachRecord(part.records, [&texts](std::string_view record) { texts.push_back(record); });

    std::string reversedRecords;
    reversedRecords.reserve(part.records.size() + part.records.size() / 8);
    RecordList reversedValues;
    reversedValues.reserve(values.size());
    for (size_t k = texts.size(); k-- > 0;) {
        AppendInverted(reversedRecords, texts[k], values[k].kind());
        reversedRecords += '|';
        reversedValues.push_back(values[k].Reversed());
    }
    std::string text;
    text.reserve(reversedRecords.size() + part.marks.size() + 128);
    text.append(part.Marker()).append(" ");
    AppendStartPoints(text, reversedRecords);
    text.append(":").append(reversedRecords).append(":").append(part.marks);
    entry.Set(std::move(text), std::move(reversedValues));
}

namespace {

// A circle part rebuilt with the sense its marker needs; for any other marker its contour stays as it is.
// Either way the entry is written again as its three fields.
void OrientCircle(PartEntry& entry) {
    const PartFields part(entry);
    const std::string_view marker = part.Marker();
    const char sense = marker == "II" ? '+' : marker == "OO" ? '-' : 0;
    if (sense == 0) {
        entry = std::string(part.header).append(":").append(part.records).append(":").append(part.marks);
        return;
    }
    const RecordFieldTexts f(part.records);
    std::string text(part.header);
    text += ':';
    for (const size_t k : {0, 1}) {
        AppendDefaultOfText(text, f.at[k]);
        text += ' ';
    }
    text += "0 ";
    AppendDefaultOfText(text, f.at[3]);
    text.append(" ").append(1, sense).append(" ");
    AppendDefaultOfText(text, f.at[5]);
    text += ' ';
    AppendDefaultOfText(text, f.at[6]);
    text.append(" K|:").append(part.marks);
    RecordValues circle = RecordValues::Of(RecordKind::Circle,
                                           {LenientParse(f.at[0]), LenientParse(f.at[1]), 0, LenientParse(f.at[3]), 0,
                                            LenientParse(f.at[5]), LenientParse(f.at[6])},
                                           sense);
    entry.Set(std::move(text), {circle});
}

}  // namespace

void CCW_OR_CW(Program& program) {
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        if (!IsCircleRecord(part.records)) {
            const std::string_view marker = part.Marker();
            const double storedArea = part.StoredArea();
            if ((marker == "OO" && storedArea < 0) || (marker == "II" && storedArea > 0)) ReversePath(program, i);
            continue;
        }
        OrientCircle(entry);
    }
}

}  // namespace zorvan
