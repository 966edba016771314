// The program-wide state: everything that lives for the whole run, owned by one object that every routine
// takes by reference (so each test builds its own).
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/cut_style.h"
#include "model/drawing_store.h"
#include "model/part_entry.h"
#include "model/text_table.h"

namespace zorvan {

// Fixed table sizes. A drawing that would need more is refused whole rather than cut short.
inline constexpr int32_t kMaxRecords = Class1::kCapacity;  // records 0..100000
inline constexpr int32_t kMaxContours = 1001;              // contours and part entries 0..1000
inline constexpr int32_t kMaxDxfPairs = 200001;            // kept DXF pairs 0..200000
inline constexpr int32_t kMaxDxfEntities = 20001;          // DXF entity texts 0..20000
inline constexpr int32_t kMaxTemplateLines = 101;          // template lines 0..100

// Per-record tables of the chaining, indexed by record number, as large as the drawing. Before chaining the
// points read -100 and the links -1; `chained` is -1 once the record has been taken into a contour, 0 before.
struct ChainTables {
    explicit ChainTables(size_t size = 0)
        : recStartX(size, -100.0), recStartY(size, -100.0), recEndX(size, -100.0), recEndY(size, -100.0),
          linkAtStart(size, -1), linkAtEnd(size, -1), chained(size, 0) {}

    std::vector<double> recStartX, recStartY, recEndX, recEndY;
    std::vector<int32_t> linkAtStart, linkAtEnd;
    std::vector<int16_t> chained;
};

// Per-record tables of the direct G-code listing, reset after every load, as large as the largest drawing
// read so far. A mark is one letter, "I" after a load.
struct DirectGcodeTables {
    std::vector<double> startX, startY;
    std::vector<char> mark;

    void Reserve(int32_t count) {
        if (count <= static_cast<int32_t>(startX.size())) return;
        startX.resize(static_cast<size_t>(count), -100000.0);
        startY.resize(static_cast<size_t>(count), -100000.0);
        mark.resize(static_cast<size_t>(count), 'I');
    }
};

// How the drawing on hand was read and is planned: as documented (the default), or as a CAD user means it
// (sheet mode: model space, blocks, ellipses, splines, units, a sheet of several parts).
enum class ReadMode { Default, Sheet };

// A sheet's edge in the records' units.
struct SheetEdge {
    double left = 0, bottom = 0, right = 0, top = 0;
};

struct Program {
    double PI = 3.141592654;  // ten digits, on purpose: every degree/radian conversion uses this value

    Class1 store;
    ChainTables chain;
    DirectGcodeTables direct;

    // Every contour as record numbers, each followed by "|", each contour by ":"  ("0|3|2|1|:4|:").
    std::string contourChain;
    // Row i: contour i of contourChain without its ":"; rows 0..contourCount-1 are in use, and the window's
    // contour list (List11) shows them.
    std::vector<std::string> contourList = std::vector<std::string>(kMaxContours);
    int32_t contourCount = 0;
    // Row i: the part entry "header:records:marks:"; rows 0..partCount-1 are the cutting order, and the
    // window's cutting-order list (List2) shows them row for row.
    std::vector<PartEntry> partList = std::vector<PartEntry>(kMaxContours);
    int32_t partCount = 0;
    // Working copy used only while the cut order is rebuilt.
    std::vector<PartEntry> partListScratch = std::vector<PartEntry>(kMaxContours);

    // Drawing extents; the reader widens them value by value with WidenExtent.
    double extMinX = 100000.0, extMinY = 100000.0;
    double extMaxX = -100000.0, extMaxY = -100000.0;

    // The user-coordinate window last applied to the drawing view.
    double viewLeft = 0.0, viewTop = 0.0, viewRight = 0.0, viewBottom = 0.0;

    // Full path of the drawing last opened from the file list.
    std::string openedDrawingPath;

    // How the drawing on hand was read, the units its header declares ("inches", or "not declared"), and the
    // units its records are in ("millimetres" where sheet mode converted them, else the declared ones).
    ReadMode readMode = ReadMode::Default;
    std::string declaredUnits = "not declared";
    std::string recordUnits = "not declared";
    // Where the records' units came from, for the job summary: "as the drawing declares them", the reason sheet
    // mode converted them to ("the header's G21"), or "the drawing's numbers as they stand".
    std::string unitsSource = "the drawing's numbers as they stand";
    // The torch's kerf width in the records' units, as the operator gave it; 0 when not given. It drives the kerf
    // checks and sheet mode's lead-in search; the controller's tool table holds it for the cut itself.
    double kerf = 0;
    // Whether the program itself allows for the kerf: each closed contour written offset by half the kerf
    // towards the scrap, and no G41/G42 (for controllers without cutter compensation). Off: the controller's
    // tool table holds the kerf, as G41/G42 ask.
    bool kerfInProgram = false;
    // How sheet mode's cuts enter and leave their contours, and how small holes are cut.
    CutStyle cutStyle;
    // How the program writes an arc's centre: absolute (with G90.1 in the header) or as the offset from the
    // arc's start (what controllers without G90.1 take).
    ArcCentres arcCentres = ArcCentres::Absolute;
    // Sheet mode: the sheet the parts lie on, where it is known (a nested sheet). Lead-ins and lead-outs stay on
    // it: the torch cannot pierce beyond the plate's edge.
    std::optional<SheetEdge> sheetEdge;
    // Sheet mode's plan: the contours that do not close, left out of the cutting order (none when they are
    // cut, at the end, or in the default mode).
    int32_t openContoursLeftOut = 0;
    // Their entries, as the plan left them out: the window draws them dashed, so the operator sees what is
    // not cut. The transforms move them with the parts.
    std::vector<PartEntry> openLeftOut;
    // Of those, the ones that lie inside a part (bend lines, centre marks, construction lines).
    int32_t openInsideParts = 0;
    // Closed contours the plan does not cut exactly once: checked after every sheet plan, 0 when sound.
    int32_t closedNotPlannedOnce = 0;
    // Sheet mode: what the reading left out or healed, by reason, with counts ("on hidden layers", "TEXT",
    // "pieces drawn twice, cut once", ...).
    std::map<std::string, int32_t, std::less<>> leftOut;

    // The folder of the template files 0_HEADER.TXT, 0_FOOTER.TXT and GCODES.TXT: the program's own folder.
    std::string templateFolder;
    // The lines of GCODES.TXT (at most 101) and how many of them the slots consult.
    std::vector<std::string> templateLines = std::vector<std::string>(kMaxTemplateLines);
    int16_t templateLineCount = 0;

    // Working tables of the DXF reader, as the last successful load left them. The entity texts are not
    // kept: they follow from the pairs (DxfEntities in import/dxf_reader.h).
    TextTable dxfPairs;
    int32_t dxfPairCount = 0;
    int32_t dxfEntityCount = 0;
};

// The number of part entries in use, within the part table.
inline int32_t PartRowCount(const Program& program) { return std::clamp(program.partCount, 0, kMaxContours); }

// Widens extents by the drawing rule: a value not greater than or equal to the minimum becomes the minimum;
// a value greater than or equal to the maximum becomes the maximum.
inline void WidenExtent(double value, double& minimum, double& maximum) {
    if (!(value >= minimum)) minimum = value;
    if (value >= maximum) maximum = value;
}

}  // namespace zorvan
