// The contour list and the part entries.
#include "import/part_entries.h"

#include "geometry/area.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "model/record_ends.h"

#include <algorithm>

namespace zorvan {

namespace {

// The flat form: record numbers each followed by "|", an empty element after each contour.
std::vector<std::string> FlatChainContours(std::string_view contourChain) {
    std::vector<std::string> contours;
    std::string contour;
    const auto elements = SplitFields(contourChain, '|');
    for (size_t k = 0; k + 1 < elements.size(); ++k) {
        if (!TrimBlanks(elements[k]).empty()) {
            contour.append(elements[k]).append("|");
        } else if (!contour.empty()) {
            contours.push_back(std::move(contour));
            contour.clear();
        }
    }
    if (!contour.empty()) contours.push_back(std::move(contour));
    return contours;
}

}  // namespace

std::vector<std::string> ChainContours(std::string_view contourChain) {
    if (contourChain.find(':') == std::string_view::npos) return FlatChainContours(contourChain);
    const auto contours = SplitFields(contourChain, ':');
    return std::vector<std::string>(contours.begin(), contours.end() - 1);  // the tail after the last ":" is none
}

void FillContourList(Program& program) {
    std::vector<std::string> contours = ChainContours(program.contourChain);
    const int32_t count = static_cast<int32_t>(std::min<size_t>(contours.size(), kMaxContours));
    for (int32_t i = 0; i < count; ++i) {
        program.contourList[static_cast<size_t>(i)] = std::move(contours[static_cast<size_t>(i)]);
    }
    program.contourCount = count;
}

std::vector<int32_t> ContourRecordNumbers(std::string_view contourRow) {
    const auto indices = SplitFields(contourRow, '|');
    std::vector<int32_t> numbers;
    numbers.reserve(indices.size());
    for (size_t k = 0; k + 1 < indices.size(); ++k) numbers.push_back(RecordNumberParse(indices[k]));
    return numbers;
}

std::string BuildPartEntry(std::string_view contour) {
    std::string entry;
    entry.reserve(contour.size() + 128);
    entry.append("II ");
    AppendStartPoints(entry, contour);
    entry.append(":").append(contour).append(":NOTS NOTD 0");
    return entry;
}

void BuildPartList(Program& program) {
    const int32_t count = std::clamp(program.contourCount, 0, kMaxContours);
    std::string contour;
    RecordList values;
    for (int32_t i = 0; i < count; ++i) {
        contour.clear();
        values.clear();
        for (const int32_t number : ContourRecordNumbers(program.contourList[static_cast<size_t>(i)])) {
            contour += program.store.GetDATA(number);
            contour += '|';
            values.push_back(program.store.Values(number));
        }
        program.partList[static_cast<size_t>(i)].Set(BuildPartEntry(contour), values);
    }
    program.partCount = count;
}

void ComputePartAreas(Program& program) {
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const double area = PartArea(program, entry.Records());
        std::string text;
        text.reserve(entry.size() + 8);
        text.append(part.header).append(":").append(part.records).append(":NOTS NOTD ");
        AppendDefaultNumber(text, area);
        text += ':';
        entry = std::move(text);
    }
}

}  // namespace zorvan
