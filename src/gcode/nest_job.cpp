// The nesting job.
#include "gcode/nest_job.h"

#include <algorithm>

#include "import/part_entries.h"
#include "model/number_text.h"
#include "nesting/sheet_dxf.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

// How far the shapes the placement works with may stray from the parts: a twenty-thousandth of the sheet's
// larger side (0.125 mm on a 2.5 m sheet). The parts are flattened within a quarter of it.
double ToleranceFor(const NestOrder& order) { return std::max(order.sheetWidth, order.sheetHeight) * 5e-5; }

NestSource ReadSource(const NestDrawing& drawing, const JobOptions& options, double flatness, double PI) {
    NestSource source;
    auto program = std::make_unique<Program>();
    program->PI = PI;
    ReadOptions read = options.read;
    read.mode = ReadMode::Sheet;
    read.cutOpen = false;
    source.read = LoadDxfText(*program, drawing.text, read);
    if (source.read.outcome != DxfReadOutcome::Loaded) return source;
    FillContourList(*program);
    PlanSheet(*program);
    source.parts = PartsOfPlannedSheet(*program, flatness);
    source.units = program->recordUnits;
    if (const std::string left = LeftOutWarning(source.read.report, ReadMode::Sheet, "sheet mode"); !left.empty()) {
        source.warnings.push_back(left);
    }
    if (const int32_t open = source.parts.openContours; open > 0) {
        source.warnings.push_back(std::to_string(open) + (open == 1 ? " open contour is" : " open contours are") +
                                  " not part of any part: not nested, not cut.");
    }
    if (source.parts.parts.empty()) source.warnings.push_back("no closed contour: nothing to nest.");
    return source;
}

std::string ItemName(const NestOrder& order, const NestInput& input, int32_t item) {
    const auto [drawing, part] = input.itemSource[static_cast<size_t>(item)];
    const std::string& name = order.drawings[static_cast<size_t>(drawing)].name;
    if (input.sources[static_cast<size_t>(drawing)].parts.parts.size() == 1) return name;
    return name + " part " + std::to_string(part + 1);
}

}  // namespace

double LeastSpacing(const std::string& units) { return units == "inches" ? 2 / 25.4 : 2.0; }

NestInput PrepareNest(const NestOrder& order, double PI) {
    NestInput input;
    const double tolerance = ToleranceFor(order);
    double flatness = tolerance / 4;
    std::vector<std::string> names;
    for (const NestDrawing& drawing : order.drawings) {
        input.sources.push_back(ReadSource(drawing, order.job, tolerance / 4, PI));
        names.push_back(drawing.name);
        const NestSource& source = input.sources.back();
        flatness = std::max(flatness, source.parts.flatness);
        if (input.units.empty() || input.units == "not declared") input.units = source.units;
    }
    input.layers = LayerNames(names);
    const double leadIn = std::max(0.0, LenientParse(order.job.leadIn));
    input.spacing = order.spacing.value_or(std::max(order.kerf + leadIn, LeastSpacing(input.units)));
    NestJob& job = input.job;
    job.sheetWidth = order.sheetWidth;
    job.sheetHeight = order.sheetHeight;
    job.spacing = input.spacing;
    job.mostSheets = order.mostSheets;
    job.tolerance = std::max(tolerance, 4 * flatness);
    // What a sheet's drawing may hold to be read again whole, the four lines of its edge included.
    job.mostContoursPerSheet = kMaxContours;
    job.mostEntitiesPerSheet = kMaxDxfEntities - 4;
    for (size_t d = 0; d < input.sources.size(); ++d) {
        const std::vector<DrawingPart>& parts = input.sources[d].parts.parts;
        for (size_t p = 0; p < parts.size(); ++p) {
            input.itemSource.emplace_back(static_cast<int32_t>(d), static_cast<int32_t>(p));
            NestItem item;
            item.shape = parts[p].shape;
            item.copies = order.drawings[d].count;
            item.angles = order.angles;
            item.mirror = order.mirror;
            item.contours = static_cast<int32_t>(parts[p].contours.size());
            item.entities = parts[p].records;
            job.items.push_back(std::move(item));
            job.items.back().name = ItemName(order, input, static_cast<int32_t>(job.items.size() - 1));
        }
    }
    return input;
}

namespace {

struct SheetCopies {
    std::vector<SheetCopy> copies;
    std::vector<int32_t> byDrawing;
    double partsArea = 0;
};

// The copies `nest` places on sheet `sheet`, with their records.
SheetCopies CopiesOn(const NestOrder& order, const NestInput& input, const NestResult& nest, int32_t sheet) {
    SheetCopies on;
    on.byDrawing.assign(order.drawings.size(), 0);
    for (const Placement& placement : nest.placed) {
        if (placement.sheet != sheet) continue;
        const auto [drawing, part] = input.itemSource[static_cast<size_t>(placement.item)];
        const DrawingPart& source = input.sources[static_cast<size_t>(drawing)].parts.parts[static_cast<size_t>(part)];
        on.copies.push_back({&source.contours, placement, static_cast<size_t>(drawing)});
        ++on.byDrawing[static_cast<size_t>(drawing)];
        on.partsArea += ShapeArea(source.shape);
    }
    return on;
}

}  // namespace

std::string NestedSheetDrawing(const NestOrder& order, const NestInput& input, const NestResult& nest, int32_t sheet,
                               double PI) {
    const SheetDrawing drawing{input.layers, input.units, order.sheetWidth, order.sheetHeight, true};
    return NestedSheetDxf(drawing, CopiesOn(order, input, nest, sheet).copies, PI);
}

NestedSheet CutNestedSheet(Program& program, const NestOrder& order, const NestInput& input, const NestResult& nest,
                           int32_t sheet) {
    const SheetCopies on = CopiesOn(order, input, nest, sheet);
    NestedSheet result;
    result.copiesByDrawing = on.byDrawing;
    result.partsArea = on.partsArea;
    SheetDrawing drawing{input.layers, input.units, order.sheetWidth, order.sheetHeight, true};
    result.dxf = NestedSheetDxf(drawing, on.copies, program.PI);
    drawing.outline = false;  // what is cut: the parts alone
    JobOptions options = order.job;
    options.read.mode = ReadMode::Sheet;
    options.cutOpen = false;
    options.refuseUnsuitedLeadIn = false;
    options.sheetEdge = SheetEdge{0, 0, order.sheetWidth, order.sheetHeight};
    result.job = RunMainJob(program, NestedSheetDxf(drawing, on.copies, program.PI), options);
    return result;
}

}  // namespace zorvan
