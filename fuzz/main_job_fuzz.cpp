// The main job from DXF text to G-code rows in memory: reading, contour list, part preparation, lead-ins
// and the program writer, with the rules a drawing and a program must keep whatever the input.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One program for the whole run: its tables hold 100,001 entries each, too many to build per input.
    // No template folder: the program consists of its own rows only.
    static const std::unique_ptr<zorvan::Program> program = [] {
        auto created = std::make_unique<zorvan::Program>();
        created->templateFolder = "";
        return created;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto started = std::chrono::steady_clock::now();
    for (const zorvan::ReadMode mode : {zorvan::ReadMode::Default, zorvan::ReadMode::Sheet}) {
        const zorvan::fuzz::MainJobOutcome outcome = zorvan::fuzz::RunMainJob(*program, text, mode);
        if (outcome.failure) {
            std::fprintf(stderr, "broken rule in the main job: %s\n", outcome.failure->c_str());
            std::abort();
        }
    }
    // Work bounded by the input's size: a small file that keeps the job busy for long is a finding, like a
    // crash (five seconds, and 200 microseconds a byte, allow for the sanitizers, which slow the job 15-fold).
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (seconds > 5.0 + 200e-6 * static_cast<double>(size)) {
        std::fprintf(stderr, "too much work for the input's size: %.2f s for %zu bytes\n", seconds, size);
        std::abort();
    }
    return 0;
}
