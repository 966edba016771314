// Splitting record texts and building them.
#include "model/record_text.h"

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

std::string MakeLineRecord(double x1, double y1, double z1, double x2, double y2, double z2) {
    return InvariantNumber(x1) + " " + InvariantNumber(y1) + " " + InvariantNumber(z1) + " " +
           InvariantNumber(x2) + " " + InvariantNumber(y2) + " " + InvariantNumber(z2) + " D";
}

std::string MakeArcRecord(double cx, double cy, double r, double startDeg, double endDeg, char sense, double x1,
                          double y1, double x2, double y2) {
    return InvariantNumber(cx) + " " + InvariantNumber(cy) + " 0 " + InvariantNumber(r) + " " +
           InvariantNumber(startDeg) + " " + InvariantNumber(endDeg) + " " + sense + " " + InvariantNumber(x1) +
           " " + InvariantNumber(y1) + " " + InvariantNumber(x2) + " " + InvariantNumber(y2) + " A";
}

std::string MakeCircleRecord(double cx, double cy, double r) {
    return InvariantNumber(cx) + " " + InvariantNumber(cy) + " 0 " + InvariantNumber(r) + " + " +
           InvariantNumber(cx - r) + " " + InvariantNumber(cy) + " K";
}

}  // namespace zorvan
