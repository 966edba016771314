// The DXF reader, in both modes, and the chaining on arbitrary text; a loaded drawing must leave every record in a contour
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
    for (const zorvan::ReadMode mode : {zorvan::ReadMode::Default, zorvan::ReadMode::Sheet}) {
        zorvan::ReadOptions options;
        options.mode = mode;
        if (zorvan::LoadDxfText(*program, text, options).outcome != zorvan::DxfReadOutcome::Loaded) continue;
        if (const auto failure = zorvan::fuzz::CheckLoadedDrawing(*program)) {
            std::fprintf(stderr, "broken rule after a load: %s\n", failure->c_str());
            std::abort();
        }
    }
    return 0;
}
