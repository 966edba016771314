// The DXF reader's whole run: the three passes into local tables, the table checks, the chaining, and only
// then the hand-over of the new drawing to the program.
#include "import/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "geometry/extents.h"
#include "import/chaining.h"
#include "import/binary_dxf.h"
#include "import/dxf_document.h"
#include "import/dxf_passes.h"
#include "import/sheet_heal.h"
#include "import/sheet_reader.h"
#include "import/units.h"
#include "model/text_file.h"

namespace zorvan {

namespace {

DxfReadResult Refused(DxfReadOutcome outcome, TableLimit limit = TableLimit::Records, std::string detail = {}) {
    return {outcome, limit, std::move(detail), {}};
}

// How every binary DXF file begins.
constexpr std::string_view kBinarySentinelStart = "AutoCAD Binary DXF";

// What the records message adds when curves were fitted: how many of the records they made.
std::string CurveNote(size_t curveRecords) {
    if (curveRecords == 0) return {};
    return " Of them, " + std::to_string(curveRecords) +
           " were made of ellipses, splines and scaled arcs; a larger --curve-tolerance makes fewer.";
}

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
    ReadMode mode = ReadMode::Default;
    std::string declaredUnits, recordUnits, unitsSource;
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
    program.readMode = drawing.mode;
    program.declaredUnits = std::move(drawing.declaredUnits);
    program.recordUnits = std::move(drawing.recordUnits);
    program.unitsSource = std::move(drawing.unitsSource);
}

// Where records in `units` came from when the reading did not convert them.
std::string UnitsAsTheyStand(const std::string& units) {
    return MillimetresPerUnitNamed(units) ? "as the drawing declares them" : "the drawing's numbers as they stand";
}

// The chaining and the hand-over that every reading ends with, once its records are built.
// What the healing of a sheet left out or changed, for the operator.
void NoteHealing(const dxf::HealReport& healed, ReadReport& report) {
    if (healed.drawnTwice > 0) report.cutGeometry["pieces drawn twice, cut once"] += healed.drawnTwice;
    if (healed.zeroSize > 0) report.cutGeometry["pieces of zero size"] += healed.zeroSize;
    report.edgeToEdge = healed.edgeToEdge;
    report.arrangedAsDrawn = healed.tooMuchWork;
}

// Sheet mode's contours come healed, with their chain; the default reading's are chained here.
// What the records cover, arcs by their sweep only; nothing leaves the extents as a new program has them.
dxf::Extents TightExtents(const RecordList& records) {
    ExtentBuilder builder;
    builder.minX = builder.minY = std::numeric_limits<double>::infinity();
    builder.maxX = builder.maxY = -std::numeric_limits<double>::infinity();
    for (const RecordValues& record : records) IncludeRecordTightly(record, builder);
    dxf::Extents extents;
    if (records.empty()) return extents;
    extents.minX = builder.minX, extents.maxX = builder.maxX, extents.minY = builder.minY, extents.maxY = builder.maxY;
    return extents;
}

// Why a drawing is beyond any cutting table, or empty: larger than 100 m, or lying so far from its origin
// (100 km) that its positions lose the precision a cut needs. Records in undeclared units count as millimetres.
std::string BeyondAnyTable(const NewDrawing& drawing) {
    const double perUnit = MillimetresPerUnitNamed(drawing.recordUnits).value_or(1.0);
    const dxf::Extents e = TightExtents(drawing.records.values);  // whatever the extents started from
    const double size = std::max(e.maxX - e.minX, e.maxY - e.minY) * perUnit;
    const double reach = std::max({std::fabs(e.minX), std::fabs(e.maxX), std::fabs(e.minY), std::fabs(e.maxY)}) * perUnit;
    constexpr double kLargestTable = 100'000, kFarthest = 100'000'000;  // millimetres
    if (!(size <= kLargestTable)) {
        char metres[32];
        std::snprintf(metres, sizeof metres, size < 1e15 ? "%.0f" : "%.1e", size / 1000);
        return "The drawing is " + std::string(metres) + " m across, larger than any cutting table (100 m). "
               "It was not loaded; the previous drawing is kept.";
    }
    if (!(reach <= kFarthest)) {
        return "The drawing lies more than 100 km from its origin, where positions lose the precision a cut needs. "
               "It was not loaded; the previous drawing is kept.";
    }
    return {};
}

DxfReadResult Finish(Program& program, NewDrawing& drawing, ReadReport report) {
    if (drawing.records.size() == 0) {  // say what was there, if anything that could have been cut
        return Refused(DxfReadOutcome::Empty, TableLimit::Records, LeftOutWarning(report, drawing.mode, "sheet mode"));
    }
    if (std::string beyond = BeyondAnyTable(drawing); !beyond.empty()) {
        return Refused(DxfReadOutcome::OutOfRange, TableLimit::Records, std::move(beyond));
    }
    drawing.tables = ChainTables(drawing.records.size());
    if (drawing.mode != ReadMode::Sheet) drawing.contourChain = ChainRecordValues(drawing.records.values, drawing.tables);
    if (CountContours(drawing.contourChain) > kMaxContours) {
        return Refused(DxfReadOutcome::TooLarge, TableLimit::Contours);
    }
    HandOver(program, drawing);
    // What the plan of the drawing before counted belongs to that drawing.
    program.leftOut.clear();
    program.openContoursLeftOut = 0;
    program.openInsideParts = 0;
    program.closedNotPlannedOnce = 0;
    program.openLeftOut.clear();
    program.sheetEdge.reset();
    if (drawing.mode == ReadMode::Sheet) {
        for (const auto* counts : {&report.notRead, &report.cutGeometry}) {
            for (const auto& [what, count] : *counts) program.leftOut[what] += count;
        }
    }
    return {DxfReadOutcome::Loaded, TableLimit::Records, {}, std::move(report)};
}

DxfReadResult LoadDefault(Program& program, std::string_view text, const ReadOptions& options) {
    if (text.starts_with(kBinarySentinelStart)) return Refused(DxfReadOutcome::Binary);
    NewDrawing drawing;
    dxf::ScanFacts facts;
    switch (dxf::KeepPairs(text, options.codeList, options.nameList, drawing.pairs, facts)) {
        case dxf::ScanStop::Finished: break;
        case dxf::ScanStop::Spline: return Refused(DxfReadOutcome::HasSpline);
        case dxf::ScanStop::TooManyPairs: return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfPairs);
        case dxf::ScanStop::TooManyEntities: return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfEntities);
    }
    drawing.entityCount = dxf::CountEntities(drawing.pairs);
    if (drawing.entityCount > static_cast<size_t>(kMaxDxfEntities)) {
        return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfEntities);
    }
    switch (dxf::BuildRecords(program.PI, drawing.pairs, facts.planes, drawing.extents, drawing.records)) {
        case dxf::BuildStop::Finished: break;
        case dxf::BuildStop::TooManyRecords: return Refused(DxfReadOutcome::TooLarge, TableLimit::Records);
        case dxf::BuildStop::OutOfRange: return Refused(DxfReadOutcome::OutOfRange);
    }
    drawing.declaredUnits = drawing.recordUnits = UnitsName(facts.insUnits);
    drawing.unitsSource = UnitsAsTheyStand(drawing.recordUnits);
    ReadReport report;
    report.notRead = std::move(facts.notRead);
    report.readFlat = std::move(facts.readFlat);
    for (const std::string_view type : {"INSERT", "ELLIPSE", "SPLINE"}) {
        if (const auto found = report.notRead.find(type); found != report.notRead.end()) {
            report.cutGeometry[std::string(type)] += found->second;
        }
    }
    return Finish(program, drawing, std::move(report));
}


