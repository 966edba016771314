// The DXF reader on small drawings: the worked examples, the entity texts, the extents, the view window and
// the refusals, through LoadDxfText and through ReadDxf.
#include "import/dxf_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "model/number_text.h"
#include "support/dxf_text.h"

namespace zorvan {
namespace {

using testing::DxfText;
using testing::Vertex;

std::vector<std::string> RecordsOf(const Program& program) {
    const auto records = program.store.Records();
    return {records.begin(), records.end()};
}

class DxfReaderTest : public ::testing::Test {
protected:
    DxfReadResult Load(const DxfText& dxf) { return LoadDxfText(*program, dxf.Build()); }
    DxfReadResult Load(const std::string& text) { return LoadDxfText(*program, text); }

    // Writes `text` to a file in a fresh folder and reads it through ReadDxf.
    DxfReadResult ReadFile(const std::string& text, const std::string& name = "drawing.dxf") {
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return ReadDxf(*program, path);
    }

    void SetUp() override {
        folder = ::testing::TempDir() + "zorvan_dxf_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    std::string folder;
};

TEST_F(DxfReaderTest, LineArcAndCircleRecordsAsTheReaderWritesThem) {
    ASSERT_EQ(Load(DxfText().Line(0, 0, 10, 0).Arc(5, 5, 2.5, 0, 90).Circle(5, 5, 2.5)).outcome,
              DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), (std::vector<std::string>{"0 0 0 10 0 0 D",
                                                             "5 5 0 2.5 0 90 + 7.5 5 4.99999999948724 7.5 A",
                                                             "5 5 0 2.5 + 2.5 5 K"}));
    EXPECT_EQ(program->store.n, 2);
    ASSERT_EQ(program->dxfEntityCount, 3);
    EXPECT_EQ(DxfEntities(*program)[0], "LINE:XS0|YS0|ZS0|XE10|YE0|ZE0|");
    EXPECT_EQ(DxfEntities(*program)[1], "ARC:XS5|YS5|RR2.5|SA0|EA90|");
    EXPECT_EQ(DxfEntities(*program)[2], "CIRCLE:XS5|YS5|RR2.5|");
    EXPECT_EQ(program->dxfPairCount, 7 + 6 + 4);  // names and coded values; layers (code 8) are not kept
    EXPECT_EQ(program->dxfPairs[1], "10|0");
}

TEST_F(DxfReaderTest, ClosedSquarePolylineGivesFourLinesExtentsAndOneContour) {
    ASSERT_EQ(Load(DxfText().LwPolyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}})).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(DxfEntities(*program)[0], "LWPOLYLINE:XS0|YS0|XS10|YS0|XS10|YS10|XS0|YS10|");
    EXPECT_EQ(RecordsOf(*program), (std::vector<std::string>{"0 0 0 10 0 0 D", "10 0 0 10 10 0 D",
                                                             "10 10 0 0 10 0 D", "0 10 0 0 0 0 D"}));
    EXPECT_EQ(program->extMinX, 0);
    EXPECT_EQ(program->extMaxX, 10);
    EXPECT_EQ(program->extMinY, 0);
    EXPECT_EQ(program->extMaxY, 10);
    EXPECT_EQ(program->contourChain, "0|3|2|1|:");
}

TEST_F(DxfReaderTest, BulgedSegmentBecomesAnArcAndEveryPolylineIsClosed) {
    ASSERT_EQ(Load(DxfText().LwPolyline({{0, 0, 1}, {2, 0}})).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), (std::vector<std::string>{"1 0 0 1 180 0 + 0 0 2 0 A", "2 0 0 0 0 0 D"}));
    // The arc widens the extents by its whole circle.
    EXPECT_EQ(program->extMinY, -1);
    EXPECT_EQ(program->extMaxY, 1);

    ASSERT_EQ(Load(DxfText().LwPolyline({{0, 0, -0.5}, {2, 0}})).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->store.GetDATA(0), "1.00000000015383 -.75 0 1.25 143.130102363201 36.8698976452604 - 0 0 2 0 A");
}

