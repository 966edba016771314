// The direct G-code listing.
#include "gcode/direct_gcode.h"

#include <vector>

#include "gcode/gcode_numbers.h"
#include "model/number_text.h"
#include "model/record_text.h"
#include "model/record.h"

namespace zorvan {

namespace {

void AppendRow(std::string& out, const std::string& row) {
    out += row;
    out += "\r\n";
}

void AppendMoves(std::string& out, const RecordValues& record) {
    const auto g = [](double v) { return GcodeNumber(v); };
    switch (record.kind()) {
        case RecordKind::Line: AppendRow(out, "G01 X" + g(record.At(3)) + " Y" + g(record.At(4))); break;
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            const std::string centre = " I" + g(c.cx) + " J" + g(c.cy);
            AppendRow(out, "G00 X " + g(c.cx + c.r) + " Y" + g(c.cy));
            AppendRow(out, "G03 X " + g(c.cx - c.r) + " Y" + g(c.cy) + centre);
            AppendRow(out, "G03 X " + g(c.cx + c.r) + " Y" + g(c.cy) + centre);
            break;
        }
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            const std::string code = a.sense == '+' ? "G03" : "G02";
            AppendRow(out, code + " X" + g(a.x2) + " Y" + g(a.y2) + " I" + g(a.cx) + " J" + g(a.cy));
            break;
        }
        case RecordKind::None: break;
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
        const RecordValues& record = program.store.Values(numbers[k]);
        AppendRow(out, "");
        if (k == 0) {
            AppendRow(out, "G00 Z-0.5");
            AppendRow(out, "TORCHON");
            AppendRow(out, "G01 X" + GcodeNumber(record.StartX()) + " Y" + GcodeNumber(record.StartY()));
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
