// Sheet mode's healing.
#include "import/sheet_heal.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "geometry/arc_helpers.h"
#include "geometry/area.h"
#include "geometry/extents.h"
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

// What a contour looks like from afar: its box, length and enclosed area. A contour drawn twice, in either
// direction, from any start and in any pieces (a circle, or two half circles) looks the same.
struct Summary {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY, length = 0, area = 0;
};

template <typename Records>
Summary SummaryOf(const Records& contour) {
    Summary s;
    RecordList list;
    ExtentBuilder box;  // a circle whole, an arc where it bulges past its ends
    box.minX = box.minY = HUGE_VAL;
    box.maxX = box.maxY = -HUGE_VAL;
    for (const RecordValues& record : contour) {
        IncludeRecordTightly(record, box);
        s.length += LengthOf(record);
        list.push_back(record);
    }
    s.minX = box.minX, s.minY = box.minY, s.maxX = box.maxX, s.maxY = box.maxY;
    s.area = std::fabs(ExactArea(list));
    return s;
}

// The contours written so far, found by the middle of their boxes in cells of `cell`: a contour is drawn
// twice when one already written has its box, length and area within `cell` (the area within `cell` times
// the length).
class WrittenContours {
public:
    explicit WrittenContours(double cell) : cell_(cell) {}

    // Whether a contour like `s` was written before; if not, it is kept as written.
    bool SeenBefore(const Summary& s) {
        const int64_t x = CellOf((s.minX + s.maxX) / 2), y = CellOf((s.minY + s.maxY) / 2);
        for (int64_t dx = -1; dx <= 1; ++dx) {
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = byCell_.find({x + dx, y + dy});
                if (found == byCell_.end()) continue;
                for (const Summary& other : found->second) {
                    if (Alike(s, other)) return true;
                }
            }
        }
        byCell_[{x, y}].push_back(s);
        return false;
    }

private:
    int64_t CellOf(double v) const { return static_cast<int64_t>(std::clamp(std::floor(v / cell_), -4e15, 4e15)); }
    bool Alike(const Summary& a, const Summary& b) const {
        return std::fabs(a.minX - b.minX) <= cell_ && std::fabs(a.minY - b.minY) <= cell_ &&
               std::fabs(a.maxX - b.maxX) <= cell_ && std::fabs(a.maxY - b.maxY) <= cell_ &&
               std::fabs(a.length - b.length) <= cell_ && std::fabs(a.area - b.area) <= cell_ * std::max(a.length, b.length);
    }

    double cell_;
    std::map<std::pair<int64_t, int64_t>, std::vector<Summary>> byCell_;
};

// Whether records chained head to tail (each may run either way) close: walked from the end of the first that
// the second does not share, the walk comes back to where it began.
// The contours of a chain as lists of record numbers: "0|3|:1|:" gives {0, 3}, {1}.
std::vector<std::vector<size_t>> ChainNumbers(std::string_view chain) {
    std::vector<std::vector<size_t>> contours(1);
    size_t number = 0;
    bool inNumber = false;
    for (const char c : chain) {
        if (c >= '0' && c <= '9') {
            number = number * 10 + static_cast<size_t>(c - '0');
            inNumber = true;
            continue;
        }
        if (inNumber) contours.back().push_back(number);
        number = 0;
        inNumber = false;
        if (c == ':') contours.emplace_back();
    }
    if (contours.back().empty()) contours.pop_back();
    return contours;
}

// Each contour cut into runs whose records follow one another end to start, either record turned: a new run
// starts at a record that meets neither end of the path so far.
std::vector<std::vector<size_t>> ConnectedRuns(const RecordList& records, const std::vector<std::vector<size_t>>& contours,
                                               double tolerance) {
    const auto meets = [tolerance](Point2 a, Point2 b) { return Distance(a, b) < tolerance; };
    std::vector<std::vector<size_t>> runs;
    for (const std::vector<size_t>& contour : contours) {
        Point2 head{}, tail{};  // where the run so far starts and ends
        for (size_t i = 0; i < contour.size(); ++i) {
            const RecordValues& r = records[contour[i]];
            const Point2 start{r.StartX(), r.StartY()}, end{r.EndX(), r.EndY()};
            if (i > 0) {
                std::vector<size_t>& run = runs.back();
                // A run of one record may go either way: it starts where the next record does not meet it.
                if (run.size() == 1 && !meets(tail, start) && !meets(tail, end)) std::swap(head, tail);
                if (meets(tail, start) || meets(tail, end)) {
                    tail = meets(tail, start) ? end : start;
                    run.push_back(contour[i]);
                    continue;
                }
            }
            runs.push_back({contour[i]});
            head = start;
            tail = end;
        }
    }
    return runs;
}

