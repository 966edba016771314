// The numbers of an entity record, read once from its text by position, and the typed readers for line,
// arc and circle records. The text stays the truth that is stored and written; these are kept beside it by
// the one setter that writes both, so the two never drift.
//
//   line   "x1 y1 z1 x2 y2 z2 D"
//   arc    "cx cy 0 r startDeg endDeg sense x1 y1 x2 y2 A"   (sense "+" counter-clockwise, "-" clockwise)
//   circle "cx cy 0 r + sx sy K"
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/index_iterator.h"

namespace zorvan {

// A record's kind, by the type letter it holds; a text holding none of "A", "D", "K" is None. (The program
// writes records with exactly one of them; a text with more is read by the last of "A", "D", "K" found.)
enum class RecordKind : uint8_t { None, Line, Arc, Circle };

// The blank-separated fields of a record text, up to the eleven a record has before its letter; a field the
// text lacks is empty (and reads as 0).
struct RecordFieldTexts {
    explicit RecordFieldTexts(std::string_view record);
    std::array<std::string_view, 12> at{};
};

struct LineValues {
    double x1, y1, z1, x2, y2, z2;
};
struct ArcValues {
    double cx, cy, z, r, startDeg, endDeg;
    char sense;  // '+', '-', or 0 for any other text
    double x1, y1, x2, y2;
};
struct CircleValues {
    double cx, cy, z, r;
    char sense;
    double sx, sy;
};

class RecordValues {
public:
    RecordValues() = default;
    // Reads `record` once: its kind, every numeric field by position (lenient parse), its sense field.
    explicit RecordValues(std::string_view record);

    RecordKind kind() const { return kind_; }
    bool IsLine() const { return kind_ == RecordKind::Line; }
    bool IsArc() const { return kind_ == RecordKind::Arc; }
    bool IsCircle() const { return kind_ == RecordKind::Circle; }

    // Field `k` read as a number (0 for a field the record lacks, and for the sense field).
    double At(size_t k) const { return at_[k]; }
    // The sense field: '+' or '-' when it is exactly that text, 0 otherwise.
    char Sense() const { return sense_; }

    LineValues Line() const { return {at_[0], at_[1], at_[2], at_[3], at_[4], at_[5]}; }
    ArcValues Arc() const {
        return {at_[0], at_[1], at_[2], at_[3], at_[4], at_[5], sense_, at_[7], at_[8], at_[9], at_[10]};
    }
    CircleValues Circle() const { return {at_[0], at_[1], at_[2], at_[3], sense_, at_[5], at_[6]}; }

    // Where the record starts and ends: an arc's fields 7, 8 and 9, 10; a line's 0, 1 and 3, 4; a circle's
    // 5, 6 for both; 0 for a text of no kind.
    double StartX() const { return at_[EndFields().sx]; }
    double StartY() const { return at_[EndFields().sy]; }
    double EndX() const { return at_[EndFields().ex]; }
    double EndY() const { return at_[EndFields().ey]; }

    // The record run the other way, as far as its numbers go: ends, angles and sense exchanged.
    RecordValues Reversed() const;

    // Values for a record about to be written, when they are known without reading its text back.
    static RecordValues Of(RecordKind kind, std::array<double, 11> at, char sense);

private:
    friend class RecordList;
    struct Positions {
        uint8_t sx, sy, ex, ey;
    };
    Positions EndFields() const;

    RecordKind kind_ = RecordKind::None;
    char sense_ = 0;
    std::array<double, 11> at_{};
};

// The kind of a record text, by its letters as RecordValues reads it.
RecordKind KindOf(std::string_view record);

// The numbers of many records kept compactly, each record with as many numbers as its kind has (six for a
// line or a circle, ten for an arc). Reading an element gives its RecordValues.
class RecordList {
public:
    RecordList() = default;
    RecordList(std::initializer_list<RecordValues> values) {
        for (const RecordValues& v : values) push_back(v);
    }

    size_t size() const { return refs_.size(); }
    bool empty() const { return refs_.empty(); }
    RecordValues operator[](size_t i) const;
    RecordValues front() const { return (*this)[0]; }
    RecordValues back() const { return (*this)[size() - 1]; }

    void clear() {
        refs_.clear();
        numbers_.clear();
    }
    void reserve(size_t records) {
        refs_.reserve(records);
        numbers_.reserve(6 * records);
    }
    // Gives back room beyond what the list holds, where there is much of it.
    void ShrinkToFit() {
        if (refs_.capacity() > refs_.size() + refs_.size() / 16 + 8) refs_.shrink_to_fit();
        if (numbers_.capacity() > numbers_.size() + numbers_.size() / 16 + 8) numbers_.shrink_to_fit();
    }
    void push_back(const RecordValues& values);
    // Reads `record` and adds its numbers.
    void emplace_back(std::string_view record) { push_back(RecordValues(record)); }
    // Replaces element `i`, growing the list with records of no kind when it is shorter.
    void set(size_t i, const RecordValues& values);

    using Iterator = IndexIterator<RecordList, RecordValues>;
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

private:
    struct Ref {
        uint32_t offset;  // of the record's first number in numbers_
        RecordKind kind;
        char sense;
    };
    std::vector<Ref> refs_;
    std::vector<double> numbers_;
};

}  // namespace zorvan
