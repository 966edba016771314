// Reading a record's numbers.
#include "model/record.h"

#include "model/number_text.h"

#include <span>

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

namespace {

// The field positions that hold the numbers of each kind, in order.
constexpr uint8_t kLinePositions[] = {0, 1, 2, 3, 4, 5};
constexpr uint8_t kArcPositions[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10};
constexpr uint8_t kCirclePositions[] = {0, 1, 2, 3, 5, 6};

std::span<const uint8_t> PositionsOf(RecordKind kind) {
    switch (kind) {
        case RecordKind::Line: return kLinePositions;
        case RecordKind::Arc: return kArcPositions;
        case RecordKind::Circle: return kCirclePositions;
        case RecordKind::None: break;
    }
    return {};
}

}  // namespace

RecordValues RecordList::operator[](size_t i) const {
    const Ref& ref = refs_[i];
    RecordValues values;
    values.kind_ = ref.kind;
    values.sense_ = ref.sense;
    const double* numbers = numbers_.data() + ref.offset;
    for (const uint8_t position : PositionsOf(ref.kind)) values.at_[position] = *numbers++;
    return values;
}

void RecordList::push_back(const RecordValues& values) {
    refs_.push_back({static_cast<uint32_t>(numbers_.size()), values.kind_, values.sense_});
    for (const uint8_t position : PositionsOf(values.kind_)) numbers_.push_back(values.at_[position]);
}

void RecordList::set(size_t i, const RecordValues& values) {
    while (refs_.size() <= i) refs_.push_back({static_cast<uint32_t>(numbers_.size()), RecordKind::None, 0});
    Ref& ref = refs_[i];
    const std::span<const uint8_t> positions = PositionsOf(values.kind_);
    if (positions.size() > PositionsOf(ref.kind).size()) ref.offset = static_cast<uint32_t>(numbers_.size());
    ref.kind = values.kind_;
    ref.sense = values.sense_;
    for (size_t k = 0; k < positions.size(); ++k) {
        const double number = values.at_[positions[k]];
        if (ref.offset + k < numbers_.size()) {
            numbers_[ref.offset + k] = number;
        } else {
            numbers_.push_back(number);
        }
    }
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
