// Contour chaining: end points, links through the end point grid, walks, lone records.
#include "import/chaining.h"

#include <array>
#include <charconv>

#include "import/end_point_grid.h"
#include "model/check.h"
#include "model/number_text.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

// Appends a record number and "|" as the invariant number form writes a whole number.
void AppendRecordNumber(std::string& text, int32_t number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    text.append(digits, result.ptr);
    text += '|';
}

// The first blank-separated fields of a record, read as numbers by position; a field the record lacks
// reads as 0. Kept on the stack: the chaining reads every record of the drawing.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view text) {
        size_t start = 0;
        for (size_t i = 0; i < fields_.size(); ++i) {
            const size_t end = text.find(' ', start);
            fields_[i] = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
    }
    double Number(size_t index) const { return LenientParse(fields_[index]); }

private:
    std::array<std::string_view, 11> fields_{};  // fields 0 to 10 are all a record's ends need
};

}  // namespace

void ReadRecordEnds(std::span<const std::string> records, ChainTables& tables) {
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string_view record = records[i];
        tables.recStartX[i] = tables.recStartY[i] = tables.recEndX[i] = tables.recEndY[i] = -100.0;
        tables.chained[i] = 0;
        if (IsArcRecord(record)) {
            const FieldCursor fields(record);
            tables.recStartX[i] = fields.Number(7);
            tables.recStartY[i] = fields.Number(8);
            tables.recEndX[i] = fields.Number(9);
            tables.recEndY[i] = fields.Number(10);
        }
        if (IsLineRecord(record)) {
            const FieldCursor fields(record);
            tables.recStartX[i] = fields.Number(0);
            tables.recStartY[i] = fields.Number(1);
            tables.recEndX[i] = fields.Number(3);
            tables.recEndY[i] = fields.Number(4);
        }
        if (IsCircleRecord(record)) {
            std::string withoutK;
            for (const char c : record) {
                if (c != 'K') withoutK += c;
            }
            const FieldCursor fields(TrimBlanks(withoutK));
            tables.recStartX[i] = tables.recEndX[i] = fields.Number(0) - fields.Number(3);
            tables.recStartY[i] = tables.recEndY[i] = fields.Number(1);
        }
    }
}

void LinkRecordEnds(ChainTables& tables, int32_t count, std::span<const std::string> records) {
    constexpr int32_t kStart = 0, kEnd = 1;
    std::vector<EndPointGrid::EndPoint> points;
    points.reserve(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const auto index = static_cast<size_t>(i);
        tables.linkAtStart[index] = tables.linkAtEnd[index] = -1;
        if (IsCircleRecord(records[index])) continue;  // a circle is a contour of its own
        points.push_back({tables.recStartX[index], tables.recStartY[index], i, kStart});
        points.push_back({tables.recEndX[index], tables.recEndY[index], i, kEnd});
    }
    const EndPointGrid grid(points);
    for (const EndPointGrid::Match& match : grid.AllHighestMatches()) {
        const auto index = static_cast<size_t>(match.record);
        (match.tag == kStart ? tables.linkAtStart : tables.linkAtEnd)[index] = match.highest;
    }
}

int32_t NextInChain(ChainTables& tables, int32_t i) {
    tables.chained[static_cast<size_t>(i)] = -1;
    const int32_t atStart = tables.linkAtStart[static_cast<size_t>(i)];
    if (atStart != -1 && tables.chained[static_cast<size_t>(atStart)] == 0) {
        tables.chained[static_cast<size_t>(atStart)] = -1;
        return atStart;
    }
    const int32_t atEnd = tables.linkAtEnd[static_cast<size_t>(i)];
    if (atEnd != -1 && tables.chained[static_cast<size_t>(atEnd)] == 0) {
        tables.chained[static_cast<size_t>(atEnd)] = -1;
        return atEnd;
    }
    return -2;
}

std::string WalkContours(ChainTables& tables, int32_t count) {
    std::string chain;
    std::vector<char> inSomeContour(static_cast<size_t>(count), 0);
    std::vector<int32_t> walk;
    for (int32_t o = 0; o < count; ++o) {
        walk.clear();
        for (int32_t v = o; v >= 0; v = NextInChain(tables, v)) walk.push_back(v);
        if (walk.size() < 2) continue;  // a walk of one record is dropped
        for (const int32_t v : walk) {
            AppendRecordNumber(chain, v);
            inSomeContour[static_cast<size_t>(v)] = 1;
        }
        chain += ':';
    }
    for (int32_t a = 0; a < count; ++a) {
        if (inSomeContour[static_cast<size_t>(a)]) continue;
        AppendRecordNumber(chain, a);
        chain += ':';
    }
    return chain;
}

std::string ChainRecordTexts(std::span<const std::string> records, ChainTables& tables) {
    ZORVAN_CHECK(tables.recStartX.size() >= records.size());
    const auto count = static_cast<int32_t>(records.size());
    ReadRecordEnds(records, tables);
    LinkRecordEnds(tables, count, records);
    return WalkContours(tables, count);
}

void ChainRecords(Program& program) {
    program.contourChain = ChainRecordTexts(program.store.Records(), program.chain);
}

}  // namespace zorvan
