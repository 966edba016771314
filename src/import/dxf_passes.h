// The three passes of the DXF reader, shared between its files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "import/dxf_schema.h"
#include "model/record.h"
#include "model/record_text.h"
#include "model/text_table.h"

namespace zorvan::dxf {

// How pass 1 ended.
enum class ScanStop { Finished, Spline, TooManyPairs, TooManyEntities };

// Pass 1: keeps, in file order and exactly as read, the "code|value" pairs of the entities to be read.
ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList, TextTable& pairs);

// Pass 2's grouping of the kept pairs per entity: `begin(name)` where a read entity's name starts one (an
// empty name for kept values before the first name), `value(tag, value)` for each kept pair with a tag (value
// without the blanks around it), `end()` after each entity.
template <typename Begin, typename Value, typename End>
void GroupPairs(const TextTable& pairs, Begin begin, Value value, End end);

// Pass 2: one entity text per entity, "NAME:" followed by a tag, value and "|" per coordinate pair.
TextTable GroupEntities(const TextTable& pairs);

// How many entity texts pass 2 makes of the pairs.
size_t CountEntities(const TextTable& pairs);

struct Extents {
    double minX = 100000.0, minY = 100000.0;
    double maxX = -100000.0, maxY = -100000.0;
};

// The records a load builds: their texts and the numbers each reads as.
struct BuiltRecords {
    TextTable texts;
    RecordList values;
    size_t size() const { return values.size(); }
};

// How pass 3 ended: every record built, more records than the store holds, or a number beyond what the
// records can hold (more than 1E+307 in magnitude, or no number at all after the arithmetic).
enum class BuildStop { Finished, TooManyRecords, OutOfRange };

// Pass 3: the records of the entities, widening `extents`: what the entity texts of pass 2 read as, taken
// from the pairs as they are grouped, without writing the texts. Stops, with the records cut short, as soon
// as the drawing cannot be held.
BuildStop BuildRecords(double PI, const TextTable& pairs, Extents& extents, BuiltRecords& records);

template <typename Begin, typename Value, typename End>
void GroupPairs(const TextTable& pairs, Begin begin, Value value, End end) {
    bool open = false;
    for (const std::string_view pair : pairs) {
        const size_t bar = pair.find('|');
        const std::string_view code = TrimBlanks(pair.substr(0, bar));
        const std::string_view text = TrimBlanks(pair.substr(bar + 1));
        if (code == "0" && IsReadEntityName(text)) {
            if (open) end();
            begin(text);
            open = true;
        }
        const std::string_view tag = TagOf(code);
        if (tag.empty()) continue;
        if (!open) {  // a kept value before any entity name starts a nameless entity
            begin(std::string_view());
            open = true;
        }
        value(tag, text);
    }
    if (open) end();
}

}  // namespace zorvan::dxf
