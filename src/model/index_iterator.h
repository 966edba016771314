// An iterator over a container read by index, whose elements are made as they are read (a view or a value).
#pragma once

#include <cstddef>
#include <iterator>

namespace zorvan {

template <typename Container, typename Element>
class IndexIterator {
public:
    using value_type = Element;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;
    using pointer = void;
    using reference = Element;

    IndexIterator() = default;
    IndexIterator(const Container* container, size_t i) : container_(container), i_(i) {}
    Element operator*() const { return (*container_)[i_]; }
    IndexIterator& operator++() {
        ++i_;
        return *this;
    }
    IndexIterator operator++(int) {
        IndexIterator before = *this;
        ++i_;
        return before;
    }
    bool operator==(const IndexIterator& other) const { return i_ == other.i_; }

private:
    const Container* container_ = nullptr;
    size_t i_ = 0;
};

}  // namespace zorvan
