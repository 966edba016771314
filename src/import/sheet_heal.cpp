// Sheet mode's healing.
#include "import/sheet_heal.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <map>
#include <tuple>
#include <vector>

#include "geometry/arc_helpers.h"
#include "geometry/arrangement.h"
#include "import/chaining.h"
#include "model/program.h"
#include "model/record_text.h"

namespace zorvan::dxf {

namespace {

using Contour = std::vector<RecordValues>;

double LengthOf(const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Line: return std::hypot(record.EndX() - record.StartX(), record.EndY() - record.StartY());
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            const Piece p{{a.x1, a.y1}, {a.x2, a.y2}, true, {a.cx, a.cy}, a.sense != '-'};
            return p.Length();
        }
        case RecordKind::Circle: return 2 * std::numbers::pi * record.Circle().r;
        case RecordKind::None: return 0;
    }
    return 0;
}

Piece PieceOf(const RecordValues& record) {
    if (record.IsArc()) {
        const ArcValues a = record.Arc();
        return {{a.x1, a.y1}, {a.x2, a.y2}, true, {a.cx, a.cy}, a.sense != '-'};
    }
    return {{record.StartX(), record.StartY()}, {record.EndX(), record.EndY()}, false, {}, true};
}

// What a contour looks like from afar, in cells of ten tolerances: the same for a contour drawn twice, in
// either direction and from any start.
using Signature = std::tuple<int64_t, int64_t, int64_t, int64_t, int64_t, int64_t>;

template <typename Records>
Signature SignatureOf(const Records& contour, double tolerance) {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY, length = 0;
    for (const RecordValues& record : contour) {
        const auto widen = [&](double x, double y) {
            minX = std::min(minX, x), minY = std::min(minY, y), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
        };
        if (record.IsCircle()) {
            const CircleValues c = record.Circle();
            widen(c.cx - c.r, c.cy - c.r);
            widen(c.cx + c.r, c.cy + c.r);
        } else {
            widen(record.StartX(), record.StartY());
            widen(record.EndX(), record.EndY());
        }
        length += LengthOf(record);
    }
    const double cell = 10 * tolerance;
    const auto q = [cell](double v) { return static_cast<int64_t>(std::llround(v / cell)); };
    return {q(minX), q(minY), q(maxX), q(maxY), q(length), static_cast<int64_t>(contour.size() > 1 ? 1 : 0)};
}

struct Output {
    BuiltRecords records;
    std::string chain;
    bool tooMany = false;

    void Add(std::string_view text, const RecordValues& values) {
        if (records.size() >= static_cast<size_t>(kMaxRecords)) {
            tooMany = true;
            return;
        }
        chain += std::to_string(records.size()) + "|";
        records.texts.push_back(text);
        records.values.push_back(values);
    }
    void AddPiece(const Piece& p, double PI) {
        std::string text;
        RecordValues values;
        if (p.arc) {
            values = AppendArcRecord(text, p.centre.x, p.centre.y, p.Radius(), PointAngle(PI, p.from.x, p.from.y, p.centre.x, p.centre.y),
                                     PointAngle(PI, p.to.x, p.to.y, p.centre.x, p.centre.y), p.ccw ? '+' : '-', p.from.x,
                                     p.from.y, p.to.x, p.to.y);
        } else {
            values = AppendLineRecord(text, p.from.x, p.from.y, 0, p.to.x, p.to.y, 0);
        }
        Add(text, values);
    }
    void EndContour() { chain += ":"; }
};

// The closed entities' records by entity, tiny pieces and tiny circles dropped; the loose pieces apart.
struct Sorted {
    std::vector<std::vector<size_t>> closed;  // record numbers
    std::vector<Piece> loose;
};

