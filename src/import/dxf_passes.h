// The three passes of the DXF reader, shared between its files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::dxf {

// How pass 1 ended.
enum class ScanStop { Finished, Spline, TooManyPairs, TooManyEntities };

// Pass 1: keeps, in file order and exactly as read, the "code|value" pairs of the entities to be read.
ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList,
                   std::vector<std::string>& pairs);

// Pass 2: one entity text per entity, "NAME:" followed by a tag, value and "|" per coordinate pair.
std::vector<std::string> GroupEntities(const std::vector<std::string>& pairs);

struct Extents {
    double minX = 100000.0, minY = 100000.0;
    double maxX = -100000.0, maxY = -100000.0;
};

// How pass 3 ended: every record built, more records than the store holds, or a number beyond what the
// records can hold (more than 1E+307 in magnitude, or no number at all after the arithmetic).
enum class BuildStop { Finished, TooManyRecords, OutOfRange };

// Pass 3: the records of the entity texts, widening `extents`. Stops, with the records cut short, as soon as
// the drawing cannot be held.
BuildStop BuildRecords(double PI, const std::vector<std::string>& entities, Extents& extents,
                       std::vector<std::string>& records);

}  // namespace zorvan::dxf
