// Splitting record texts and building them.
#include "model/record_text.h"

#include <array>

#include "model/number_text.h"

namespace zorvan {

std::vector<std::string_view> SplitFields(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string_view FieldAt(const std::vector<std::string_view>& fields, size_t index) {
    return index < fields.size() ? fields[index] : std::string_view{};
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string JoinFields(const std::vector<std::string>& fields) {
    std::string text;
    for (const std::string& field : fields) {
        if (!text.empty()) text += ' ';
        text += field;
    }
    return text;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    if (from.empty()) return text;
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
    return text;
}

bool ContainsAfterFirst(std::string_view record, char letter) {
    return record.size() > 1 && record.find(letter, 1) != std::string_view::npos;
}

bool IsArcRecord(std::string_view record) { return record.find('A') != std::string_view::npos; }
bool IsLineRecord(std::string_view record) { return record.find('D') != std::string_view::npos; }
bool IsCircleRecord(std::string_view record) { return record.find('K') != std::string_view::npos; }

RecordValues AppendLineRecord(std::string& out, double x1, double y1, double z1, double x2, double y2, double z2) {
    std::array<double, 11> at{};
    const double in[] = {x1, y1, z1, x2, y2, z2};
    for (size_t k = 0; k < 6; ++k) {
        at[k] = AppendInvariantNumber(out, in[k]);
        out += ' ';
    }
    out += 'D';
    return RecordValues::Of(RecordKind::Line, at, 0);
}

RecordValues AppendArcRecord(std::string& out, double cx, double cy, double r, double startDeg, double endDeg,
                             char sense, double x1, double y1, double x2, double y2) {
    std::array<double, 11> at{};
    at[0] = AppendInvariantNumber(out, cx);
    out += ' ';
    at[1] = AppendInvariantNumber(out, cy);
    out += " 0 ";
    const double rest[] = {r, startDeg, endDeg};
    for (size_t k = 0; k < 3; ++k) {
        at[3 + k] = AppendInvariantNumber(out, rest[k]);
        out += ' ';
    }
    out += sense;
    const double ends[] = {x1, y1, x2, y2};
    for (size_t k = 0; k < 4; ++k) {
        out += ' ';
        at[7 + k] = AppendInvariantNumber(out, ends[k]);
    }
    out += " A";
    return RecordValues::Of(RecordKind::Arc, at, sense == '+' || sense == '-' ? sense : 0);
}

RecordValues AppendCircleRecord(std::string& out, double cx, double cy, double r) {
    std::array<double, 11> at{};
    at[0] = AppendInvariantNumber(out, cx);
    out += ' ';
    at[1] = AppendInvariantNumber(out, cy);
    out += " 0 ";
    at[3] = AppendInvariantNumber(out, r);
    out += " + ";
    at[5] = AppendInvariantNumber(out, cx - r);
    out += ' ';
    at[6] = AppendInvariantNumber(out, cy);
    out += " K";
    return RecordValues::Of(RecordKind::Circle, at, '+');
}

std::string MakeLineRecord(double x1, double y1, double z1, double x2, double y2, double z2) {
    std::string text;
    AppendLineRecord(text, x1, y1, z1, x2, y2, z2);
    return text;
}

std::string MakeArcRecord(double cx, double cy, double r, double startDeg, double endDeg, char sense, double x1,
                          double y1, double x2, double y2) {
    std::string text;
    AppendArcRecord(text, cx, cy, r, startDeg, endDeg, sense, x1, y1, x2, y2);
    return text;
}

std::string MakeCircleRecord(double cx, double cy, double r) {
    std::string text;
    AppendCircleRecord(text, cx, cy, r);
    return text;
}

}  // namespace zorvan
