// Record end points and reversal, from the numbers a record reads as and, for the texts written, the texts
// of its fields: a reversed field is its own number in the default form, which for the numbers the program
// writes is the field text itself with its leading "0" restored.
#include "model/record_ends.h"

#include "model/number_text.h"
#include "model/record_text.h"

#include <initializer_list>

namespace zorvan {

double startX(std::string_view record) { return RecordValues(record).StartX(); }
double startY(std::string_view record) { return RecordValues(record).StartY(); }
double endX(std::string_view record) { return RecordValues(record).EndX(); }
double endY(std::string_view record) { return RecordValues(record).EndY(); }

RecordEnds EndsOf(std::string_view record) {
    const RecordValues values(record);
    return {values.StartX(), values.StartY(), values.EndX(), values.EndY()};
}

namespace {

// Appends the fields at `order` in the default form, each followed by a blank; -1 writes "0".
void AppendFields(std::string& out, const RecordFieldTexts& fields, std::initializer_list<int> order) {
    for (const int k : order) {
        if (k == -1) {
            out += '0';
        } else {
            AppendDefaultOfText(out, fields.at[static_cast<size_t>(k)]);
        }
        out += ' ';
    }
}

void AppendTurnedSense(std::string& out, std::string_view sense) { out += sense == "+" ? "- " : "+ "; }

}  // namespace

void AppendInverted(std::string& out, std::string_view record, RecordKind kind) {
    const RecordFieldTexts f(record);
    switch (kind) {
        case RecordKind::Line:
            AppendFields(out, f, {3, 4, 5, 0, 1, 2});
            out += 'D';
            return;
        case RecordKind::Arc:
            AppendFields(out, f, {0, 1, -1, 3, 5, 4});
            AppendTurnedSense(out, f.at[6]);
            AppendFields(out, f, {9, 10, 7, 8});
            out += 'A';
            return;
        case RecordKind::Circle:
            AppendFields(out, f, {0, 1, 2, 3});
            AppendTurnedSense(out, f.at[4]);
            AppendFields(out, f, {5, 6});
            out += 'K';
            return;
        case RecordKind::None: return;
    }
}

std::string INVERT_D(std::string_view record) {
    std::string text;
    AppendInverted(text, record, RecordKind::Line);
    return text;
}

std::string INVERT_A(std::string_view record) {
    std::string text;
    AppendInverted(text, record, RecordKind::Arc);
    return text;
}

std::string INVERT_K(std::string_view record) {
    std::string text;
    AppendInverted(text, record, RecordKind::Circle);
    return text;
}

std::string invert_IT(std::string_view record) {
    std::string text;
    AppendInverted(text, record, KindOf(record));
    return text;
}

void AppendStartPoints(std::string& out, std::string_view recordList) {
    const std::string_view first = recordList.substr(0, recordList.find('|'));
    const std::string_view type = first.substr(first.rfind(' ') == std::string_view::npos ? 0 : first.rfind(' ') + 1);
    const RecordFieldTexts f(first);
    const size_t begin = out.size();
    if (type == "D") {
        AppendDefaultOfText(out, f.at[0]);
        out += ' ';
        AppendDefaultOfText(out, f.at[1]);
    } else if (type == "K") {
        AppendDefaultNumber(out, LenientParse(f.at[0]) - LenientParse(f.at[3]));
        out += ' ';
        AppendDefaultOfText(out, f.at[1]);
    } else if (type == "A") {
        AppendDefaultOfText(out, f.at[7]);
        out += ' ';
        AppendDefaultOfText(out, f.at[8]);
    } else {
        out += "0 0";
    }
    const size_t length = out.size() - begin;
    out += ' ';
    out.append(out, begin, length);
}

std::string startPoints(std::string_view recordList) {
    std::string text;
    AppendStartPoints(text, recordList);
    return text;
}

}  // namespace zorvan
