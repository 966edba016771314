// Part files.
#include "gcode/part_file.h"

#include "model/part_entry.h"

namespace zorvan {

std::string PartFileLine(const Program& program, int32_t partCount) {
    std::string line;
    size_t size = 0;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) size += program.partList[static_cast<size_t>(i)].size();
    line.reserve(size);
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartFields part(program.partList[static_cast<size_t>(i)]);
        if (part.IsDeleted()) continue;
        line.append(part.header).append(":").append(part.records).append("#");
    }
    return line;
}

int32_t CountOutsideCuts(const Program& program, int32_t partCount) {
    int32_t count = 0;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (entry.starts_with("OO") && !PartFields(entry).IsDeleted()) ++count;
    }
    return count;
}

int32_t CountDeletedParts(const Program& program, int32_t partCount) {
    int32_t count = 0;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        if (PartFields(program.partList[static_cast<size_t>(i)]).IsDeleted()) ++count;
    }
    return count;
}

}  // namespace zorvan
