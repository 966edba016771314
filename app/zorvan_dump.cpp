// zorvan-dump: reads a DXF drawing as the window's OPEN does and prints its records, extents and contours.
//
//   zorvan-dump DRAWING.dxf
// Exit status: 0 read; 1 usage; 2 cannot be read; 4 holds a SPLINE; 5 exceeds the tables.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "console_toolkit.h"
#include "import/dxf_reader.h"
#include "model/number_text.h"
#include "model/program.h"
#include "ui/null_surface.h"

namespace {

void PrintDrawing(const zorvan::Program& program) {
    std::printf("records: %d\n", program.store.n + 1);
    for (int32_t i = 0; i <= program.store.n; ++i) std::printf("%d: %s\n", i, program.store.GetDATA(i).c_str());
    std::printf("extents: X %s .. %s, Y %s .. %s\n", zorvan::DefaultNumber(program.extMinX).c_str(),
                zorvan::DefaultNumber(program.extMaxX).c_str(), zorvan::DefaultNumber(program.extMinY).c_str(),
                zorvan::DefaultNumber(program.extMaxY).c_str());
    std::printf("contourChain: %s\n", program.contourChain.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: zorvan-dump DRAWING.dxf\n");
        return argc == 2 ? 0 : 1;
    }
    const std::string path = argv[1];
    auto program = std::make_unique<zorvan::Program>();
    zorvan::NullSurface view;
    zorvan::ConsoleToolkit toolkit;
    const zorvan::DxfReadResult result = zorvan::ReadDxf(*program, view, toolkit, path);
    switch (result.outcome) {
        case zorvan::DxfReadOutcome::Loaded: PrintDrawing(*program); return 0;
        case zorvan::DxfReadOutcome::CannotRead:
            std::fprintf(stderr, "zorvan-dump: %s: cannot be read\n", path.c_str());
            return 2;
        case zorvan::DxfReadOutcome::HasSpline:
            std::fprintf(stderr, "zorvan-dump: %s: the drawing holds a SPLINE, which cannot be cut; nothing loaded\n",
                         path.c_str());
            return 4;
        case zorvan::DxfReadOutcome::Binary:
            std::fprintf(stderr, "zorvan-dump: %s: %s\n", path.c_str(), std::string(zorvan::kBinaryDxfMessage).c_str());
            return 2;
        case zorvan::DxfReadOutcome::Empty:
            std::fprintf(stderr, "zorvan-dump: %s: %s\n", path.c_str(), std::string(zorvan::kEmptyDrawingMessage).c_str());
            return 2;
        case zorvan::DxfReadOutcome::OutOfRange:
            std::fprintf(stderr, "zorvan-dump: %s: %s\n", path.c_str(), std::string(zorvan::kOutOfRangeMessage).c_str());
            return 2;
        case zorvan::DxfReadOutcome::TooLarge:
            std::fprintf(stderr, "zorvan-dump: %s: %s\n", path.c_str(),
                         zorvan::TableLimitMessage(result.limit).c_str());
            return 5;
    }
    return 2;
}
