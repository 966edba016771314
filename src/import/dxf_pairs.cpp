// Passes 1 and 2 of the DXF reader: keeping the pairs of the entities to read, and grouping them per entity.
//
// An entity starts at a group code 0 pair whose value names its type. Within the ENTITIES section the five
// read types switch keeping on and every other entity start switches it off, except VERTEX and SEQEND, which
// belong to the POLYLINE before them. A POLYLINE's own point (its 10/20/30 pairs before the first VERTEX) is
// not a vertex and is not kept.
#include "import/dxf_passes.h"
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

bool ContainsDelimited(std::string_view list, std::string_view item) {
    std::string needle = ",";
    needle += item;
    needle += ',';
    return list.find(needle) != std::string_view::npos;
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

ScanStop KeepPairs(std::string_view text, std::string_view codeList, std::string_view nameList,
                   std::vector<std::string>& pairs) {
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
            std::string pair(*codeLine);
            pair += '|';
            pair += *valueLine;
            pairs.push_back(std::move(pair));
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

std::vector<std::string> GroupEntities(const std::vector<std::string>& pairs) {
    std::vector<std::string> entities;
    std::string current;
    for (const std::string& pair : pairs) {
        const size_t bar = pair.find('|');
        const std::string_view code = TrimBlanks(std::string_view(pair).substr(0, bar));
        const std::string_view value = TrimBlanks(std::string_view(pair).substr(bar + 1));
        if (code == "0" && IsReadEntityName(value)) {
            if (!TrimBlanks(current).empty()) entities.push_back(std::move(current));
            current.assign(value);
            current += ':';
        }
        const std::string_view tag = TagOf(code);
        if (!tag.empty()) {
            current += tag;
            current += value;
            current += '|';
        }
    }
    if (!TrimBlanks(current).empty()) entities.push_back(std::move(current));
    return entities;
}

}  // namespace dxf
}  // namespace zorvan
