// The DXF reader: LINE, ARC, CIRCLE, POLYLINE and LWPOLYLINE entities of the ENTITIES section become line,
// arc and circle records in the drawing store, then the records are chained into contours.
//
// The file is read in three passes. Pass 1 keeps the (group code, value) pairs of the five entity types.
// Pass 2 groups the kept pairs into one entity text per entity, such as "LINE:XS0|YS0|ZS0|XE10|YE0|ZE0|".
// Pass 3 turns each entity text into records. Nothing of the program's drawing changes until the whole file
// has been read and fits the tables; a refused file leaves the previous drawing exactly as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "import/dxf_schema.h"
#include "model/program.h"
#include "model/text_file.h"

namespace zorvan {

// The group codes and entity names the main window hands to the reader (dxf_schema.h has the table).
inline const std::string& kDxfCodeList = dxf::DefaultCodeList();
inline const std::string& kDxfNameList = dxf::DefaultNameList();

// The message shown when a drawing holds a SPLINE and is read in the default mode.
inline constexpr std::string_view kSplineMessage =
    "The drawing holds a SPLINE, which this reading cannot cut. Sheet mode reads splines.";

// The messages shown for a drawing with nothing to cut, and for one whose numbers are too large to use.
inline constexpr std::string_view kEmptyDrawingMessage =
    "The drawing holds no lines, arcs, circles or polylines to cut. It was not loaded; the previous drawing is kept.";
inline constexpr std::string_view kOutOfRangeMessage =
    "The drawing holds numbers too large to work with (beyond 1E+307). It was not loaded; the previous drawing is kept.";

// The message shown for a binary DXF file the default reading meets, or one sheet mode cannot read.
inline constexpr std::string_view kBinaryDxfMessage =
    "This is a binary DXF file. Save the drawing as a text (ASCII) DXF file and open that.";

enum class DxfReadOutcome {
    Loaded,      // records, contours and extents replaced
    CannotRead,  // the file could not be opened or read; nothing changed, nothing shown
    HasSpline,   // the value "SPLINE" occurs in the file; refused with kSplineMessage
    TooLarge,    // the drawing exceeds a table; refused with TableLimitMessage
    Binary,      // a binary DXF file; refused with kBinaryDxfMessage
    Empty,       // nothing to cut; refused with kEmptyDrawingMessage, then what was left out (the detail)
    OutOfRange,  // a number beyond 1E+307 in the drawing or its arithmetic; refused with kOutOfRangeMessage
    BadBlocks,   // sheet mode: a block inserts itself, or blocks nest too deep; refused, the detail says which
};

// The table a refused drawing would have overflowed.
// Work: reading the drawing would take too much work (the detail says of what: block insertions, entities).
enum class TableLimit { DxfPairs, DxfEntities, Records, Contours, Work };

// The units sheet mode writes a drawing in that declares its units.
enum class OutputUnits { Millimetres, Inches };

struct ReadOptions {
    ReadMode mode = ReadMode::Default;
    // Sheet mode: the contours that do not close are cut too. Without it a drawing of open contours only has
    // nothing to cut and is refused.
    bool cutOpen = false;
    // Sheet mode: how far arcs and lines made of an ellipse or a spline may stray from it, in millimetres
    // (in drawing units where the drawing declares none).
    double curveTolerance = 0.01;
    OutputUnits units = OutputUnits::Millimetres;
    // Where `units` came from, for the job summary: "the header's G21", "--units", "the default".
    std::string unitsSource = "the default";
    // The group codes and entity names the default reading keeps.
    std::string_view codeList = kDxfCodeList;
    std::string_view nameList = kDxfNameList;
};

// What a read left out, for the operator to be told: counts by what it was.
struct ReadReport {
    // Everything not read: entity types by name ("TEXT", "DIMENSION", ...) and what kept the rest out ("in
    // paper space", "on hidden layers").
    std::map<std::string, int32_t, std::less<>> notRead;
    // What could be cut geometry but is not cut: blocks, ellipses and splines the default reading leaves out;
    // in sheet mode entities on tilted planes, 3D polylines and meshes, inserts of missing blocks.
    std::map<std::string, int32_t, std::less<>> cutGeometry;
    // The default reading: entities read as if they lay on the drawing's plane though they do not (on a tilted
    // plane, 3D polylines, meshes).
    std::map<std::string, int32_t, std::less<>> readFlat;
    // Sheet mode: regions drawn edge to edge with another (each is cut whole, and they lose a kerf between
    // them); whether the loose pieces were too many to find their regions, so they were joined as drawn.
    int32_t edgeToEdge = 0;
    bool arrangedAsDrawn = false;
    // Sheet mode: the declared units' name where they are smaller than a micrometre (angstroms, nanometres),
    // which makes any part smaller than a speck: likely not what the drawing means.
    std::string tinyUnits;
};

struct DxfReadResult {
    DxfReadOutcome outcome = DxfReadOutcome::Loaded;
    TableLimit limit = TableLimit::Records;  // meaningful for TooLarge only
    std::string detail;                       // what a refusal has to add to its message
    ReadReport report;                        // meaningful for Loaded only
    int32_t openContours = 0;                 // Empty in sheet mode: the open contours it held, not cut
};

// Counts as a list for the operator: "3 INSERT, 1 ELLIPSE"; empty for none.
std::string CountList(const std::map<std::string, int32_t, std::less<>>& counts);

// The warning for a loaded drawing whose report names cut geometry left out, in the words of the mode it was
// read in; empty when there is none. `sheetMode` is how the operator asks for sheet mode ("--sheet").
//   "Not read: 3 INSERT, 1 ELLIPSE; --sheet reads blocks, ellipses and splines."
std::string LeftOutWarning(const ReadReport& report, ReadMode mode, std::string_view sheetMode);

// The operator's message for a drawing that exceeds `limit`; it names the limit.
//   TableLimitMessage(TableLimit::Records) starts "The drawing is too large: it needs more than 100,001 records"
std::string TableLimitMessage(TableLimit limit, std::string_view note = {});

// Reads the DXF text at `path` into the program. On success the records, n, the per-record tables,
// contourChain and the extents are replaced, and the view window is set to the extents; the caller fits its
// picture to them. Any other outcome leaves the previous drawing exactly as it was; the caller tells the
// operator (ReadOutcomeMessage).
DxfReadResult ReadDxf(Program& program, const std::string& path, const ReadOptions& options = {});

// The operator's message for a read that did not load: the refusal in words, naming the limit where one was
// exceeded. Empty for a loaded drawing and for a file that could not be read (the callers check that first).
std::string ReadOutcomeMessage(const DxfReadResult& result);

// ReadDxf's work on text already in memory.
DxfReadResult LoadDxfText(Program& program, std::string_view text, const ReadOptions& options = {});

// The entity texts of the last load, "LINE:XS0|YS0|ZS0|XE10|YE0|ZE0|" and so on, made again from its kept pairs.
TextTable DxfEntities(const Program& program);

// The next pair of lines as "code|value", or "0000|0000" when the text ends before both lines were read.
std::string ReadPair(LineReader& reader);

// Resets the direct G-code listing's per-record tables for records 0..n: coordinates -100000, mark "I".
void ResetRecordTables(Program& program, int32_t n);

// The coordinates of one polyline vertex text such as "X1 Y2 Z3 P.5 ". A letter the vertex lacks leaves its
// output as it was.
void VertexXYZ(std::string_view vertex, double& x, double& y, double& z);

// The bulge of a vertex text (its "P" token), 0 when it has none.
double VertexBulge(std::string_view vertex);

}  // namespace zorvan
