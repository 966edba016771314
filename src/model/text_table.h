// A table of text rows kept in one buffer: rows are added, read and replaced without a heap block per row.
// A replaced row's old bytes stay unused in the buffer until the table is rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/index_iterator.h"

namespace zorvan {

class TextTable {
public:
    size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }

    // Row `i`; the view lasts until the table is next changed.
    std::string_view operator[](size_t i) const { return {bytes_.data() + spans_[i].begin, spans_[i].length}; }

    void clear() {
        bytes_.clear();
        spans_.clear();
    }
    void reserve(size_t rows, size_t bytes) {
        spans_.reserve(rows);
        bytes_.reserve(bytes);
    }
    // Adds a row at the end; `row` may be a view into this table.
    void push_back(std::string_view row) { spans_.push_back(Append(row)); }
    // Replaces row `i`, growing the table with empty rows when it is shorter.
    void set(size_t i, std::string_view row) {
        const Span span = Append(row);
        if (i >= spans_.size()) spans_.resize(i + 1);
        spans_[i] = span;
    }
    // The row being built at the end of the buffer: append its bytes to Bytes(), then close it.
    std::string& Bytes() { return bytes_; }
    const std::string& Bytes() const { return bytes_; }
    void CloseRow(size_t begin) {
        spans_.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(bytes_.size() - begin)});
    }

    using Iterator = IndexIterator<TextTable, std::string_view>;
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

    // Rows 0..count-1 as a range of views.
    class Prefix {
    public:
        Prefix(const TextTable& table, size_t count) : table_(table), count_(count) {}
        size_t size() const { return count_; }
        bool empty() const { return count_ == 0; }
        std::string_view operator[](size_t i) const { return table_[i]; }
        std::string_view back() const { return table_[count_ - 1]; }
        Iterator begin() const { return {&table_, 0}; }
        Iterator end() const { return {&table_, count_}; }

    private:
        const TextTable& table_;
        size_t count_;
    };
    Prefix First(size_t count) const { return {*this, count < size() ? count : size()}; }

private:
    struct Span {
        uint32_t begin = 0;
        uint32_t length = 0;
    };
    Span Append(std::string_view row) {
        // A row that is a view into the buffer is copied by position, as appending may move the buffer.
        const bool inside = !bytes_.empty() && row.data() >= bytes_.data() && row.data() < bytes_.data() + bytes_.size();
        const auto begin = static_cast<uint32_t>(bytes_.size());
        if (inside) {
            const size_t from = static_cast<size_t>(row.data() - bytes_.data());
            bytes_.append(bytes_, from, row.size());
        } else {
            bytes_.append(row);
        }
        return {begin, static_cast<uint32_t>(row.size())};
    }

    std::string bytes_;
    std::vector<Span> spans_;
};

}  // namespace zorvan
