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
        line.append(part.header).append(":").append(part.records).append("#");
    }
    return line;
}

int32_t CountOutsideCuts(const Program& program, int32_t partCount) {
    int32_t count = 0;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        if (program.partList[static_cast<size_t>(i)].starts_with("OO")) ++count;
    }
    return count;
}

}  // namespace zorvan