DxfReadResult LoadSheet(Program& program, std::string_view text, const ReadOptions& options) {
    std::optional<std::string> decoded;
    if (text.starts_with(kBinarySentinelStart)) {  // read as the text it stands for; refused when damaged
        size_t damagedAt = 0;
        decoded = BinaryDxfToText(text, &damagedAt);
        if (!decoded) {
            return Refused(DxfReadOutcome::Binary, TableLimit::Records,
                           "The binary DXF file is damaged at byte " + std::to_string(damagedAt) +
                               ". It was not loaded; the previous drawing is kept.");
        }
        text = *decoded;
    }
    const dxf::Document document = dxf::ReadDocument(text);
    NewDrawing drawing;
    drawing.mode = ReadMode::Sheet;
    dxf::SheetRead read = dxf::BuildSheetRecords(document, program.PI, options, drawing.extents, drawing.records);
    if (!read.refusal.empty()) return Refused(DxfReadOutcome::BadBlocks, TableLimit::Records, read.refusal);
    if (!read.tooMuchWork.empty()) return Refused(DxfReadOutcome::TooLarge, TableLimit::Work, read.tooMuchWork);
    switch (read.stop) {
        case dxf::BuildStop::Finished: break;
        case dxf::BuildStop::TooManyRecords:
            return Refused(DxfReadOutcome::TooLarge, TableLimit::Records, CurveNote(read.curveRecords));
        case dxf::BuildStop::OutOfRange: return Refused(DxfReadOutcome::OutOfRange);
    }
    if (read.expandedEntities > static_cast<size_t>(kMaxDxfEntities)) {
        return Refused(DxfReadOutcome::TooLarge, TableLimit::DxfEntities);
    }
    drawing.entityCount = read.expandedEntities;
    if (const auto perUnit = MillimetresPerUnit(document.insUnits); perUnit && *perUnit < 1e-3) {
        read.report.tinyUnits = UnitsName(document.insUnits);
    }
    // The join tolerance is a length in millimetres: in the records' units where the drawing declares its own.
    const bool converted = MillimetresPerUnit(document.insUnits).has_value();
    const double perUnit = converted && options.units == OutputUnits::Inches ? 25.4 : 1.0;
    bool tooMany = false;
    dxf::HealedSheet healed = dxf::HealSheet(drawing.records, program.PI, dxf::kJoinTolerance / perUnit, tooMany);
    if (tooMany) return Refused(DxfReadOutcome::TooLarge, TableLimit::Records);
    drawing.records = std::move(healed.records);
    drawing.contourChain = std::move(healed.contourChain);
    NoteHealing(healed.report, read.report);
    const auto contours = static_cast<int32_t>(CountContours(drawing.contourChain));
    if (healed.report.closedContours == 0 && contours > 0 && !options.cutOpen) {
        DxfReadResult refused = Refused(DxfReadOutcome::Empty, TableLimit::Records, LeftOutWarning(read.report, ReadMode::Sheet, "sheet mode"));
        refused.openContours = contours;
        return refused;
    }
    drawing.extents = TightExtents(drawing.records.values);
    drawing.declaredUnits = UnitsName(document.insUnits);
    drawing.recordUnits = read.recordUnits;
    drawing.unitsSource = converted ? options.unitsSource : UnitsAsTheyStand(drawing.recordUnits);
    return Finish(program, drawing, std::move(read.report));
}

}  // namespace

