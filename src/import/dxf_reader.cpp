// The DXF reader's whole run: the three passes into local tables, the table checks, the chaining, and only
// then the hand-over of the new drawing to the program.
#include "import/dxf_reader.h"

#include <algorithm>

#include "import/chaining.h"
#include "import/dxf_passes.h"
#include "model/text_file.h"

namespace zorvan {

namespace {

DxfReadResult Refused(DxfReadOutcome outcome, TableLimit limit = TableLimit::Records) { return {outcome, limit}; }

int32_t CountContours(const std::string& contourChain) {
    return static_cast<int32_t>(std::count(contourChain.begin(), contourChain.end(), ':'));
}

// Everything a load replaces, built before the program is touched.
struct NewDrawing {
    TextTable pairs;
    size_t entityCount = 0;
    dxf::BuiltRecords records;
    dxf::Extents extents;
    ChainTables tables{0};
    std::string contourChain;
};

void HandOver(Program& program, NewDrawing& drawing) {
    program.store.Load(std::move(drawing.records.texts), std::move(drawing.records.values));
    ResetRecordTables(program, program.store.n);
    program.chain = std::move(drawing.tables);
    program.contourChain = std::move(drawing.contourChain);

    program.extMinX = drawing.extents.minX;
    program.extMinY = drawing.extents.minY;
    program.extMaxX = drawing.extents.maxX;
    program.extMaxY = drawing.extents.maxY;
    program.viewLeft = program.extMinX;
    program.viewTop = program.extMaxY;
    program.viewRight = program.extMaxX;
    program.viewBottom = program.extMinY;

    program.dxfPairCount = static_cast<int32_t>(drawing.pairs.size());
    program.dxfPairs = std::move(drawing.pairs);
    program.dxfEntityCount = static_cast<int32_t>(drawing.entityCount);
}

}  // namespace

std::string TableLimitMessage(TableLimit limit) {
    const char* what = "";
    switch (limit) {
        case TableLimit::DxfPairs: what = "more than 200,001 DXF values of lines, arcs, circles and polylines"; break;
        case TableLimit::DxfEntities: what = "more than 20,001 lines, arcs, circles and polylines"; break;
        case TableLimit::Records: what = "more than 100,001 records (line segments, arcs and circles)"; break;
        case TableLimit::Contours: what = "more than 1,001 contours"; break;
    }
    return std::string("The drawing is too large: it needs ") + what +
           ". It was not loaded; the previous drawing is kept.";
}

void ResetRecordTables(Program& program, int32_t n) {
    program.direct.Reserve(n + 1);
    for (int32_t i = 0; i <= n; ++i) {
        const auto index = static_cast<size_t>(i);
        program.direct.startX[index] = -100000.0;
        program.direct.startY[index] = -100000.0;
        program.direct.mark[index] = 'I';
    }
}

DxfReadResult LoadDxfText(Program& program, std::string_view text, std::string_view codeList,
                          std::string_view nameList) {
    if (text.starts_with("AutoCAD Binary DXF")) return Refused(DxfReadOutcome::Binary);
    NewDrawing drawing;
    switch (dxf::KeepPairs(text, codeList, nameList, drawing.pairs)) {
        case dxf::ScanStop::Finished: break;
        case dxf::ScanStop::Spline: return Refused(DxfReadOutcome::HasSpline);
        case dxf::ScanStop::TooManyPairs: return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfPairs);
        case dxf::ScanStop::TooManyEntities: return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfEntities);
    }
    drawing.entityCount = dxf::CountEntities(drawing.pairs);
    if (drawing.entityCount > static_cast<size_t>(kMaxDxfEntities)) {
        return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfEntities);
    }
    switch (dxf::BuildRecords(program.PI, drawing.pairs, drawing.extents, drawing.records)) {
        case dxf::BuildStop::Finished: break;
        case dxf::BuildStop::TooManyRecords: return Refused(DxfReadOutcome::TooLarge, TableLimit::Records);
        case dxf::BuildStop::OutOfRange: return Refused(DxfReadOutcome::OutOfRange);
    }
    if (drawing.records.size() == 0) return Refused(DxfReadOutcome::Empty);
    drawing.tables = ChainTables(drawing.records.size());
    drawing.contourChain = ChainRecordValues(drawing.records.values, drawing.tables);
    if (CountContours(drawing.contourChain) > kMaxContours) {
        return Refused(DxfReadOutcome::TooLarge, TableLimit::Contours);
    }
    HandOver(program, drawing);
    return {DxfReadOutcome::Loaded, TableLimit::Records};
}

DxfReadResult ReadDxf(Program& program, const std::string& path, std::string_view codeList,
                      std::string_view nameList) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return Refused(DxfReadOutcome::CannotRead);
    return LoadDxfText(program, *text, codeList, nameList);
}

TextTable DxfEntities(const Program& program) { return dxf::GroupEntities(program.dxfPairs); }

std::string ReadOutcomeMessage(const DxfReadResult& result) {
    switch (result.outcome) {
        case DxfReadOutcome::Loaded: return {};
        case DxfReadOutcome::CannotRead: return {};
        case DxfReadOutcome::HasSpline: return std::string(kSplineMessage);
        case DxfReadOutcome::TooLarge: return TableLimitMessage(result.limit);
        case DxfReadOutcome::Binary: return std::string(kBinaryDxfMessage);
        case DxfReadOutcome::Empty: return std::string(kEmptyDrawingMessage);
        case DxfReadOutcome::OutOfRange: return std::string(kOutOfRangeMessage);
    }
    return {};
}

}  // namespace zorvan
