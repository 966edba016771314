// The direct G-code listing.
#include "gcode/direct_gcode.h"

#include <vector>

#include "gcode/gcode_numbers.h"
#include "model/number_text.h"
#include "model/record_text.h"
#include "model/record_ends.h"

namespace zorvan {

namespace {

void AppendRow(std::string& out, const std::string& row) {
    out += row;
    out += "\r\n";
}

void AppendMoves(std::string& out, std::string_view record) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t k) { return LenientParse(FieldAt(f, k)); };
    const auto g = [](double v) { return GcodeNumber(v); };
    if (ContainsAfterFirst(record, 'D')) AppendRow(out, "G01 X" + g(n(3)) + " Y" + g(n(4)));
    if (ContainsAfterFirst(record, 'K')) {
        const double cx = n(0), cy = n(1), r = n(3);
        const std::string centre = " I" + g(cx) + " J" + g(cy);
        AppendRow(out, "G00 X " + g(cx + r) + " Y" + g(cy));
        AppendRow(out, "G03 X " + g(cx - r) + " Y" + g(cy) + centre);
        AppendRow(out, "G03 X " + g(cx + r) + " Y" + g(cy) + centre);
    }
    if (ContainsAfterFirst(record, 'A')) {
        const std::string code = FieldAt(f, 6) == "+" ? "G03" : "G02";
        AppendRow(out, code + " X" + g(n(9)) + " Y" + g(n(10)) + " I" + g(n(0)) + " J" + g(n(1)));
    }
}

// The record numbers of contourChain in order: ":7" is 7, empty elements are skipped, the tail dropped.
std::vector<int32_t> ChainRecordNumbers(const std::string& contourChain) {
    std::vector<int32_t> numbers;
    const auto elements = SplitFields(contourChain, '|');
    for (size_t k = 0; k + 1 < elements.size(); ++k) {
        std::string_view element = elements[k];
        if (element.starts_with(':')) element.remove_prefix(1);
        if (TrimBlanks(element).empty()) continue;
        numbers.push_back(RecordNumberParse(element));
    }
    return numbers;
}

}  // namespace

std::string GenerateDirectGCode(const Program& program, std::string_view header, std::string_view footer) {
    std::string out(header);
    const std::vector<int32_t> numbers = ChainRecordNumbers(program.contourChain);
    for (size_t k = 0; k < numbers.size(); ++k) {
        const std::string& record = program.store.GetDATA(numbers[k]);
        AppendRow(out, "");
        if (k == 0) {
            AppendRow(out, "G00 Z-0.5");
            AppendRow(out, "TORCHON");
            AppendRow(out, "G01 X" + GcodeNumber(startX(record)) + " Y" + GcodeNumber(startY(record)));
        }
        AppendMoves(out, record);
        if (k + 1 == numbers.size()) {
            AppendRow(out, "TORCHOFF");
            AppendRow(out, "G00 Z0.5");
        }
    }
    AppendRow(out, "G00 X0 Y0");
    out += footer;
    return out;
}

}  // namespace zorvan
