// The drawing store: the record texts of the drawing, numbered from 0.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorvan {

// Indices 0 to 100000 hold records; `n` is the highest index in use (-1 when the drawing has none). A load
// overwrites entries 0 to n; entries above `n` keep older texts and are never read, since every reader loops
// from 0 to n.
class Class1 {
public:
    static constexpr int32_t kCapacity = 100001;

    Class1();

    // Stores `s` at index `l`; valid for 0 to 100000 (anything else is a programming error and aborts).
    void LetDATA(std::string s, int32_t l);

    // The text at index `l`; the empty text for an index outside 0..100000 (a record number read from a
    // damaged list must not take the program down).
    const std::string& GetDATA(int32_t l) const;

    // Records 0 to n, the drawing's records.
    std::span<const std::string> Records() const {
        return std::span<const std::string>(records_).first(static_cast<size_t>(n + 1));
    }

    int32_t n = -1;

private:
    std::vector<std::string> records_;
};

}  // namespace zorvan
