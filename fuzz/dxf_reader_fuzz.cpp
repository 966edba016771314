// The DXF reader and the chaining on arbitrary text; a loaded drawing must leave every record in a contour
// and no non-finite number in any record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One program for the whole run: its tables hold 100,001 entries each, too many to build per input.
    static const std::unique_ptr<zorvan::Program> program = std::make_unique<zorvan::Program>();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (zorvan::LoadDxfText(*program, text).outcome != zorvan::DxfReadOutcome::Loaded) return 0;
    if (const auto failure = zorvan::fuzz::CheckLoadedDrawing(*program)) {
        std::fprintf(stderr, "broken rule after a load: %s\n", failure->c_str());
        std::abort();
    }
    return 0;
}
