// Reading a DXF text into a document: sections, tables, blocks, entities.
#include "import/dxf_document.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "model/number_text.h"
#include "model/record_text.h"
#include "model/text_file.h"

namespace zorvan::dxf {

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}

void Entity::Index() {
    firstOfCode.clear();
    for (size_t k = 0; k < groups.size(); ++k) firstOfCode.emplace_back(groups[k].code, static_cast<uint32_t>(k));
    std::stable_sort(firstOfCode.begin(), firstOfCode.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    firstOfCode.erase(std::unique(firstOfCode.begin(), firstOfCode.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                      firstOfCode.end());
}

std::optional<std::string_view> Entity::Text(int32_t code) const {
    if (firstOfCode.empty()) {
        for (const Group& group : groups) {
            if (group.code == code) return group.value;
        }
        return std::nullopt;
    }
    const auto found = std::lower_bound(firstOfCode.begin(), firstOfCode.end(), code,
                                        [](const auto& entry, int32_t c) { return entry.first < c; });
    if (found == firstOfCode.end() || found->first != code) return std::nullopt;
    return groups[found->second].value;
}

double Entity::Number(int32_t code, double otherwise) const {
    const auto text = Text(code);
    return text ? LenientParse(*text) : otherwise;
}

int32_t Entity::Integer(int32_t code, int32_t otherwise) const {
    const auto text = Text(code);
    return text ? RecordNumberParse(*text) : otherwise;
}

std::string_view Entity::Layer() const { return Text(8).value_or("0"); }

namespace {

// The groups of a DXF text, one at a time.
class GroupReader {
public:
    explicit GroupReader(std::string_view text) : lines_(text) {}

    // The next group, or nothing at the end of the text or at EOF.
    std::optional<Group> Next() {
        if (pending_) return std::exchange(pending_, std::nullopt);
        const auto code = lines_.ReadLine();
        const auto value = lines_.ReadLine();
        if (!code || !value) return std::nullopt;
        Group group{RecordNumberParse(TrimBlanks(*code)), TrimBlanks(*value)};
        if (group.code == 0 && group.value == "EOF") return std::nullopt;
        return group;
    }
    // Hands `group` out again on the next call.
    void PutBack(Group group) { pending_ = group; }

private:
    LineReader lines_;
    std::optional<Group> pending_;
};

bool IsStart(const Group& group, std::string_view type) { return group.code == 0 && group.value == type; }

// The groups of one entity after its type: up to the next group 0, which is put back.
Entity ReadEntity(GroupReader& reader, std::string_view type) {
    Entity entity;
    entity.type = type;
    while (const auto group = reader.Next()) {
        if (group->code == 0) {
            reader.PutBack(*group);
            break;
        }
        entity.groups.push_back(*group);
    }
    entity.Index();
    return entity;
}

// The entities up to the group 0 that ends them (`end`, "ENDSEC" or "ENDBLK"), which is consumed. VERTEX
// entities join the POLYLINE before them and ATTRIB entities the INSERT, up to the SEQEND that closes them.
std::vector<Entity> ReadEntities(GroupReader& reader, std::string_view end) {
    std::vector<Entity> entities;
    while (const auto group = reader.Next()) {
        if (group->code != 0) continue;  // stray groups between entities
        if (group->value == end || group->value == "ENDSEC") break;
        if (group->value == "SECTION") {  // a section left open: it ends here
            reader.PutBack(*group);
            break;
        }
        Entity entity = ReadEntity(reader, group->value);
        const bool hasMembers = entity.type == "POLYLINE" || (entity.type == "INSERT" && entity.Integer(66) == 1);
        while (hasMembers) {
            const auto next = reader.Next();
            if (!next) break;
            if (next->code == 0 && (next->value == "VERTEX" || next->value == "ATTRIB")) {
                entity.members.push_back(ReadEntity(reader, next->value));
                continue;
            }
            if (next->code == 0 && next->value == "SEQEND") {
                ReadEntity(reader, next->value);
            } else {
                reader.PutBack(*next);
            }
            break;
        }
        entities.push_back(std::move(entity));
    }
    return entities;
}

void ReadHeader(GroupReader& reader, Document& document) {
    std::string_view variable;
    while (const auto group = reader.Next()) {
        if (IsStart(*group, "ENDSEC")) return;
        if (IsStart(*group, "SECTION")) return reader.PutBack(*group);
        if (group->code == 9) variable = group->value;
        if (variable == "$INSUNITS" && group->code == 70) document.insUnits = RecordNumberParse(group->value);
    }
}

void ReadTables(GroupReader& reader, Document& document) {
    while (const auto group = reader.Next()) {
        if (IsStart(*group, "ENDSEC")) return;
        if (IsStart(*group, "SECTION")) return reader.PutBack(*group);
        if (!IsStart(*group, "LAYER")) continue;
        const Entity layer = ReadEntity(reader, "LAYER");
        const auto name = layer.Text(2);
        if (!name) continue;
        document.layers[std::string(*name)] = {layer.Integer(62) < 0, (layer.Integer(70) & 1) != 0};
    }
}

void ReadBlocks(GroupReader& reader, Document& document) {
    while (const auto group = reader.Next()) {
        if (IsStart(*group, "ENDSEC")) return;
        if (IsStart(*group, "SECTION")) return reader.PutBack(*group);
        if (!IsStart(*group, "BLOCK")) continue;
        const Entity header = ReadEntity(reader, "BLOCK");
        Block block;
        block.name = std::string(header.Text(2).value_or(""));
        block.baseX = header.Number(10);
        block.baseY = header.Number(20);
        block.baseZ = header.Number(30);
        block.entities = ReadEntities(reader, "ENDBLK");
        if (!block.name.empty()) document.blocks.emplace(block.name, std::move(block));
    }
}

void SkipSection(GroupReader& reader) {
    while (const auto group = reader.Next()) {
        if (IsStart(*group, "ENDSEC")) return;
        if (IsStart(*group, "SECTION")) return reader.PutBack(*group);
    }
}

}  // namespace

Document ReadDocument(std::string_view text) {
    Document document;
    GroupReader reader(text);
    while (const auto group = reader.Next()) {
        if (!IsStart(*group, "SECTION")) continue;
        const auto name = reader.Next();
        if (!name) break;
        if (name->code != 2) {
            reader.PutBack(*name);
            continue;
        }
        if (name->value == "HEADER") {
            ReadHeader(reader, document);
        } else if (name->value == "TABLES") {
            ReadTables(reader, document);
        } else if (name->value == "BLOCKS") {
            ReadBlocks(reader, document);
        } else if (name->value == "ENTITIES") {
            std::vector<Entity> entities = ReadEntities(reader, "ENDSEC");
            std::move(entities.begin(), entities.end(), std::back_inserter(document.entities));
        } else {
            SkipSection(reader);
        }
    }
    return document;
}

}  // namespace zorvan::dxf
