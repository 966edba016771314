// Reading a record's numbers.
#include "model/record.h"

#include "model/number_text.h"

namespace zorvan {

RecordFieldTexts::RecordFieldTexts(std::string_view record) {
    size_t start = 0;
    for (size_t i = 0; i < at.size(); ++i) {
        const size_t end = record.find(' ', start);
        at[i] = record.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

RecordKind KindOf(std::string_view record) {
    RecordKind kind = RecordKind::None;
    if (record.find('A') != std::string_view::npos) kind = RecordKind::Arc;
    if (record.find('D') != std::string_view::npos) kind = RecordKind::Line;
    if (record.find('K') != std::string_view::npos) kind = RecordKind::Circle;
    return kind;
}

namespace {

char SenseOf(std::string_view field) {
    if (field == "+") return '+';
    if (field == "-") return '-';
    return 0;
}

// The field that holds the sense, or none.
size_t SenseField(RecordKind kind) {
    switch (kind) {
        case RecordKind::Arc: return 6;
        case RecordKind::Circle: return 4;
        case RecordKind::Line:
        case RecordKind::None: break;
    }
    return 99;
}

}  // namespace

RecordValues::RecordValues(std::string_view record) : kind_(KindOf(record)) {
    if (kind_ == RecordKind::None) return;
    const RecordFieldTexts fields(record);
    const size_t senseField = SenseField(kind_);
    const size_t count = kind_ == RecordKind::Arc ? 11 : kind_ == RecordKind::Circle ? 7 : 6;
    for (size_t k = 0; k < count; ++k) {
        if (k == senseField) {
            sense_ = SenseOf(fields.at[k]);
        } else {
            at_[k] = LenientParse(fields.at[k]);
        }
    }
}

RecordValues RecordValues::Of(RecordKind kind, std::array<double, 11> at, char sense) {
    RecordValues values;
    values.kind_ = kind;
    values.at_ = at;
    values.sense_ = sense;
    return values;
}

RecordValues::Positions RecordValues::EndFields() const {
    switch (kind_) {
        case RecordKind::Arc: return {7, 8, 9, 10};
        case RecordKind::Line: return {0, 1, 3, 4};
        case RecordKind::Circle: return {5, 6, 5, 6};
        case RecordKind::None: break;
    }
    return {2, 2, 2, 2};  // a text of no kind reads no field: at_[2] stays 0
}

RecordValues RecordValues::Reversed() const {
    RecordValues r = *this;
    const char turned = sense_ == '+' ? '-' : '+';
    switch (kind_) {
        case RecordKind::Line: r.at_ = {at_[3], at_[4], at_[5], at_[0], at_[1], at_[2]}; break;
        case RecordKind::Arc:
            r.at_ = {at_[0], at_[1], 0, at_[3], at_[5], at_[4], 0, at_[9], at_[10], at_[7], at_[8]};
            r.sense_ = turned;
            break;
        case RecordKind::Circle: r.sense_ = turned; break;
        case RecordKind::None: break;
    }
    return r;
}

}  // namespace zorvan
