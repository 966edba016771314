// Passes 1 and 2 of the DXF reader: keeping the pairs of the entities to read, and grouping them per entity.
//
// An entity starts at a group code 0 pair whose value names its type. Within the ENTITIES section the five
// read types switch keeping on and every other entity start switches it off, except VERTEX and SEQEND, which
// belong to the POLYLINE before them. A POLYLINE's own point (its 10/20/30 pairs before the first VERTEX) is
// not a vertex and is not kept.
#include "import/dxf_passes.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "import/dxf_schema.h"

#include "import/dxf_reader.h"
#include "model/program.h"
#include "model/number_text.h"
#include "model/record_text.h"

namespace zorvan {

std::string ReadPair(LineReader& reader) {
    const auto code = reader.ReadLine();
    const auto value = reader.ReadLine();
    if (!code || !value) return "0000|0000";
    std::string pair(*code);
    pair += '|';
    pair += *value;
    return pair;
}

namespace dxf {

namespace {

// Whether "," + item + "," occurs in the list, without building that text.
bool ContainsDelimited(std::string_view list, std::string_view item) {
    for (size_t at = list.find(item); at != std::string_view::npos; at = list.find(item, at + 1)) {
        const size_t after = at + item.size();
        if (at > 0 && list[at - 1] == ',' && after < list.size() && list[after] == ',') return true;
    }
    return false;
}

bool IsPolylineMember(std::string_view name) { return name == "VERTEX" || name == "SEQEND"; }

bool IsPointCode(std::string_view code) { return code == "10" || code == "20" || code == "30"; }

// The state of pass 1 between pairs.
struct ScanState {
    bool inEntities = false;
    bool keep = false;
    bool inPolylineHeader = false;  // between a POLYLINE's start and its first VERTEX
    int32_t entityCount = 0;
    bool inEntitiesSection = false;  // between "0 SECTION, 2 ENTITIES" and its "0 ENDSEC"
    bool sectionStarts = false;      // the pair before was "0 SECTION"
    std::string_view variable;       // the header variable whose values come
};

// The entity read last, while its own pairs (not those of its VERTEX entities) come: its extrusion direction
// and its polyline flags, for its plane and for telling 3D polylines and meshes apart.
struct ReadEntity {
    std::string_view name;
    std::optional<size_t> plane;  // its place in ScanFacts::planes, when its name was kept
    double x = 0, y = 0, z = 1;
    int32_t polylineFlags = 0;
    bool open = false;  // its own pairs are still coming
};

void Finish(ReadEntity& entity, ScanFacts& facts) {
    if (!entity.open) return;
    entity.open = false;
    const Plane plane = PlaneOf(entity.x, entity.y, entity.z);
    if (entity.plane) facts.planes[*entity.plane] = plane;
    if (plane == Plane::Tilted) ++facts.readFlat[std::string(entity.name) + " on a tilted plane"];
    if (entity.name == "POLYLINE" && (entity.polylineFlags & 8) != 0) ++facts.readFlat["3D POLYLINE"];
    if (entity.name == "POLYLINE" && (entity.polylineFlags & (16 | 64)) != 0) ++facts.readFlat["POLYLINE mesh"];
}

// Takes a pair of the entity read last: its extrusion and polyline flags.
void Note(ReadEntity& entity, std::string_view code, std::string_view value) {
    if (!entity.open) return;
    if (code == "210") entity.x = LenientParse(value);
    if (code == "220") entity.y = LenientParse(value);
    if (code == "230") entity.z = LenientParse(value);
    if (code == "70" && entity.name == "POLYLINE") entity.polylineFlags = RecordNumberParse(value);
}

}  // namespace

Plane PlaneOf(double x, double y, double z) {
    if (std::fabs(x) > 1e-9 || std::fabs(y) > 1e-9) return Plane::Tilted;
    return z < 0 ? Plane::Mirrored : Plane::Drawing;
}

ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList, TextTable& pairs,
                   ScanFacts& facts) {
    pairs.reserve(std::min(text.size() / 8 + 1, static_cast<size_t>(kMaxDxfPairs)), text.size() + 64);
    LineReader reader(text);
    ScanState state;
    ReadEntity entity;
    while (true) {
        const auto codeLine = reader.ReadLine();
        const auto valueLine = reader.ReadLine();
        if (!codeLine || !valueLine || *valueLine == "EOF") break;
        if (*valueLine == "SPLINE") return ScanStop::Spline;
        if (!state.inEntities) state.inEntities = *valueLine == "ENTITIES";

        const std::string_view code = TrimBlanks(*codeLine);
        const std::string_view value = TrimBlanks(*valueLine);
        if (code == "2" && state.sectionStarts) state.inEntitiesSection = value == "ENTITIES";
        // A header variable's values run up to the next variable or the end of the section: a later group 70
        // (a polyline's flags) is not the units.
        if (code == "9") state.variable = value;
        if (code == "0") state.variable = {};
        if (code == "70" && state.variable == "$INSUNITS") facts.insUnits = RecordNumberParse(value);
        state.sectionStarts = code == "0" && value == "SECTION";
        if (code == "0") {
            Finish(entity, facts);
            if (value == "ENDSEC") state.inEntitiesSection = false;
            const bool counted = state.inEntitiesSection && !IsReadEntityName(value) && !IsPolylineMember(value);
            if (counted && value != "ENDSEC") ++facts.notRead[std::string(value)];
        }
        const bool startsEntity = code == "0" && state.inEntities;
        if (startsEntity) {
            state.inPolylineHeader = value == "POLYLINE";
            if (IsReadEntityName(value)) {
                state.keep = true;
                entity = ReadEntity{value, std::nullopt, 0, 0, 1, 0, true};
            } else if (!IsPolylineMember(value)) {
                state.keep = false;
            }
        } else if (state.keep) {
            Note(entity, code, value);
        }

        const bool namesEntity = startsEntity && IsReadEntityName(value) && ContainsDelimited(nameList, value);
        const bool isHeaderPoint = state.inPolylineHeader && IsPointCode(code);
        if (state.keep && !isHeaderPoint && (namesEntity || ContainsDelimited(codeList, code))) {
            if (static_cast<int32_t>(pairs.size()) >= kMaxDxfPairs) return ScanStop::TooManyPairs;
            if (namesEntity && ++state.entityCount > kMaxDxfEntities) return ScanStop::TooManyEntities;
            if (namesEntity) {
                entity.plane = facts.planes.size();
                facts.planes.push_back(Plane::Drawing);
            }
            std::string& bytes = pairs.Bytes();
            const size_t begin = bytes.size();
            bytes.append(*codeLine).append("|").append(*valueLine);
            pairs.CloseRow(begin);
        }
        if (value == "ENDSEC") state.keep = false;
    }
    Finish(entity, facts);
    return ScanStop::Finished;
}

namespace {

std::string Delimited(auto const& table, auto field) {
    std::string list = ",";
    for (const auto& row : table) list.append(row.*field).push_back(',');
    return list;
}

}  // namespace

const std::string& DefaultCodeList() {
    static const std::string list = Delimited(kGroupCodes, &GroupCode::code);
    return list;
}

const std::string& DefaultNameList() {
    static const std::string list = Delimited(kReadEntities, &EntityCodes::name);
    return list;
}

TextTable GroupEntities(const TextTable& pairs) {
    TextTable entities;
    entities.reserve(pairs.size() / 2 + 1, pairs.Bytes().size() + 64);
    std::string& bytes = entities.Bytes();
    size_t begin = 0;
    GroupPairs(
        pairs,
        [&](std::string_view name) {
            begin = bytes.size();
            if (!name.empty()) bytes.append(name).push_back(':');
        },
        [&](std::string_view tag, std::string_view value) { bytes.append(tag).append(value).push_back('|'); },
        [&] { entities.CloseRow(begin); });
    return entities;
}

size_t CountEntities(const TextTable& pairs) {
    size_t count = 0;
    GroupPairs(pairs, [&count](std::string_view) { ++count; }, [](std::string_view, std::string_view) {}, [] {});
    return count;
}

}  // namespace dxf
}  // namespace zorvan
