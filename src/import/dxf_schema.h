// What the reader takes from a DXF file: the entities it converts, the group codes each of them takes, and
// the two-letter tag each kept code gets in an entity text. Every other part of the reader asks this table.
#pragma once

#include <string>
#include <string_view>

namespace zorvan::dxf {

struct GroupCode {
    std::string_view code;
    std::string_view tag;
};

// The kept group codes, in the order of the code list handed to the reader.
inline constexpr GroupCode kGroupCodes[] = {
    {"10", "XS"}, {"20", "YS"}, {"30", "ZS"}, {"40", "RR"}, {"11", "XE"},
    {"21", "YE"}, {"31", "ZE"}, {"50", "SA"}, {"51", "EA"}, {"42", "PP"},
};

struct EntityCodes {
    std::string_view name;
    std::string_view codes;  // the group codes the entity's records are made from, blank-separated
};

// The converted entities, in the order of the name list handed to the reader. LWPOLYLINE is read as POLYLINE.
inline constexpr EntityCodes kReadEntities[] = {
    {"LWPOLYLINE", "10 20 30 42"},        // vertex x, y, z, bulge
    {"POLYLINE", "10 20 30 42"},          // the same, on its VERTEX entities
    {"ARC", "10 20 40 50 51"},            // centre x, y, radius, start and end angle
    {"LINE", "10 20 30 11 21 31"},        // start x, y, z, end x, y, z
    {"CIRCLE", "10 20 40"},               // centre x, y, radius
};

// The two-letter tag of a kept group code, or the empty text for a code that is not kept.
constexpr std::string_view TagOf(std::string_view code) {
    for (const GroupCode& kept : kGroupCodes) {
        if (kept.code == code) return kept.tag;
    }
    return {};
}

// Whether `name` is one of the converted entities.
constexpr bool IsReadEntityName(std::string_view name) {
    for (const EntityCodes& entity : kReadEntities) {
        if (entity.name == name) return true;
    }
    return false;
}

// The code list ",10,20,30,40,11,21,31,50,51,42," and the name list ",LWPOLYLINE,POLYLINE,ARC,LINE,CIRCLE,"
// that the reader is handed by default.
const std::string& DefaultCodeList();
const std::string& DefaultNameList();

}  // namespace zorvan::dxf
