// The drawing store.
#include "model/drawing_store.h"

#include <cstdio>
#include <cstdlib>

namespace zorvan {

namespace {

[[noreturn]] void IndexOutOfRange(int32_t l) {
    std::fprintf(stderr, "drawing store: record index %d is outside 0..100000\n", l);
    std::abort();
}

}  // namespace

void Class1::LetDATA(std::string_view s, int32_t l) {
    if (l < 0 || l >= kCapacity) IndexOutOfRange(l);
    const auto index = static_cast<size_t>(l);
    values_.set(index, RecordValues(s));
    texts_.set(index, s);
}

std::string_view Class1::GetDATA(int32_t l) const {
    if (l < 0 || static_cast<size_t>(l) >= texts_.size()) return {};
    return texts_[static_cast<size_t>(l)];
}

RecordValues Class1::Values(int32_t l) const {
    if (l < 0 || static_cast<size_t>(l) >= values_.size()) return {};
    return values_[static_cast<size_t>(l)];
}

void Class1::Load(TextTable texts, RecordList values) {
    const size_t count = texts.size();
    for (size_t i = count; i < texts_.size(); ++i) texts.push_back(texts_[i]);
    for (size_t i = count; i < values_.size(); ++i) values.push_back(values_[i]);
    texts_ = std::move(texts);
    values_ = std::move(values);
    n = static_cast<int32_t>(count) - 1;
}

}  // namespace zorvan
