// Record end points and reversal.
#include "model/record_ends.h"

#include <vector>

#include "model/number_text.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

// Which layout a record is read by: the last of "A", "D", "K" that it contains.
enum class Layout { None, Arc, Line, Circle };

Layout LayoutOf(std::string_view record) {
    Layout layout = Layout::None;
    if (IsArcRecord(record)) layout = Layout::Arc;
    if (IsLineRecord(record)) layout = Layout::Line;
    if (IsCircleRecord(record)) layout = Layout::Circle;
    return layout;
}

// Field positions of the start and end point of each layout, as {startX, startY, endX, endY}.
struct EndFields {
    size_t sx, sy, ex, ey;
};

EndFields EndFieldsOf(Layout layout) {
    switch (layout) {
        case Layout::Arc: return {7, 8, 9, 10};
        case Layout::Line: return {0, 1, 3, 4};
        case Layout::Circle: return {5, 6, 5, 6};
        case Layout::None: break;
    }
    return {0, 0, 0, 0};
}

std::string TurnedSense(std::string_view sense) { return sense == "+" ? "-" : "+"; }

std::string RemoveLetter(std::string_view text, char letter) {
    std::string result;
    for (const char c : text) {
        if (c != letter) result += c;
    }
    return result;
}

}  // namespace

RecordEnds EndsOf(std::string_view record) {
    const Layout layout = LayoutOf(record);
    if (layout == Layout::None) return {};
    const auto fields = SplitFields(record);
    const EndFields at = EndFieldsOf(layout);
    const auto number = [&fields](size_t i) { return LenientParse(FieldAt(fields, i)); };
    return {number(at.sx), number(at.sy), number(at.ex), number(at.ey)};
}

double startX(std::string_view record) { return EndsOf(record).startX; }
double startY(std::string_view record) { return EndsOf(record).startY; }
double endX(std::string_view record) { return EndsOf(record).endX; }
double endY(std::string_view record) { return EndsOf(record).endY; }

std::string INVERT_D(std::string_view record) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t i) { return DefaultNumber(LenientParse(FieldAt(f, i))); };
    return JoinFields({n(3), n(4), n(5), n(0), n(1), n(2), "D"});
}

std::string INVERT_A(std::string_view record) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t i) { return DefaultNumber(LenientParse(FieldAt(f, i))); };
    return JoinFields({n(0), n(1), "0", n(3), n(5), n(4), TurnedSense(FieldAt(f, 6)), n(9), n(10), n(7), n(8), "A"});
}

std::string INVERT_K(std::string_view record) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t i) { return DefaultNumber(LenientParse(FieldAt(f, i))); };
    return JoinFields({n(0), n(1), n(2), n(3), TurnedSense(FieldAt(f, 4)), n(5), n(6), "K"});
}

std::string invert_IT(std::string_view record) {
    std::string text(record);
    std::string result;
    if (IsArcRecord(text)) {
        result = INVERT_A(text);
        text = RemoveLetter(text, 'A');
    }
    if (IsLineRecord(text)) {
        result = INVERT_D(text);
        text = RemoveLetter(text, 'D');
    }
    if (IsCircleRecord(text)) result = INVERT_K(text);
    return result;
}

std::string startPoints(std::string_view recordList) {
    const std::string_view first = recordList.substr(0, recordList.find('|'));
    const auto f = SplitFields(first);
    const std::string_view type = f.back();
    double x = 0, y = 0;
    if (type == "D") {
        x = LenientParse(FieldAt(f, 0));
        y = LenientParse(FieldAt(f, 1));
    } else if (type == "K") {
        x = LenientParse(FieldAt(f, 0)) - LenientParse(FieldAt(f, 3));
        y = LenientParse(FieldAt(f, 1));
    } else if (type == "A") {
        x = LenientParse(FieldAt(f, 7));
        y = LenientParse(FieldAt(f, 8));
    }
    const std::string xs = DefaultNumber(x), ys = DefaultNumber(y);
    return xs + " " + ys + " " + xs + " " + ys;
}

}  // namespace zorvan