TEST_F(DxfReaderTest, PolylinesOfOneVertexAndOfNone) {
    ASSERT_EQ(Load(DxfText().LwPolyline({{3, 4}})).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), std::vector<std::string>{"3 4 0 3 4 0 D"});  // zero length, from itself
    ASSERT_EQ(Load(DxfText().Pair("0", "LWPOLYLINE").Pair("8", "0").Line(0, 0, 1, 0)).outcome,
              DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), std::vector<std::string>{"0 0 0 1 0 0 D"});  // the empty polyline is skipped
}

TEST_F(DxfReaderTest, ZeroLengthLineWidensTheExtentsButLeavesNoRecordAndNoGap) {
    ASSERT_EQ(Load(DxfText().Line(-7, 50, -7, 50).Line(0, 0, 1, 0)).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), std::vector<std::string>{"0 0 0 1 0 0 D"});
    EXPECT_EQ(program->extMinX, -7);
    EXPECT_EQ(program->extMaxY, 50);
    EXPECT_EQ(program->contourChain, "0|:");
}

TEST_F(DxfReaderTest, CirclesOfRadiusZeroAreWrittenAndZCoordinatesAreKept) {
    const std::string text = DxfText()
                                 .Circle(1, 2, 0)
                                 .Pair("0", "LINE").Pair("10", "1").Pair("20", "2").Pair("30", "3")
                                 .Pair("11", "4").Pair("21", "5").Pair("31", "-6")
                                 .Build();
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), (std::vector<std::string>{"1 2 0 0 + 1 2 K", "1 2 3 4 5 -6 D"}));
}

TEST_F(DxfReaderTest, VertexLackingACoordinateKeepsTheOneLastUsedForThatEnd) {
    // The second vertex has no Y: as a segment's end it keeps the last end y (0 from the line before);
    // as the next segment's start it keeps the last start y.
    const std::string text = DxfText()
                                 .Line(0, 0, 1, 0)
                                 .Pair("0", "LWPOLYLINE").Pair("10", "0").Pair("20", "5").Pair("10", "10")
                                 .Pair("10", "10").Pair("20", "9")
                                 .Build();
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), (std::vector<std::string>{"0 0 0 1 0 0 D", "0 5 0 10 0 0 D",
                                                             "10 5 0 10 9 0 D", "10 9 0 0 5 0 D"}));
}