std::string TableLimitMessage(TableLimit limit, std::string_view note) {
    if (limit == TableLimit::Work) {
        return "The drawing is too large to read: it holds " + std::string(note) +
               ". It was not loaded; the previous drawing is kept.";
    }
    const char* what = "";
    switch (limit) {
        case TableLimit::DxfPairs: what = "more than 200,001 DXF values of lines, arcs, circles and polylines"; break;
        case TableLimit::DxfEntities: what = "more than 20,001 lines, arcs, circles and polylines"; break;
        case TableLimit::Records: what = "more than 100,001 records (line segments, arcs and circles)"; break;
        case TableLimit::Contours: what = "more than 1,001 contours"; break;
        case TableLimit::Work: break;
    }
    return std::string("The drawing is too large: it needs ") + what + "." + std::string(note) +
           " It was not loaded; the previous drawing is kept.";
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

DxfReadResult LoadDxfText(Program& program, std::string_view text, const ReadOptions& options) {
    return options.mode == ReadMode::Sheet ? LoadSheet(program, text, options) : LoadDefault(program, text, options);
}

DxfReadResult ReadDxf(Program& program, const std::string& path, const ReadOptions& options) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return Refused(DxfReadOutcome::CannotRead);
    return LoadDxfText(program, *text, options);
}

std::string CountList(const std::map<std::string, int32_t, std::less<>>& counts) {
    std::string list;
    for (const auto& [what, count] : counts) {
        if (!list.empty()) list += ", ";
        list += std::to_string(count) + " " + what;
    }
    return list;
}

std::string LeftOutWarning(const ReadReport& report, ReadMode mode, std::string_view sheetMode) {
    std::string warning;
    if (!report.cutGeometry.empty()) {
        warning = (mode == ReadMode::Sheet ? "Not cut: " : "Not read: ") + CountList(report.cutGeometry);
        warning += mode == ReadMode::Sheet ? "." : "; " + std::string(sheetMode) + " reads blocks, ellipses and splines.";
    }
    if (!report.readFlat.empty()) {
        if (!warning.empty()) warning += ' ';
        warning += "Read as if on the drawing's plane: " + CountList(report.readFlat) + ".";
    }
    if (mode != ReadMode::Sheet) return warning;
    const auto add = [&warning](const std::string& sentence) { warning += (warning.empty() ? "" : " ") + sentence; };
    if (!report.notRead.empty()) add("Left out: " + CountList(report.notRead) + ".");
    if (report.edgeToEdge > 0) {
        add(std::to_string(report.edgeToEdge) + " parts are drawn edge to edge: each is cut whole, and they lose a kerf "
            "between them.");
    }
    if (!report.tinyUnits.empty()) {
        add("The drawing declares its units as " + report.tinyUnits + ", smaller than a micrometre: check that "
            "they are meant.");
    }
    if (report.arrangedAsDrawn) add("The loose lines and arcs were too many to find the regions they enclose: joined as drawn.");
    return warning;
}

TextTable DxfEntities(const Program& program) { return dxf::GroupEntities(program.dxfPairs); }

std::string ReadOutcomeMessage(const DxfReadResult& result) {
    switch (result.outcome) {
        case DxfReadOutcome::Loaded: return {};
        case DxfReadOutcome::CannotRead: return {};
        case DxfReadOutcome::HasSpline: return std::string(kSplineMessage);
        case DxfReadOutcome::TooLarge: return TableLimitMessage(result.limit, result.detail);
        case DxfReadOutcome::BadBlocks: return result.detail;
        case DxfReadOutcome::Binary: return result.detail.empty() ? std::string(kBinaryDxfMessage) : result.detail;
        case DxfReadOutcome::Empty: {
            const int32_t open = result.openContours;
            const std::string what = open == 0 ? std::string(kEmptyDrawingMessage)
                                               : "The drawing holds no closed contour to cut, only " + std::to_string(open) +
                                                     (open == 1 ? " open contour" : " open contours") +
                                                     ". It was not loaded; the previous drawing is kept.";
            return what + (result.detail.empty() ? "" : " " + result.detail);
        }
        case DxfReadOutcome::OutOfRange: return result.detail.empty() ? std::string(kOutOfRangeMessage) : result.detail;
    }
    return {};
}

}  // namespace zorvan
