// The drawing store: the record texts of the drawing, numbered from 0, each with its numbers read once.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/record.h"
#include "model/text_table.h"

namespace zorvan {

// Indices 0 to 100000 hold records; `n` is the highest index in use (-1 when the drawing has none). A load
// overwrites entries 0 to n; entries above `n` keep older texts and are never read, since every reader loops
// from 0 to n.
class Class1 {
public:
    static constexpr int32_t kCapacity = 100001;

    // Stores `s` at index `l`, with its numbers; valid for 0 to 100000 (anything else is a programming error
    // and aborts).
    void LetDATA(std::string_view s, int32_t l);

    // The text at index `l`; the empty text for an index outside the store (a record number read from a
    // damaged list must not take the program down). The view lasts until the store next changes.
    std::string_view GetDATA(int32_t l) const;

    // The numbers of the record at index `l` (a record of no kind outside the store).
    RecordValues Values(int32_t l) const;

    // Records 0 to n, the drawing's records.
    TextTable::Prefix Records() const { return texts_.First(static_cast<size_t>(n + 1)); }

    // A whole drawing at once: `texts` and `values` become records 0.., n the last of them; records of an
    // earlier drawing above it stay, unread.
    void Load(TextTable texts, RecordList values);

    int32_t n = -1;

private:
    TextTable texts_;
    RecordList values_;
};

}  // namespace zorvan
