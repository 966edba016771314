// The drawing store.
#include "model/drawing_store.h"

#include <cstdio>
#include <cstdlib>

namespace zorvan {

namespace {

const RecordValues kNoRecord;

[[noreturn]] void IndexOutOfRange(int32_t l) {
    std::fprintf(stderr, "drawing store: record index %d is outside 0..100000\n", l);
    std::abort();
}

}  // namespace

void Class1::LetDATA(std::string_view s, int32_t l) {
    if (l < 0 || l >= kCapacity) IndexOutOfRange(l);
    const auto index = static_cast<size_t>(l);
    if (index >= values_.size()) values_.resize(index + 1);
    values_[index] = RecordValues(s);
    texts_.set(index, s);
}

std::string_view Class1::GetDATA(int32_t l) const {
    if (l < 0 || static_cast<size_t>(l) >= texts_.size()) return {};
    return texts_[static_cast<size_t>(l)];
}

const RecordValues& Class1::Values(int32_t l) const {
    if (l < 0 || static_cast<size_t>(l) >= values_.size()) return kNoRecord;
    return values_[static_cast<size_t>(l)];
}

void Class1::Load(TextTable texts, std::vector<RecordValues> values) {
    const size_t count = texts.size();
    for (size_t i = count; i < texts_.size(); ++i) texts.push_back(texts_[i]);
    if (values_.size() > count) values.insert(values.end(), values_.begin() + static_cast<ptrdiff_t>(count), values_.end());
    texts_ = std::move(texts);
    values_ = std::move(values);
    n = static_cast<int32_t>(count) - 1;
}

}  // namespace zorvan
