// The drawing store.
#include "model/drawing_store.h"

#include <cstdio>
#include <cstdlib>

namespace zorvan {

namespace {

const std::string kEmpty;

[[noreturn]] void IndexOutOfRange(int32_t l) {
    std::fprintf(stderr, "drawing store: record index %d is outside 0..100000\n", l);
    std::abort();
}

}  // namespace

Class1::Class1() : records_(kCapacity) {}

void Class1::LetDATA(std::string s, int32_t l) {
    if (l < 0 || l >= kCapacity) IndexOutOfRange(l);
    records_[static_cast<size_t>(l)] = std::move(s);
}

const std::string& Class1::GetDATA(int32_t l) const {
    if (l < 0 || l >= kCapacity) return kEmpty;
    return records_[static_cast<size_t>(l)];
}

}  // namespace zorvan