Sorted SortRecords(const BuiltRecords& records, double tolerance, HealReport& report) {
    Sorted sorted;
    std::map<int32_t, size_t> slot;
    for (size_t i = 0; i < records.size(); ++i) {
        const RecordValues& record = records.values[i];
        const int32_t group = i < records.groups.size() ? records.groups[i] : -1;
        const bool tiny = record.IsCircle() ? 2 * record.Circle().r < tolerance : LengthOf(record) < tolerance;
        if (tiny) {
            if (group < 0 || record.IsCircle()) ++report.zeroSize;
            continue;
        }
        if (group < 0 && !record.IsCircle()) {
            sorted.loose.push_back(PieceOf(record));
            continue;
        }
        const auto [at, fresh] = slot.try_emplace(record.IsCircle() && group < 0 ? -2 - static_cast<int32_t>(i) : group,
                                                  sorted.closed.size());
        if (fresh) sorted.closed.emplace_back();
        sorted.closed[at->second].push_back(i);
    }
    return sorted;
}

}  // namespace

HealedSheet HealSheet(const BuiltRecords& records, double PI, double tolerance, bool& tooMany) {
    HealedSheet healed;
    Sorted sorted = SortRecords(records, tolerance, healed.report);
    Arrangement arranged = Arrange(std::move(sorted.loose), tolerance);
    healed.report.drawnTwice = static_cast<int32_t>(arranged.drawnTwice);
    healed.report.tooMuchWork = arranged.tooMuchWork;

    Output out;
    std::map<Signature, int> seen;  // contours already written, so one drawn twice is cut once
    const auto firstTime = [&](const auto& contour) {
        if (seen[SignatureOf(contour, tolerance)]++ == 0) return true;
        ++healed.report.drawnTwice;
        return false;
    };
    for (const std::vector<size_t>& group : sorted.closed) {
        Contour contour;
        for (const size_t i : group) contour.push_back(records.values[i]);
        if (!firstTime(contour)) continue;
        for (const size_t i : group) out.Add(records.texts[i], records.values[i]);
        out.EndContour();
    }
    std::vector<bool> touches(arranged.regions.size(), false);
    for (const auto& [a, b] : arranged.touching) touches[a] = touches[b] = true;
    for (size_t r = 0; r < arranged.regions.size(); ++r) {
        Output region;
        for (const BoundaryPiece& part : arranged.regions[r]) {
            const Piece& p = arranged.pieces[part.piece];
            region.AddPiece(part.reversed ? p.Reversed() : p, PI);
        }
        if (!firstTime(region.records.values)) continue;
        healed.report.edgeToEdge += touches[r] ? 1 : 0;
        for (size_t k = 0; k < region.records.size(); ++k) out.Add(region.records.texts[k], region.records.values[k]);
        out.EndContour();
    }
    // What encloses nothing: chained as drawn, as open contours (or closed ones, where the arranging was
    // given up).
    Output rest;
    for (const size_t e : arranged.leftOver) rest.AddPiece(arranged.pieces[e], PI);
    if (rest.records.size() > 0) {
        ChainTables tables(rest.records.size());
        const std::string chain = ChainRecordValues(rest.records.values, tables);
        const size_t base = out.records.size();
        for (size_t k = 0; k < rest.records.size(); ++k) {
            if (out.records.size() >= static_cast<size_t>(kMaxRecords)) out.tooMany = true;
            if (out.tooMany) break;
            out.records.texts.push_back(rest.records.texts[k]);
            out.records.values.push_back(rest.records.values[k]);
        }
        // The chain's record numbers moved on by those written before them.
        size_t number = 0;
        bool inNumber = false;
        for (const char c : chain) {
            if (c >= '0' && c <= '9') {
                number = number * 10 + static_cast<size_t>(c - '0');
                inNumber = true;
                continue;
            }
            if (inNumber) out.chain += std::to_string(base + number);
            number = 0;
            inNumber = false;
            out.chain += c;
        }
    }
    tooMany = out.tooMany;
    if (tooMany) return healed;
    healed.records = std::move(out.records);
    healed.contourChain = std::move(out.chain);
    return healed;
}

}  // namespace zorvan::dxf
