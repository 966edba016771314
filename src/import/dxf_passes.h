// The three passes of the DXF reader, shared between its files.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/dxf_schema.h"
#include "model/program.h"
#include "model/record.h"
#include "model/record_text.h"
#include "model/text_table.h"

namespace zorvan::dxf {

// How pass 1 ended.
enum class ScanStop { Finished, Spline, TooManyPairs, TooManyEntities };

// The plane an entity lies in, from its extrusion direction (groups 210, 220, 230): the drawing's own (0, 0, 1,
// the default), its mirror image (0, 0, -1: the entity's x values change sign in world coordinates), or a
// tilted one.
enum class Plane : uint8_t { Drawing, Mirrored, Tilted };
Plane PlaneOf(double x, double y, double z);

// What pass 1 learns besides the kept pairs: the plane of every entity whose name was kept, in file order
// (extrusion groups are never kept), and what of the ENTITIES section is not read.
struct ScanFacts {
    std::vector<Plane> planes;
    std::map<std::string, int32_t, std::less<>> notRead;  // entity types left out, by name
    std::map<std::string, int32_t, std::less<>> readFlat;  // entities read as they are on a plane of their own
    std::optional<int32_t> insUnits;                        // the units the header declares ($INSUNITS)
};

// Pass 1: keeps, in file order and exactly as read, the "code|value" pairs of the entities to be read.
ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList, TextTable& pairs,
                   ScanFacts& facts);

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
    // Sheet mode: for each record, the closed entity it was made of (a closed polyline, circle, whole ellipse
    // or closed spline, numbered as read), or -1 for a loose piece. Empty in the default reading.
    std::vector<int32_t> groups;
    size_t size() const { return values.size(); }
};

// How pass 3 ended: every record built, more records than the store holds, or a number beyond what the
// records can hold (more than 1E+307 in magnitude, or no number at all after the arithmetic).
enum class BuildStop { Finished, TooManyRecords, OutOfRange };

// Where both readings put their records: the texts and numbers, the extents they widen, and the checks that
// refuse a drawing the tables cannot hold. Once a check fails, nothing more is stored.
class RecordOutput {
public:
    RecordOutput(Extents& extents, BuiltRecords& records) : extents_(extents), records_(records) {}

    bool TooMany() const { return tooMany_; }
    bool OutOfRange() const { return outOfRange_; }
    BuildStop Stop() const {
        return tooMany_ ? BuildStop::TooManyRecords : outOfRange_ ? BuildStop::OutOfRange : BuildStop::Finished;
    }
    void MarkOutOfRange() { outOfRange_ = true; }

    // Whether every value can be written into a record and worked with: finite and at most 1E+307 in
    // magnitude (the 15-digit text of anything above 1.797E+308 would even read back beyond the doubles).
    bool Holdable(std::initializer_list<double> values) {
        for (const double v : values) {
            if (!(std::fabs(v) <= kLargestCoordinate)) outOfRange_ = true;
        }
        return !outOfRange_;
    }

    // Appends one record with `append(text) -> RecordValues`, when the store has room for it.
    template <typename Append>
    void Store(Append append) {
        if (tooMany_ || outOfRange_) return;
        if (records_.size() >= static_cast<size_t>(kMaxRecords)) {
            tooMany_ = true;
            return;
        }
        std::string& bytes = records_.texts.Bytes();
        const size_t begin = bytes.size();
        records_.values.push_back(append(bytes));
        records_.texts.CloseRow(begin);
    }

    void WidenX(double x) { WidenExtent(x, extents_.minX, extents_.maxX); }
    void WidenY(double y) { WidenExtent(y, extents_.minY, extents_.maxY); }
    void WidenCircle(double cx, double cy, double r) {
        WidenX(cx - r);
        WidenX(cx + r);
        WidenY(cy - r);
        WidenY(cy + r);
    }

    size_t Count() const { return records_.size(); }

    // The largest magnitude a drawing may hold: the sum or difference of any two such numbers is still a
    // number, so the planning's end-point comparisons, angles and lead-ins stay finite.
    static constexpr double kLargestCoordinate = 1e307;

private:
    Extents& extents_;
    BuiltRecords& records_;
    bool tooMany_ = false;
    bool outOfRange_ = false;
};

// Pass 3: the records of the entities, widening `extents`: what the entity texts of pass 2 read as, taken
// from the pairs as they are grouped, without writing the texts. Stops, with the records cut short, as soon
// as the drawing cannot be held.
BuildStop BuildRecords(double PI, const TextTable& pairs, const std::vector<Plane>& planes, Extents& extents,
                       BuiltRecords& records);

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
