// Where the reader does the sound thing for ordinary drawings: line ends of every kind, the POLYLINE's own
// point, entity boundaries, the last pair of a file without EOF, overflowing bulges, and drawings too large
// for the tables, which are refused whole.
#include <gtest/gtest.h>

#include <memory>

#include "import/dxf_reader.h"
#include "support/dxf_text.h"

namespace zorvan {
namespace {

using testing::DxfText;
using testing::Vertex;

class DxfMendsTest : public ::testing::Test {
protected:
    DxfReadResult Load(const std::string& text) { return LoadDxfText(*program, text); }
    std::vector<std::string> Records() const {
        const auto records = program->store.Records();
        return {records.begin(), records.end()};
    }

    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(DxfMendsTest, LinesEndAtCrLfAtCrAloneAndAtLfAlone) {
    const DxfText drawing = DxfText().Line(0, 0, 60, 0).Line(60, 0, 0, 60).Line(0, 60, 0, 0).Circle(15, 15, 5);
    ASSERT_EQ(Load(drawing.Build("\r\n")).outcome, DxfReadOutcome::Loaded);
    const std::vector<std::string> expected = Records();
    ASSERT_EQ(expected.size(), 4u);
    for (const char* eol : {"\n", "\r"}) {
        program = std::make_unique<Program>();
        ASSERT_EQ(Load(drawing.Build(eol)).outcome, DxfReadOutcome::Loaded);
        EXPECT_EQ(Records(), expected);
        EXPECT_EQ(program->contourChain, "0|2|1|:3|:");
    }
}

TEST_F(DxfMendsTest, PolylineCornerAtTheOriginIsKept) {
    ASSERT_EQ(Load(DxfText().Polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}).Build()).outcome,
              DxfReadOutcome::Loaded);
    EXPECT_EQ(Records(), (std::vector<std::string>{"0 0 0 10 0 0 D", "10 0 0 10 10 0 D", "10 10 0 0 10 0 D",
                                                   "0 10 0 0 0 0 D"}));
    EXPECT_EQ(program->contourChain, "0|3|2|1|:");
}

TEST_F(DxfMendsTest, PolylineOwnPointWithElevationIsNeitherAVertexNorPartOfTheExtents) {
    ASSERT_EQ(Load(DxfText().Polyline({{5, 5}, {9, 5}, {9, 8}}, 2.5).Build()).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(Records(), (std::vector<std::string>{"5 5 2.5 9 5 2.5 D", "9 5 2.5 9 8 2.5 D", "9 8 2.5 5 5 2.5 D"}));
    EXPECT_EQ(program->extMinX, 5);
    EXPECT_EQ(program->extMinY, 5);
    EXPECT_EQ(DxfEntities(*program)[0], "POLYLINE:XS5|YS5|ZS2.5|XS9|YS5|ZS2.5|XS9|YS8|ZS2.5|");
}

TEST_F(DxfMendsTest, OtherEntityTypesEndTheEntityBeforeThem) {
    // Each of these follows a LINE from (0, 0) to (10, 0) and carries coordinates of its own.
    for (const char* other : {"ELLIPSE", "INSERT", "DIMENSION", "MTEXT", "HATCH", "TEXT", "POINT", "3DFACE"}) {
        SCOPED_TRACE(other);
        const std::string text = DxfText()
                                     .Line(0, 0, 10, 0)
                                     .Pair("0", other).Pair("10", "50").Pair("20", "60").Pair("11", "70")
                                     .Pair("21", "80").Pair("40", "3").Pair("42", "1")
                                     .Build();
        program = std::make_unique<Program>();
        ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
        EXPECT_EQ(Records(), std::vector<std::string>{"0 0 0 10 0 0 D"});
        EXPECT_EQ(program->extMaxX, 10);
    }
}

TEST_F(DxfMendsTest, OnlyAGroupCodeZeroPairNamesAnEntity) {
    const std::string text = DxfText()
                                 .Circle(5, 5, 1, "LINE")  // a circle on a layer named LINE
                                 .Line(0, 0, 1, 0, "ARC")  // a line on a layer named ARC
                                 .Pair("0", "TEXT").Pair("1", "CIRCLE").Pair("10", "99")
                                 .Build();
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(Records(), (std::vector<std::string>{"5 5 0 1 + 4 5 K", "0 0 0 1 0 0 D"}));
    EXPECT_EQ(program->dxfEntityCount, 2);
}

TEST_F(DxfMendsTest, VertexAndSeqendStillBelongToTheirPolyline) {
    const std::string text = DxfText()
                                 .Polyline({{1, 1}, {4, 1, 1}, {4, 3}})
                                 .Line(20, 20, 30, 20)
                                 .Build();
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    ASSERT_EQ(Records().size(), 4u);
    EXPECT_EQ(Records()[1], "4 2 0 1 270 90 + 4 1 4 3 A");
    EXPECT_EQ(Records()[3], "20 20 0 30 20 0 D");
}

TEST_F(DxfMendsTest, LastCompletePairOfAFileWithoutEofIsRead) {
    std::string text = DxfText().Line(0, 0, 10, 0).Pair("0", "LINE").Pair("10", "0").Pair("11", "0").Pair("21", "7")
                           .Build("\r\n", false);
    text.resize(text.size() - std::string("  0\r\nENDSEC\r\n").size());  // the file stops after "21", "7"
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(Records(), (std::vector<std::string>{"0 0 0 10 0 0 D", "0 0 0 0 7 0 D"}));

    text.resize(text.size() - 2);  // now the value line "7" has no line end: still a complete pair
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(Records().back(), "0 0 0 0 7 0 D");

    text.resize(text.size() - 1);  // "21" alone: an incomplete pair ends the reading
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(Records().back(), "0 0 0 10 0 0 D");
}

TEST_F(DxfMendsTest, NumbersTooLargeReadAsZeroAndArcsTooFlatAreStraight) {
    const std::string text = DxfText()
                                 .Pair("0", "LINE").Pair("10", "1E400").Pair("20", "5").Pair("11", "3").Pair("21", "5")
                                 .LwPolyline({{0, 0, 1e-320}, {2, 0}})
                                 .Build();
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(Records(), (std::vector<std::string>{"0 5 0 3 5 0 D", "0 0 0 2 0 0 D", "2 0 0 0 0 0 D"}));
}

// A LINE with one coordinate and `count` - 2 ignored radius values: `count` kept pairs and one record.
std::string LineWithKeptPairs(int count) {
    std::string text = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 11\n5\n";
    for (int i = 2; i < count; ++i) text += " 40\n1\n";
    return text + "  0\nENDSEC\n  0\nEOF\n";
}

// One LWPOLYLINE of `count` vertices given by X alone (one pair each): `count` records on the X axis.
std::string PolylineOfRecords(int count) {
    std::string text = "  0\nSECTION\n  2\nENTITIES\n  0\nLWPOLYLINE\n";
    for (int i = 0; i < count; ++i) text += " 10\n" + std::to_string(i) + "\n";
    return text + "  0\nENDSEC\n  0\nEOF\n";
}

// `count` LINEs end to end along the X axis: `count` entities, one contour.
std::string LinesEndToEnd(int count) {
    DxfText dxf;
    for (int i = 0; i < count; ++i) dxf.Pair("0", "LINE").Pair("10", std::to_string(i)).Pair("11", std::to_string(i + 1));
    return dxf.Build("\n");
}

// `count` separate circles: `count` contours.
std::string Circles(int count) {
    DxfText dxf;
    for (int i = 0; i < count; ++i) dxf.Circle(3.0 * i, 0, 1);
    return dxf.Build("\n");
}

TEST_F(DxfMendsTest, DrawingsAtTheTableLimitsAreReadAndOneMoreIsRefusedWhole) {
    struct LimitCase {
        std::string atLimit, overLimit;
        TableLimit limit;
        const char* named;
    };
    const LimitCase cases[] = {
        {LineWithKeptPairs(200001), LineWithKeptPairs(200002), TableLimit::DxfPairs, "200,001"},
        {LinesEndToEnd(20001), LinesEndToEnd(20002), TableLimit::DxfEntities, "20,001"},
        {PolylineOfRecords(100001), PolylineOfRecords(100002), TableLimit::Records, "100,001"},
        {Circles(1001), Circles(1002), TableLimit::Contours, "1,001"},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.named);
        program = std::make_unique<Program>();
        ASSERT_EQ(Load(DxfText().Line(0, 0, 1, 1).Build()).outcome, DxfReadOutcome::Loaded);
        ASSERT_EQ(Load(c.atLimit).outcome, DxfReadOutcome::Loaded);
        const std::vector<std::string> before = Records();
        const std::string chainBefore = program->contourChain;
        const double extMaxXBefore = program->extMaxX;
        const int32_t pairsBefore = program->dxfPairCount;

        const DxfReadResult refused = Load(c.overLimit);
        EXPECT_EQ(refused.outcome, DxfReadOutcome::TooLarge);
        EXPECT_EQ(refused.limit, c.limit);
        EXPECT_NE(TableLimitMessage(refused.limit).find(c.named), std::string::npos);
        EXPECT_EQ(Records(), before);
        EXPECT_EQ(program->contourChain, chainBefore);
        EXPECT_EQ(program->extMaxX, extMaxXBefore);
        EXPECT_EQ(program->dxfPairCount, pairsBefore);
    }
}

TEST_F(DxfMendsTest, SplineOrOverflowWhicheverComesFirstInTheFile) {
    std::string overflowThenSpline = LineWithKeptPairs(200002);
    overflowThenSpline.insert(overflowThenSpline.rfind("  0\nEOF"), "  0\nSPLINE\n");
    EXPECT_EQ(Load(overflowThenSpline).outcome, DxfReadOutcome::TooLarge);

    std::string splineThenOverflow = LineWithKeptPairs(200002);
    splineThenOverflow.insert(splineThenOverflow.find("  0\nLINE"), "  0\nSPLINE\n");
    EXPECT_EQ(Load(splineThenOverflow).outcome, DxfReadOutcome::HasSpline);
}

// An old-style closed POLYLINE whose own entity carries `extra` pairs (an extrusion) before its vertices.
DxfText ClosedPolyline(const std::vector<Vertex>& vertices, const std::vector<std::pair<const char*, double>>& extra = {}) {
    DxfText dxf;
    dxf.Pair("0", "POLYLINE").Pair("8", "0").Pair("66", "1").Pair("70", "1");
    for (const auto& [code, value] : extra) dxf.Num(code, value);
    for (const Vertex& v : vertices) {
        dxf.Pair("0", "VERTEX").Pair("8", "0").Num("10", v.x).Num("20", v.y);
        if (v.bulge != 0) dxf.Num("42", v.bulge);
    }
    return dxf.Pair("0", "SEQEND");
}

// Entities written seen from below (extrusion 0, 0, -1) are read in world coordinates: the same records as
// the mirror image written plainly. Tilted ones are read as before and counted; lines never change.
TEST_F(DxfMendsTest, EntitiesSeenFromBelowAreReadMirroredAndTiltedOnesAreCounted) {
    const auto down = [](DxfText dxf, double x = 0) { return dxf.Num("210", x).Num("220", 0).Num("230", -1); };
    struct Case {
        const char* what;
        DxfText written, meant;
        const char* readFlat = "";
    };
    const Case cases[] = {
        {"arc", down(DxfText().Arc(10, 5, 3, 30, 100)), DxfText().Arc(-10, 5, 3, 80, 150)},
        {"circle", down(DxfText().Circle(10, 5, 3)), DxfText().Circle(-10, 5, 3)},
        {"lwpolyline", down(DxfText().LwPolyline({{0, 0, 0.5}, {8, 0}, {8, 6, -0.25}})),
         DxfText().LwPolyline({{0, 0, -0.5}, {-8, 0}, {-8, 6, 0.25}})},
        {"polyline", ClosedPolyline({{1, 0, 0.5}, {8, 0}, {8, 6}}, {{"210", 0}, {"220", 0}, {"230", -1}}),
         ClosedPolyline({{-1, 0, -0.5}, {-8, 0}, {-8, 6}})},
        {"line", down(DxfText().Line(1, 2, 3, 4)), DxfText().Line(1, 2, 3, 4)},
        {"nearly straight down", down(DxfText().Circle(10, 5, 3), 1e-10), DxfText().Circle(-10, 5, 3)},
        {"tilted", down(DxfText().Circle(10, 5, 3), 2e-9), DxfText().Circle(10, 5, 3), "1 CIRCLE on a tilted plane"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Load(c.meant.Build()).outcome, DxfReadOutcome::Loaded);
        const std::vector<std::string> expected = Records();
        const int32_t pairs = program->dxfPairCount;
        const DxfReadResult result = Load(c.written.Build());
        ASSERT_EQ(result.outcome, DxfReadOutcome::Loaded);
        EXPECT_EQ(Records(), expected);
        EXPECT_EQ(program->dxfPairCount, pairs);  // the extrusion is not kept
        EXPECT_EQ(CountList(result.report.readFlat), c.readFlat);
    }
}

TEST_F(DxfMendsTest, WhatIsNotReadIsCountedAndWhatCouldBeCutIsNamed) {
    DxfText dxf;
    dxf.Circle(0, 0, 5).Pair("0", "INSERT").Pair("2", "B").Pair("0", "INSERT").Pair("2", "B");
    dxf.Pair("0", "ELLIPSE").Pair("0", "TEXT").Pair("1", "hello");
    const DxfReadResult result = Load(dxf.Build());
    ASSERT_EQ(result.outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(CountList(result.report.notRead), "1 ELLIPSE, 2 INSERT, 1 TEXT");
    EXPECT_EQ(LeftOutWarning(result.report, ReadMode::Default, "--sheet"),
              "Not read: 1 ELLIPSE, 2 INSERT; --sheet reads blocks, ellipses and splines.");
    EXPECT_EQ(LeftOutWarning(Load(DxfText().Circle(0, 0, 5).Pair("0", "TEXT").Build()).report, ReadMode::Default, "--sheet"), "");
}

}  // namespace
}  // namespace zorvan
