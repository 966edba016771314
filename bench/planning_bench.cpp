// Benchmarks of the preparation that follows a file-list open (part entries, head to tail, areas, the
// outside cut, orientation, stored areas) and of "Calculate Lead Ins", on drawings of about 100,000 records.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/recording_surface.h"
#include "draw/svg_surface.h"
#include "draw/view.h"
#include "gcode/main_job.h"
#include "gcode/program_writer.h"
#include "generated_drawings.h"
#include "geometry/arrangement.h"
#include "import/dxf_reader.h"
#include "import/part_entries.h"
#include "planning/lead_ins.h"
#include "planning/preparation.h"

namespace {

using namespace zorvan;

// A drawing read once; the benchmark then repeats the preparation on it.
struct ReadDrawing {
    explicit ReadDrawing(const std::string& dxf) {
        loaded = LoadDxfText(*program, dxf).outcome == DxfReadOutcome::Loaded;
        FillContourList(*program);
    }
    void Prepare() { PlanParts(*program); }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    bool loaded = false;
};

// 0: the limit drawing (499 contours, 99,604 records); 1: one contour of 100,000 records; any other value:
// a drawing of that many records (squares, 20-gons or one polyline, as the tables allow).
std::string DrawingFor(int64_t which) {
    if (which == 0) return bench::LimitDrawingDxf();
    return bench::ScalingDrawingDxf(which == 1 ? 100000 : static_cast<int32_t>(which));
}

void BM_PrepareParts(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(state.range(0)));
    if (!drawing.loaded) {
        state.SkipWithError("the drawing did not load");
        return;
    }
    for (auto _ : state) {
        drawing.Prepare();
        benchmark::DoNotOptimize(drawing.program->partList.data());
    }
    state.counters["records"] = drawing.program->store.n + 1;
    state.counters["parts"] = drawing.program->partCount;
}
BENCHMARK(BM_PrepareParts)->Arg(1000)->Arg(10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteProgram(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(state.range(0)));
    drawing.Prepare();
    CalculateLeadIns(*drawing.program, 0.25);
    for (auto _ : state) {
        ProgramText text = WriteProgramText(*drawing.program, drawing.program->partCount);
        benchmark::DoNotOptimize(text.text.data());
    }
}
BENCHMARK(BM_WriteProgram)->Arg(1000)->Arg(10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CalculateLeadIns(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(state.range(0)));
    drawing.Prepare();
    for (auto _ : state) {
        CalculateLeadIns(*drawing.program, 0.25);
        benchmark::DoNotOptimize(drawing.program->partList.data());
    }
}
BENCHMARK(BM_CalculateLeadIns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The whole main job as zorvan-cli runs it, from DXF text in memory to the program's text.
void BM_MainJob(benchmark::State& state) {
    const std::string dxf = DrawingFor(state.range(0));
    size_t bytes = 0;
    for (auto _ : state) {
        auto program = std::make_unique<Program>();
        const JobResult job = RunMainJob(*program, dxf);
        bytes = job.programText.size();
        benchmark::DoNotOptimize(job.programText.data());
    }
    state.counters["program_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MainJob)->Arg(1000)->Arg(10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A sheet of `parts` gears in rows: each a 24-tooth outline, a bore and a small hole close to the teeth, so
// that lead-ins must be searched for. Sheet mode plans it and finds the lead-ins in the scrap.
std::string GearSheetDxf(int parts) {
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    const auto number = [](double v) { return std::to_string(v); };
    for (int k = 0; k < parts; ++k) {
        const double cx = 90.0 * (k % 20), cy = 90.0 * (k / 20);
        dxf += "0\nLWPOLYLINE\n8\n0\n90\n48\n70\n1\n";
        for (int v = 0; v < 48; ++v) {
            const double a = 3.14159265358979 * v / 24, r = v % 2 == 0 ? 40 : 34;
            dxf += "10\n" + number(cx + r * std::cos(a)) + "\n20\n" + number(cy + r * std::sin(a)) + "\n";
        }
        dxf += "0\nCIRCLE\n8\n0\n10\n" + number(cx) + "\n20\n" + number(cy) + "\n40\n12\n";
        dxf += "0\nCIRCLE\n8\n0\n10\n" + number(cx + 27) + "\n20\n" + number(cy) + "\n40\n3\n";
    }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

// The main job in sheet mode: 0 the limit drawing, else a sheet of that many gears.
void BM_SheetMainJob(benchmark::State& state) {
    const std::string dxf = state.range(0) == 0 ? bench::LimitDrawingDxf() : GearSheetDxf(static_cast<int>(state.range(0)));
    JobOptions options;
    options.leadIn = "8";
    options.read.mode = ReadMode::Sheet;
    for (auto _ : state) {
        auto program = std::make_unique<Program>();
        const JobResult job = RunMainJob(*program, dxf, options);
        benchmark::DoNotOptimize(job.programText.data());
        state.counters["unclear"] = static_cast<double>(job.unclearLeadIns.size());
    }
}
BENCHMARK(BM_SheetMainJob)->Arg(100)->Arg(330)->Arg(0)->Unit(benchmark::kMillisecond);

// The arrangement of loose pieces: 0 every piece of the limit drawing taken as loose (99,604 lines in 499
// loops), else a grid of that many squares of side 10 drawn as lines touching their neighbours (each shared
// edge drawn twice).
std::vector<Piece> ArrangementPieces(int squares) {
    std::vector<Piece> pieces;
    if (squares == 0) {
        auto program = std::make_unique<Program>();
        ReadOptions options;
        options.mode = ReadMode::Sheet;
        LoadDxfText(*program, bench::LimitDrawingDxf(), options);
        for (int32_t i = 0; i <= program->store.n; ++i) {
            const RecordValues r = program->store.Values(i);
            pieces.push_back({{r.StartX(), r.StartY()}, {r.EndX(), r.EndY()}, false, {}, true});
        }
        return pieces;
    }
    const int side = static_cast<int>(std::ceil(std::sqrt(squares)));
    for (int k = 0; k < squares; ++k) {
        const double x = 10.0 * (k % side), y = 10.0 * (k / side);
        const Point2 corners[] = {{x, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}};
        for (int c = 0; c < 4; ++c) pieces.push_back({corners[c], corners[(c + 1) % 4], false, {}, true});
    }
    return pieces;
}

void BM_Arrange(benchmark::State& state) {
    const std::vector<Piece> pieces = ArrangementPieces(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const Arrangement arranged = Arrange(pieces, 0.001);
        state.counters["regions"] = static_cast<double>(arranged.regions.size());
    }
}
BENCHMARK(BM_Arrange)->Arg(1000)->Arg(0)->Unit(benchmark::kMillisecond);

// The full redraw of a prepared drawing of about 100,000 records: on the recording surface, and as the
// command line's SVG preview.
void BM_RedrawView(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(0));
    drawing.Prepare();
    RecordingSurface recording;
    for (auto _ : state) {
        recording.ClearLog();
        RedrawView(*drawing.program, drawing.program->partCount, recording, kBlue);
        benchmark::DoNotOptimize(recording.Log().data());
    }
    state.counters["strokes"] = static_cast<double>(recording.Log().size());
}
BENCHMARK(BM_RedrawView)->Unit(benchmark::kMillisecond);

void BM_SvgPreview(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(0));
    drawing.Prepare();
    size_t bytes = 0;
    for (auto _ : state) {
        SvgSurface preview(800, 600);
        FitView(*drawing.program, preview, drawing.program->extMinX, drawing.program->extMaxY,
                drawing.program->extMaxX, drawing.program->extMinY, true);
        RedrawView(*drawing.program, drawing.program->partCount, preview, kBlue);
        const std::string svg = preview.Svg();
        bytes = svg.size();
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["svg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SvgPreview)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Drawings made to cost: 0 a closed polyline of 99,000 nearly whole bulge arcs round a circle; 1 the same
// with 60,000 arcs each as wide as the drawing; 2 a thousand concentric squares 1 apart, whose lead-ins of 20
// fit nowhere.
std::string HostileDxf(int64_t which) {
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    const auto number = [](double v) { return std::to_string(v); };
    if (which == 2) {
        for (int k = 1; k <= 1000; ++k) {
            const std::string s = number(k), m = number(-k);
            dxf += "0\nLWPOLYLINE\n8\n0\n90\n4\n70\n1\n10\n" + m + "\n20\n" + m + "\n10\n" + s + "\n20\n" + m + "\n10\n" + s +
                   "\n20\n" + s + "\n10\n" + m + "\n20\n" + s + "\n";
        }
    } else {
        const int n = which == 0 ? 99000 : 60000;
        dxf += "0\nLWPOLYLINE\n8\n0\n90\n" + std::to_string(n) + "\n70\n1\n";
        for (int k = 0; k < n; ++k) {
            const double a = 2 * 3.14159265358979 * k / n;
            const double x = which == 0 ? 1000 * std::cos(a) : (k % 2 == 0 ? 0 : 1000);
            const double y = which == 0 ? 1000 * std::sin(a) : k * 1e-3;
            dxf += "10\n" + number(x) + "\n20\n" + number(y) + "\n42\n-50\n";
        }
    }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

// The main job on each hostile drawing, in the default mode (mode 0) and in sheet mode (mode 1), lead-ins of
// 20. A drawing refused counts its refusal's time.
void BM_HostileMainJob(benchmark::State& state) {
    const std::string dxf = HostileDxf(state.range(0));
    JobOptions options;
    options.leadIn = "20";
    options.read.mode = state.range(1) == 1 ? ReadMode::Sheet : ReadMode::Default;
    for (auto _ : state) {
        auto program = std::make_unique<Program>();
        const JobResult job = RunMainJob(*program, dxf, options);
        benchmark::DoNotOptimize(job.programText.data());
        state.counters["refused"] = job.read.outcome == DxfReadOutcome::Loaded ? 0 : 1;
    }
}
BENCHMARK(BM_HostileMainJob)->ArgNames({"drawing", "sheet"})->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