bool Closes(const RecordList& records, const std::vector<size_t>& chain, double tolerance) {
    if (chain.size() < 2) return false;
    const auto ends = [&](size_t k) {
        const RecordValues r = records[chain[k]];
        return std::pair<Point2, Point2>{{r.StartX(), r.StartY()}, {r.EndX(), r.EndY()}};
    };
    const auto [a, b] = ends(0);
    const auto [c, d] = ends(1);
    const bool bShared = Distance(b, c) < tolerance || Distance(b, d) < tolerance;
    const Point2 begin = bShared ? a : b;
    Point2 at = bShared ? b : a;
    for (size_t k = 1; k < chain.size(); ++k) {
        const auto [from, to] = ends(k);
        if (Distance(at, from) < tolerance) {
            at = to;
        } else if (Distance(at, to) < tolerance) {
            at = from;
        } else {
            return false;
        }
    }
    return Distance(at, begin) < tolerance;
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
    std::map<int32_t, bool> vanished;  // closed entities with a tiny piece: whether all their pieces were tiny
    for (size_t i = 0; i < records.size(); ++i) {
        const RecordValues& record = records.values[i];
        const int32_t group = i < records.groups.size() ? records.groups[i] : -1;
        const bool tiny = record.IsCircle() ? 2 * record.Circle().r < tolerance : LengthOf(record) < tolerance;
        if (group >= 0 && !record.IsCircle()) {
            const auto [at, fresh] = vanished.try_emplace(group, tiny);
            if (!fresh) at->second = at->second && tiny;
        }
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
    for (const auto& [group, gone] : vanished) report.zeroSize += gone ? 1 : 0;  // a closed entity too small to cut
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
    WrittenContours written(10 * tolerance);  // so that a contour drawn twice is cut once
    const auto firstTime = [&](const auto& contour) {
        if (!written.SeenBefore(SummaryOf(contour))) return true;
        ++healed.report.drawnTwice;
        return false;
    };
    for (const std::vector<size_t>& group : sorted.closed) {
        Contour contour;
        for (const size_t i : group) contour.push_back(records.values[i]);
        if (!firstTime(contour)) continue;
        for (const size_t i : group) out.Add(records.texts[i], records.values[i]);
        out.EndContour();
        if (++healed.report.closedContours > kMaxContours) break;
    }
    std::vector<bool> touches(arranged.regions.size(), false);
    for (const auto& [a, b] : arranged.touching) touches[a] = touches[b] = true;
    for (size_t r = 0; r < arranged.regions.size() && healed.report.closedContours <= kMaxContours; ++r) {
        Output region;
        for (const BoundaryPiece& part : arranged.regions[r]) {
            const Piece& p = arranged.pieces[part.piece];
            region.AddPiece(part.reversed ? p.Reversed() : p, PI);
        }
        if (!firstTime(region.records.values)) continue;
        healed.report.edgeToEdge += touches[r] ? 1 : 0;
        for (size_t k = 0; k < region.records.size(); ++k) out.Add(region.records.texts[k], region.records.values[k]);
        out.EndContour();
        ++healed.report.closedContours;  // past kMaxContours the drawing is refused: no use writing more
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
        // The chain's record numbers moved on by those written before them; the chains that close counted. Where
        // pieces branch, a chain may hold a record that meets neither end of the one before it: the contour is
        // broken there, so that no cut runs on from a point where its next piece does not start.
        for (const std::vector<size_t>& run : ConnectedRuns(rest.records.values, ChainNumbers(chain), tolerance)) {
            for (const size_t number : run) out.chain += std::to_string(base + number) + "|";
            out.chain += ':';
            if (Closes(rest.records.values, run, tolerance)) ++healed.report.closedContours;
        }
    }
    tooMany = out.tooMany;
    if (tooMany) return healed;
    healed.records = std::move(out.records);
    healed.contourChain = std::move(out.chain);
    return healed;
}

}  // namespace zorvan::dxf
