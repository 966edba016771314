// Part entries: "header:records:marks" with an optional closing ":".
//   header  "II sx sy lx ly" - the cut marker ("OO" outside cut, "II" inside cut), the contour's start point
//           and the lead-in point where the torch pierces
//   records the contour's record texts, each followed by "|"
//   marks   "NOTS NOTD area" - select mark ("SEL"/"NOTS"), delete mark ("DEL"/"NOTD"), the stored area
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/number_text.h"
#include "model/record.h"
#include "model/record_text.h"

namespace zorvan {

class PartEntry;

// The first three ":"-fields of an entry (empty where the entry has fewer). Views into the entry text.
struct PartFields {
    explicit PartFields(std::string_view entry);

    // The first two characters of the header.
    std::string_view Marker() const { return header.substr(0, 2); }
    // The area stored as the third word of the marks.
    double StoredArea() const { return LenientParse(FieldAt(SplitFields(marks), 2)); }
    // Whether the delete mark, the second word of the marks, is "DEL": the part is shown but not cut.
    bool IsDeleted() const { return FieldAt(SplitFields(marks), 1) == "DEL"; }

    std::string_view header, records, marks;
};

// The records of a records field: the elements before its last "|", in order.
template <typename Visit>
void ForEachRecord(std::string_view records, Visit visit) {
    size_t start = 0;
    for (size_t bar = records.find('|'); bar != std::string_view::npos; bar = records.find('|', start)) {
        visit(records.substr(start, bar - start));
        start = bar + 1;
    }
}

// A part entry's text, with the numbers of its records read once beside it. The text is the truth that is
// stored, shown and written; the numbers are read from it the first time they are asked for after it
// changed, or handed in by the writer that made both.
class PartEntry {
public:
    PartEntry() = default;
    PartEntry(std::string text) : text_(std::move(text)) {}  // NOLINT: an entry is its text
    PartEntry(const char* text) : text_(text) {}             // NOLINT

    // A new text. The numbers read already stay when its records field is the same as before.
    PartEntry& operator=(std::string text);
    PartEntry& operator=(const char* text) { return *this = std::string(text); }

    // A new text whose records' numbers are known: `records` must be what the records field reads as.
    void Set(std::string text, RecordList records) {
        text_ = std::move(text);
        records_ = std::move(records);
        read_ = true;
        Trim();
    }

    const std::string& Text() const { return text_; }
    operator const std::string&() const { return text_; }  // NOLINT: an entry reads as its text
    operator std::string_view() const { return text_; }     // NOLINT

    // The numbers of the records of the records field, one per record, in order.
    const RecordList& Records() const;

    bool starts_with(std::string_view prefix) const { return text_.starts_with(prefix); }
    bool ends_with(std::string_view suffix) const { return text_.ends_with(suffix); }
    std::string substr(size_t pos, size_t count = std::string::npos) const { return text_.substr(pos, count); }
    size_t find(std::string_view what, size_t pos = 0) const { return text_.find(what, pos); }
    size_t size() const { return text_.size(); }

    friend bool operator==(const PartEntry& entry, std::string_view text) { return entry.text_ == text; }
    friend bool operator==(const PartEntry& entry, const std::string& text) { return entry.text_ == text; }
    friend bool operator==(const PartEntry& entry, const char* text) { return entry.text_ == text; }
    friend bool operator==(const PartEntry& a, const PartEntry& b) { return a.text_ == b.text_; }
    friend std::ostream& operator<<(std::ostream& out, const PartEntry& entry) { return out << entry.text_; }

private:
    // Gives back the room a text or list was built with beyond what it holds: a part list at the table limit
    // holds some 15 MB, and slack in every entry would add half as much again.
    void Trim();

    std::string text_;
    mutable RecordList records_;
    mutable bool read_ = false;
};

}  // namespace zorvan
