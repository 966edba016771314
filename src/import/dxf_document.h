// A DXF text read as a CAD program reads it: the header's units, the layers with their state, the blocks with
// their base points and entities, and the entities of the ENTITIES sections, every group kept as its code
// and value. Sheet mode reads drawings from this.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan::dxf {

struct Group {
    int32_t code = 0;
    std::string_view value;  // without the blanks around it; a view into the drawing's text
};

// One entity: its type ("LINE", "INSERT", ...) and groups; a POLYLINE holds its VERTEX entities, an INSERT
// the ATTRIB entities that follow it.
struct Entity {
    std::string_view type;
    std::vector<Group> groups;
    std::vector<Entity> members;
    // Each code's first group, sorted by code (made by Index): a value is found without scanning every group,
    // however many comments an entity carries.
    std::vector<std::pair<int32_t, uint32_t>> firstOfCode;

    // Makes firstOfCode from the groups; an entity not indexed is scanned group by group.
    void Index();

    // The value of the first group with `code`, if any.
    std::optional<std::string_view> Text(int32_t code) const;
    // The number of the first group with `code` (lenient parse), or `otherwise`.
    double Number(int32_t code, double otherwise = 0) const;
    int32_t Integer(int32_t code, int32_t otherwise = 0) const;
    // The layer's name (group 8), "0" when the entity names none.
    std::string_view Layer() const;
};

struct Layer {
    bool off = false;     // its colour number is negative
    bool frozen = false;  // flag 1 of group 70
};

struct Block {
    std::string name;
    double baseX = 0, baseY = 0, baseZ = 0;
    std::vector<Entity> entities;
};

// Names of layers and blocks compare without regard to case, as CAD programs compare them.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

struct Document {
    std::optional<int32_t> insUnits;  // $INSUNITS, when the header holds it
    std::map<std::string, Layer, CaseInsensitiveLess> layers;
    std::map<std::string, Block, CaseInsensitiveLess> blocks;
    std::vector<Entity> entities;  // of every ENTITIES section, in file order
};

// Reads the DXF text into a document; the document's views point into `text`, which must outlive it. Reading
// stops at the EOF group or at the end of the text; groups outside the sections read are skipped.
Document ReadDocument(std::string_view text);

}  // namespace zorvan::dxf
