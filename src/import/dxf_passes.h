// The three passes of the DXF reader, shared between its files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/record.h"
#include "model/text_table.h"

namespace zorvan::dxf {

// How pass 1 ended.
enum class ScanStop { Finished, Spline, TooManyPairs, TooManyEntities };

// Pass 1: keeps, in file order and exactly as read, the "code|value" pairs of the entities to be read.
ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList, TextTable& pairs);

// Pass 2: one entity text per entity, "NAME:" followed by a tag, value and "|" per coordinate pair.
TextTable GroupEntities(const TextTable& pairs);

struct Extents {
    double minX = 100000.0, minY = 100000.0;
    double maxX = -100000.0, maxY = -100000.0;
};

// The records a load builds: their texts and the numbers each reads as.
struct BuiltRecords {
    TextTable texts;
    std::vector<RecordValues> values;
    size_t size() const { return values.size(); }
};

// How pass 3 ended: every record built, more records than the store holds, or a number beyond what the
// records can hold (more than 1E+307 in magnitude, or no number at all after the arithmetic).
enum class BuildStop { Finished, TooManyRecords, OutOfRange };

// Pass 3: the records of the entity texts, widening `extents`. Stops, with the records cut short, as soon as
// the drawing cannot be held.
BuildStop BuildRecords(double PI, const TextTable& entities, Extents& extents, BuiltRecords& records);

}  // namespace zorvan::dxf
