// The nested sheet's DXF drawing read back with our own reader: every placed line, arc and circle where the
// placement puts it (mirrored arcs sweeping the mirrored side), the sheet's edge on a layer switched off.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "import/dxf_reader.h"
#include "model/program.h"
#include "model/record_text.h"
#include "nesting/sheet_dxf.h"

namespace zorvan {
namespace {

// A record's path as three points: its ends and the point halfway along it; a circle as its centre and its
// radius.
std::vector<Point2> Landmarks(const RecordValues& r) {
    if (r.IsLine()) {
        const LineValues l = r.Line();
        return {{l.x1, l.y1}, {(l.x1 + l.x2) / 2, (l.y1 + l.y2) / 2}, {l.x2, l.y2}};
    }
    if (r.IsCircle()) return {{r.Circle().cx, r.Circle().cy}, {r.Circle().r, 0}};
    const ArcValues a = r.Arc();
    const double from = std::atan2(a.y1 - a.cy, a.x1 - a.cx), to = std::atan2(a.y2 - a.cy, a.x2 - a.cx);
    double sweep = a.sense == '-' ? from - to : to - from;
    while (sweep <= 0) sweep += 2 * M_PI;
    const double middle = from + (a.sense == '-' ? -sweep : sweep) / 2;
    return {{a.x1, a.y1}, {a.cx + a.r * std::cos(middle), a.cy + a.r * std::sin(middle)}, {a.x2, a.y2}};
}

// Whether the landmarks are the same, either way round.
bool SamePath(std::vector<Point2> a, std::vector<Point2> b) {
    const auto near = [](const std::vector<Point2>& p, const std::vector<Point2>& q) {
        for (size_t k = 0; k < p.size(); ++k) {
            if (std::hypot(p[k].x - q[k].x, p[k].y - q[k].y) > 1e-6) return false;
        }
        return true;
    };
    if (a.size() != b.size()) return false;
    if (near(a, b)) return true;
    std::reverse(b.begin(), b.end());
    return near(a, b);
}

TEST(SheetDxfTest, PlacedRecordsReadBackWhereThePlacementPutsThem) {
    // A plate with a rounded corner (an arc each way round) and a round hole.
    const std::vector<RecordList> contours = {
        {RecordValues(MakeLineRecord(0, 0, 0, 30, 0, 0)), RecordValues(MakeArcRecord(30, 10, 10, 270, 0, '+', 30, 0, 40, 10)),
         RecordValues(MakeLineRecord(40, 10, 0, 40, 30, 0)), RecordValues(MakeArcRecord(40, 40, 10, 270, 180, '-', 40, 30, 30, 40)),
         RecordValues(MakeLineRecord(30, 40, 0, 0, 40, 0)), RecordValues(MakeLineRecord(0, 40, 0, 0, 0, 0))},
        {RecordValues(MakeCircleRecord(20, 20, 5))}};
    const Placement placements[] = {{0, 0, 0, 0, false, {10, 10}}, {0, 1, 0, 90, false, {150, 10}}, {0, 2, 0, 33, true, {230, 60}}};
    std::vector<SheetCopy> copies;
    for (const Placement& placement : placements) copies.push_back({&contours, placement, 0});
    const SheetDrawing sheet{LayerNames({"plates/plate.dxf"}), "millimetres", 300, 120, true};
    const std::string dxf = NestedSheetDxf(sheet, copies, 3.141592654);
    EXPECT_NE(dxf.find("  8\r\nPLATE\r\n"), std::string::npos);

    auto program = std::make_unique<Program>();
    ReadOptions options;
    options.mode = ReadMode::Sheet;
    const DxfReadResult read = LoadDxfText(*program, dxf, options);
    ASSERT_EQ(read.outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->recordUnits, "millimetres");
    EXPECT_EQ(read.report.notRead.at("on hidden layers"), 4);  // the sheet's edge is not a part
    ASSERT_EQ(program->store.n + 1, 3 * 7);
    std::vector<std::vector<Point2>> expected;
    for (const Placement& placement : placements) {
        for (const RecordList& contour : contours) {
            for (const RecordValues& record : contour) {
                std::vector<Point2> points = Landmarks(record);
                for (size_t k = 0; k < (record.IsCircle() ? 1 : points.size()); ++k) points[k] = PlacePoint(placement, points[k]);
                expected.push_back(points);
            }
        }
    }
    for (int32_t i = 0; i <= program->store.n; ++i) {
        const std::vector<Point2> back = Landmarks(program->store.Values(i));
        const auto match = std::find_if(expected.begin(), expected.end(), [&](const auto& e) { return SamePath(e, back); });
        EXPECT_NE(match, expected.end()) << "record " << i << ": " << program->store.GetDATA(i);
        if (match != expected.end()) expected.erase(match);
    }
}

TEST(SheetDxfTest, LayerNamesAreR12NamesEachDifferent) {
    EXPECT_EQ(LayerNames({"/p/bracket.dxf", "gusset 2.DXF", "b/bracket.dxf", "sheet.dxf", "x/.dxf", "árbol.dxf"}),
              (std::vector<std::string>{"BRACKET", "GUSSET_2", "BRACKET_2", "SHEET_2", "_DXF", "__RBOL"}));
    EXPECT_EQ(LayerNames({std::string(40, 'a') + ".dxf"}).front().size(), 27u);
}

}  // namespace
}  // namespace zorvan
