// Passes 1 and 2 of the DXF reader: keeping the pairs of the entities to read, and grouping them per entity.
//
// An entity starts at a group code 0 pair whose value names its type. Within the ENTITIES section the five
// read types switch keeping on and every other entity start switches it off, except VERTEX and SEQEND, which
// belong to the POLYLINE before them. A POLYLINE's own point (its 10/20/30 pairs before the first VERTEX) is
// not a vertex and is not kept.
#include "import/dxf_passes.h"

#include <algorithm>
#include "import/dxf_schema.h"

#include "import/dxf_reader.h"
#include "model/program.h"
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
};

}  // namespace

ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList, TextTable& pairs) {
    pairs.reserve(std::min(text.size() / 8 + 1, static_cast<size_t>(kMaxDxfPairs)), text.size() + 64);
    LineReader reader(text);
    ScanState state;
    while (true) {
        const auto codeLine = reader.ReadLine();
        const auto valueLine = reader.ReadLine();
        if (!codeLine || !valueLine || *valueLine == "EOF") return ScanStop::Finished;
        if (*valueLine == "SPLINE") return ScanStop::Spline;
        if (!state.inEntities) state.inEntities = *valueLine == "ENTITIES";

        const std::string_view code = TrimBlanks(*codeLine);
        const std::string_view value = TrimBlanks(*valueLine);
        const bool startsEntity = code == "0" && state.inEntities;
        if (startsEntity) {
            state.inPolylineHeader = value == "POLYLINE";
            if (IsReadEntityName(value)) {
                state.keep = true;
            } else if (!IsPolylineMember(value)) {
                state.keep = false;
            }
        }

        const bool namesEntity = startsEntity && IsReadEntityName(value) && ContainsDelimited(nameList, value);
        const bool isHeaderPoint = state.inPolylineHeader && IsPointCode(code);
        if (state.keep && !isHeaderPoint && (namesEntity || ContainsDelimited(codeList, code))) {
            if (static_cast<int32_t>(pairs.size()) >= kMaxDxfPairs) return ScanStop::TooManyPairs;
            if (namesEntity && ++state.entityCount > kMaxDxfEntities) return ScanStop::TooManyEntities;
            std::string& bytes = pairs.Bytes();
            const size_t begin = bytes.size();
            bytes.append(*codeLine).append("|").append(*valueLine);
            pairs.CloseRow(begin);
        }
        if (value == "ENDSEC") state.keep = false;
    }
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
