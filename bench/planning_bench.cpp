// Benchmarks of the preparation that follows a file-list open (part entries, head to tail, areas, the
// outside cut, orientation, stored areas) and of "Calculate Lead Ins", on drawings of about 100,000 records.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "generated_drawings.h"
#include "gcode/program_writer.h"
#include "import/dxf_reader.h"
#include "model/text_file.h"
#include "ui/form1.h"
#include "ui/null_surface.h"
#include "ui/recording_surface.h"
#include "ui/svg_surface.h"
#include "ui/view.h"

namespace {

using namespace zorvan;

class NullToolkit : public Toolkit {
public:
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> ChooseFileToOpen(const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseFileToSave(const std::string&) override { return std::nullopt; }
    void Beep() override {}
    void SetBusyCursor(bool) override {}
    void ShowModal(zorvan::ModalWindow) override {}
};

// A drawing read once; the benchmark then repeats the preparation on it.
struct ReadDrawing {
    explicit ReadDrawing(const std::string& dxf) { loaded = LoadDxfText(*program, dxf).outcome == DxfReadOutcome::Loaded; }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    NullSurface picture;
    NullToolkit toolkit;
    Form1 form{*program, toolkit, picture};
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
        drawing.form.FillContourList();
        drawing.form.PrepareParts();
        benchmark::DoNotOptimize(drawing.program->partList.data());
    }
    state.counters["records"] = drawing.program->store.n + 1;
    state.counters["parts"] = drawing.form.List2.ListCount();
}
BENCHMARK(BM_PrepareParts)->Arg(1000)->Arg(10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteProgram(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(state.range(0)));
    drawing.form.FillContourList();
    drawing.form.PrepareParts();
    drawing.form.Command32_Click();
    for (auto _ : state) {
        std::vector<std::string> listing;
        WriteProgram(*drawing.program, drawing.form.List2.ListCount(), listing);
        benchmark::DoNotOptimize(listing.data());
    }
}
BENCHMARK(BM_WriteProgram)->Arg(1000)->Arg(10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CalculateLeadIns(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(state.range(0)));
    drawing.form.FillContourList();
    drawing.form.PrepareParts();
    for (auto _ : state) {
        drawing.form.Command32_Click();
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
        ReadDrawing drawing(dxf);
        drawing.form.FillContourList();
        drawing.form.PrepareParts();
        drawing.form.Command32_Click();
        std::vector<std::string> listing;
        WriteProgram(*drawing.program, drawing.form.List2.ListCount(), listing);
        const std::string text = JoinCrLf(listing);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["program_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MainJob)->Arg(1000)->Arg(10000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The full redraw of a prepared drawing of about 100,000 records: on the recording surface, and as the
// command line's SVG preview.
void BM_RedrawView(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(0));
    drawing.form.FillContourList();
    drawing.form.PrepareParts();
    RecordingSurface recording;
    for (auto _ : state) {
        recording.ClearLog();
        RedrawView(*drawing.program, drawing.form.List2.ListCount(), recording, kBlue);
        benchmark::DoNotOptimize(recording.Log().data());
    }
    state.counters["strokes"] = static_cast<double>(recording.Log().size());
}
BENCHMARK(BM_RedrawView)->Unit(benchmark::kMillisecond);

void BM_SvgPreview(benchmark::State& state) {
    ReadDrawing drawing(DrawingFor(0));
    drawing.form.FillContourList();
    drawing.form.PrepareParts();
    size_t bytes = 0;
    for (auto _ : state) {
        SvgSurface preview(800, 600);
        FitView(*drawing.program, preview, drawing.program->extMinX, drawing.program->extMaxY,
                drawing.program->extMaxX, drawing.program->extMinY, true);
        RedrawView(*drawing.program, drawing.form.List2.ListCount(), preview, kBlue);
        const std::string svg = preview.Svg();
        bytes = svg.size();
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["svg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SvgPreview)->Unit(benchmark::kMillisecond);

}  // namespace
