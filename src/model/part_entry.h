// Part entries: "header:records:marks" with an optional closing ":".
//   header  "II sx sy lx ly" - the cut marker ("OO" outside cut, "II" inside cut), the contour's start point
//           and the lead-in point where the torch pierces
//   records the contour's record texts, each followed by "|"
//   marks   "NOTS NOTD area" - select mark ("SEL"/"NOTS"), delete mark ("DEL"/"NOTD"), the stored area
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "model/number_text.h"
#include "model/program.h"
#include "model/record_text.h"

namespace zorvan {

// The first three ":"-fields of an entry (empty where the entry has fewer). Views into the entry text.
struct PartFields {
    explicit PartFields(std::string_view entry) {
        const auto fields = SplitFields(entry, ':');
        header = FieldAt(fields, 0);
        records = FieldAt(fields, 1);
        marks = FieldAt(fields, 2);
    }

    // The first two characters of the header.
    std::string_view Marker() const { return header.substr(0, 2); }
    // The area stored as the third word of the marks.
    double StoredArea() const { return LenientParse(FieldAt(SplitFields(marks), 2)); }

    std::string_view header, records, marks;
};

// The number of part entries in use, within the part table.
inline int32_t PartRowCount(const Program& program) { return std::clamp(program.partCount, 0, kMaxContours); }

}  // namespace zorvan
