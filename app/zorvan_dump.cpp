// zorvan-dump: reads a DXF drawing as the window's OPEN does and prints its records, extents and contours.
//
//   zorvan-dump [--sheet] DRAWING.dxf
// --sheet reads the drawing in sheet mode. Exit status: 0 read; 1 usage; 2 cannot be read; 4 holds a SPLINE;
// 5 exceeds the tables.
#include <cstdio>
#include <memory>
#include <string>

#include "import/dxf_reader.h"
#include "model/number_text.h"
#include "model/program.h"
#include "read_failure.h"

namespace {

void PrintDrawing(const zorvan::Program& program) {
    std::printf("records: %d\n", program.store.n + 1);
    for (int32_t i = 0; i <= program.store.n; ++i) std::printf("%d: %s\n", i, std::string(program.store.GetDATA(i)).c_str());
    std::printf("extents: X %s .. %s, Y %s .. %s\n", zorvan::DefaultNumber(program.extMinX).c_str(),
                zorvan::DefaultNumber(program.extMaxX).c_str(), zorvan::DefaultNumber(program.extMinY).c_str(),
                zorvan::DefaultNumber(program.extMaxY).c_str());
    std::printf("contourChain: %s\n", program.contourChain.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    zorvan::ReadOptions options;
    if (argc == 3 && std::string(argv[1]) == "--sheet") {
        options.mode = zorvan::ReadMode::Sheet;
        --argc;
        ++argv;
    }
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: zorvan-dump [--sheet] DRAWING.dxf\n");
        return argc == 2 ? 0 : 1;
    }
    const std::string path = argv[1];
    auto program = std::make_unique<zorvan::Program>();
    const zorvan::DxfReadResult result = zorvan::ReadDxf(*program, path, options);
    if (result.outcome == zorvan::DxfReadOutcome::Loaded) {
        PrintDrawing(*program);
        const std::string warning = zorvan::LeftOutWarning(result.report, options.mode, "--sheet");
        if (!warning.empty()) std::fprintf(stderr, "zorvan-dump: %s: warning: %s\n", path.c_str(), warning.c_str());
        return 0;
    }
    std::fprintf(stderr, "zorvan-dump: %s: %s\n", path.c_str(), zorvan::ReadFailureText(result).c_str());
    return zorvan::ReadFailureStatus(result.outcome);
}
