// Contour chaining: end points, links through the end point grid, walks, lone records.
#include "import/chaining.h"

#include <charconv>

#include "import/end_point_grid.h"
#include "model/number_text.h"
#include "model/record.h"

namespace zorvan {

namespace {

// Appends a record number and "|" as the invariant number form writes a whole number.
void AppendRecordNumber(std::string& text, int32_t number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    text.append(digits, result.ptr);
    text += '|';
}

}  // namespace

void ReadRecordEnds(const RecordList& records, ChainTables& tables) {
    for (size_t i = 0; i < records.size(); ++i) {
        const RecordValues& record = records[i];
        tables.chained[i] = 0;
        switch (record.kind()) {
            case RecordKind::Arc:
            case RecordKind::Line:
                tables.recStartX[i] = record.StartX();
                tables.recStartY[i] = record.StartY();
                tables.recEndX[i] = record.EndX();
                tables.recEndY[i] = record.EndY();
                break;
            case RecordKind::Circle:  // its leftmost point, from centre and radius
                tables.recStartX[i] = tables.recEndX[i] = record.At(0) - record.At(3);
                tables.recStartY[i] = tables.recEndY[i] = record.At(1);
                break;
            case RecordKind::None: tables.recStartX[i] = tables.recStartY[i] = tables.recEndX[i] = tables.recEndY[i] = -100.0;
        }
    }
}

void LinkRecordEnds(ChainTables& tables, int32_t count, const RecordList& records) {
    constexpr int32_t kStart = 0, kEnd = 1;
    std::vector<int32_t> ends;  // the records with ends to join: every record but the circles
    ends.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const auto index = static_cast<size_t>(i);
        tables.linkAtStart[index] = tables.linkAtEnd[index] = -1;
        if (!records[index].IsCircle()) ends.push_back(i);  // a circle is a contour of its own
    }
    const EndPointGrid grid(2 * ends.size(), [&](size_t k) {
        const int32_t record = ends[k / 2];
        const auto index = static_cast<size_t>(record);
        return k % 2 == 0 ? EndPointGrid::EndPoint{tables.recStartX[index], tables.recStartY[index], record, kStart}
                          : EndPointGrid::EndPoint{tables.recEndX[index], tables.recEndY[index], record, kEnd};
    });
    grid.ForEachHighestMatch([&tables](int32_t record, int32_t tag, int32_t highest) {
        (tag == kStart ? tables.linkAtStart : tables.linkAtEnd)[static_cast<size_t>(record)] = highest;
    });
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

std::string ChainRecordValues(const RecordList& records, ChainTables& tables) {
    if (tables.recStartX.size() < records.size()) tables = ChainTables(records.size());
    const auto count = static_cast<int32_t>(records.size());
    ReadRecordEnds(records, tables);
    LinkRecordEnds(tables, count, records);
    return WalkContours(tables, count);
}

std::string ChainRecordTexts(std::span<const std::string> records, ChainTables& tables) {
    RecordList values;
    values.reserve(records.size());
    for (const std::string& record : records) values.emplace_back(record);
    return ChainRecordValues(values, tables);
}

void ChainRecords(Program& program) {
    const int32_t count = program.store.n + 1;
    RecordList values;
    values.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) values.push_back(program.store.Values(i));
    program.contourChain = ChainRecordValues(values, program.chain);
}

}  // namespace zorvan
