// The number reader on arbitrary text: never an infinity, a NaN or -0, the record number parse within its
// range without undefined conversions, and the 15-digit invariant text stable under reading it back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto failure = zorvan::fuzz::CheckNumberText(text)) {
        std::fprintf(stderr, "broken rule of the number texts: %s\n", failure->c_str());
        std::abort();
    }
    return 0;
}