TEST_F(DxfReaderTest, ValuesAreTrimmedAndOnlyTheEntitiesSectionIsRead) {
    const std::string text =
        "  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n  0\r\nLINE\r\n 10\r\n99\r\n 11\r\n98\r\n  0\r\nENDSEC\r\n"
        "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n 1.5 \r\n 20\r\n2 \r\n 11\r\n  3\r\n 21\r\n4\r\n"
        "  0\r\nENDSEC\r\n  0\r\nEOF\r\n  0\r\nLINE\r\n 10\r\n5\r\n 11\r\n6\r\n";
    ASSERT_EQ(Load(text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(RecordsOf(*program), std::vector<std::string>{"1.5 2 0 3 4 0 D"});  // not the block, not past EOF
    EXPECT_EQ(program->dxfPairs[1], " 10| 1.5 ");                                 // kept exactly as read
}

// Nothing to cut is said, and the drawing on screen stays (an empty file would otherwise wipe it silently).
TEST_F(DxfReaderTest, DrawingWithoutUsableEntitiesIsRefusedAndThePreviousOneKept) {
    ASSERT_EQ(ReadFile(DxfText().Line(0, 0, 1, 0).Build()).outcome, DxfReadOutcome::Loaded);
    for (const std::string& text : {DxfText().Pair("0", "TEXT").Pair("10", "5").Pair("1", "hello").Build(),
                                    std::string(), DxfText().Line(3, 3, 3, 3).Build()}) {
        const DxfReadResult result = ReadFile(text);
        EXPECT_EQ(result.outcome, DxfReadOutcome::Empty);
        EXPECT_EQ(ReadOutcomeMessage(result), kEmptyDrawingMessage);
    }
    EXPECT_EQ(RecordsOf(*program), std::vector<std::string>{"0 0 0 1 0 0 D"});
    EXPECT_EQ(program->extMaxX, 1);
}

TEST_F(DxfReaderTest, LoadOverwritesFromZeroAndLeavesHigherEntriesUnread) {
    ASSERT_EQ(Load(DxfText().Line(0, 0, 1, 0).Line(1, 0, 2, 0).Line(2, 0, 3, 0)).outcome, DxfReadOutcome::Loaded);
    ASSERT_EQ(Load(DxfText().Circle(0, 0, 1)).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->store.n, 0);
    EXPECT_EQ(program->store.GetDATA(0), "0 0 0 1 + -1 0 K");
    EXPECT_EQ(program->store.GetDATA(2), "2 0 0 3 0 0 D");  // an old text above n, never read
    EXPECT_EQ(program->contourChain, "0|:");
    EXPECT_EQ(program->chain.recStartX[0], -1);
}

TEST_F(DxfReaderTest, ReadPairVertexTokensAndTheListsHandedToTheReader) {
    EXPECT_EQ(kDxfCodeList, ",10,20,30,40,11,21,31,50,51,42,");
    EXPECT_EQ(kDxfNameList, ",LWPOLYLINE,POLYLINE,ARC,LINE,CIRCLE,");
    LineReader reader("  0\r\nLINE\r\n 10\r\n");
    EXPECT_EQ(ReadPair(reader), "  0|LINE");
    EXPECT_EQ(ReadPair(reader), "0000|0000");  // the value line is missing
    EXPECT_EQ(ReadPair(reader), "0000|0000");

    double x = 1, y = 2, z = 3;
    VertexXYZ("X.5 Z-4 P1 ", x, y, z);
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, -4);
    EXPECT_EQ(VertexBulge("X.5 Z-4 P1 "), 1);
    EXPECT_EQ(VertexBulge("X.5 Y1 "), 0);
}

TEST_F(DxfReaderTest, ReadingSetsTheViewWindowToTheExtentsAndResetsTheListingTables) {
    program->direct.Reserve(2);
    program->direct.mark[1] = 'O';
    ASSERT_EQ(ReadFile(DxfText().Line(-1, 2, 3, 4).Line(3, 4, 5, 6).Build()).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->viewLeft, -1);
    EXPECT_EQ(program->viewTop, 6);
    EXPECT_EQ(program->viewRight, 5);
    EXPECT_EQ(program->viewBottom, 2);
    EXPECT_EQ(program->direct.mark[1], 'I');
    EXPECT_EQ(program->direct.startX[0], -100000.0);
}

TEST_F(DxfReaderTest, SplineAnywhereRefusesTheFileAndKeepsThePreviousDrawing) {
    ASSERT_EQ(ReadFile(DxfText().Line(0, 0, 1, 0).Line(1, 0, 1, 1).Build()).outcome, DxfReadOutcome::Loaded);

    const std::string splineInHeader =
        "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\nSPLINE\r\n  0\r\nENDSEC\r\n" + DxfText().Circle(0, 0, 5).Build();
    const std::string splineInEntities = DxfText().Circle(0, 0, 5).Pair("0", "SPLINE").Pair("10", "1").Build();
    for (const std::string& text : {splineInHeader, splineInEntities}) {
        const DxfReadResult result = ReadFile(text);
        EXPECT_EQ(result.outcome, DxfReadOutcome::HasSpline);
        EXPECT_EQ(ReadOutcomeMessage(result), kSplineMessage);
        EXPECT_EQ(RecordsOf(*program), (std::vector<std::string>{"0 0 0 1 0 0 D", "1 0 0 1 1 0 D"}));
        EXPECT_EQ(program->contourChain, "0|1|:");
        EXPECT_EQ(program->extMaxY, 1);
        EXPECT_EQ(program->dxfEntityCount, 2);
    }
}

TEST_F(DxfReaderTest, FileThatCannotBeReadChangesNothingAndSaysNothing) {
    ASSERT_EQ(ReadFile(DxfText().Line(0, 0, 1, 0).Build()).outcome, DxfReadOutcome::Loaded);
    for (const std::string& path : {folder + "/missing.dxf", folder}) {  // a missing file, a folder
        const DxfReadResult result = ReadDxf(*program, path);
        EXPECT_EQ(result.outcome, DxfReadOutcome::CannotRead);
        EXPECT_EQ(ReadOutcomeMessage(result), "");
    }
    EXPECT_EQ(program->store.n, 0);
}

}  // namespace
}  // namespace zorvan
