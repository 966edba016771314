// The drawing store, the record texts and the program-wide state as a fresh run finds them.
#include <gtest/gtest.h>

#include <memory>

#include "model/drawing_store.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record.h"
#include "model/text_table.h"
#include "model/program.h"
#include "model/record_text.h"

namespace zorvan {
namespace {

TEST(DrawingStore, StoresByIndexAndAnswersNegativeIndicesWithEmptyText) {
    Class1 store;
    EXPECT_EQ(store.n, -1);
    EXPECT_TRUE(store.Records().empty());
    store.LetDATA("0 0 0 10 0 0 D", 0);
    store.LetDATA("last", 100000);
    EXPECT_EQ(store.GetDATA(0), "0 0 0 10 0 0 D");
    EXPECT_EQ(store.GetDATA(100000), "last");
    EXPECT_EQ(store.GetDATA(-1), "");
    EXPECT_EQ(store.GetDATA(1), "");
    store.n = 0;
    ASSERT_EQ(store.Records().size(), 1u);
    EXPECT_EQ(store.Records()[0], "0 0 0 10 0 0 D");
}

TEST(DrawingStore, StoringBeyondTheTableIsAProgrammingError) {
    Class1 store;
    EXPECT_DEATH(store.LetDATA("x", 100001), "outside 0..100000");
    EXPECT_EQ(store.GetDATA(100001), "");  // reading beyond the table gives empty text, like a negative index
}

TEST(RecordText, BuildersWriteTheInvariantFormWithSingleBlanks) {
    EXPECT_EQ(MakeLineRecord(0, 0, 0, 10, 0, 0), "0 0 0 10 0 0 D");
    EXPECT_EQ(MakeLineRecord(0.5, -0.25, 0, 1e20, 7.5, 0), ".5 -.25 0 1E+20 7.5 0 D");
    EXPECT_EQ(MakeCircleRecord(5, 5, 2.5), "5 5 0 2.5 + 2.5 5 K");
    EXPECT_EQ(MakeArcRecord(1, 0, 1, 180, 0, '+', 0, 0, 2, 0), "1 0 0 1 180 0 + 0 0 2 0 A");
}

TEST(RecordText, TypeLetterAndLastFieldAgreeForEveryRecordTheReaderWrites) {
    const std::string records[] = {MakeLineRecord(0, 0, 0, 1e-20, 1e20, 0),
                                   MakeArcRecord(1, 2, 3, 0, 90, '-', 4, 5, 6, 7), MakeCircleRecord(-1, 1e-7, 2)};
    const char letters[] = {'D', 'A', 'K'};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(records[i]);
        const auto fields = SplitFields(records[i]);
        EXPECT_EQ(fields.back(), std::string(1, letters[i]));
        EXPECT_EQ(IsLineRecord(records[i]), letters[i] == 'D');
        EXPECT_EQ(IsArcRecord(records[i]), letters[i] == 'A');
        EXPECT_EQ(IsCircleRecord(records[i]), letters[i] == 'K');
    }
    EXPECT_EQ(SplitFields(records[0])[6], "D");
}

// The numbers kept beside the texts must be those the texts read as, whoever wrote them and however the lists
// holding them were changed.
TEST(RecordNumbers, KeptNumbersAreWhatTheTextsReadAs) {
    const std::string texts[] = {MakeLineRecord(0.5, -1, 2, 3.25, 4, 0), MakeArcRecord(1, 2, 3, 10, 90, '-', 4, 5, 6, 7),
                                 MakeCircleRecord(-1, 1e-7, 2), "no letters here", "5 5 0 2 x 3 5 K"};
    RecordList list;
    for (const std::string& text : texts) list.emplace_back(text);
    list.set(0, RecordValues(texts[1]));  // a line's place taken by an arc, which holds more numbers
    list.set(6, RecordValues(texts[2]));  // beyond the end: the places between are records of no kind
    const std::string expected[] = {texts[1], texts[1], texts[2], texts[3], texts[4], "", texts[2]};
    ASSERT_EQ(list.size(), 7u);
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        const RecordValues want(expected[i]), got = list[i];
        EXPECT_EQ(got.kind(), want.kind());
        EXPECT_EQ(got.Sense(), want.Sense());
        for (size_t k = 0; k < 11; ++k) EXPECT_EQ(got.At(k), want.At(k)) << k;
    }
    std::string written;
    const RecordValues arc = AppendArcRecord(written, 1.0 / 3, 2, 3, 10, 90, '+', 4, 5, 6, 7);
    EXPECT_EQ(RecordValues(written).At(0), arc.At(0));  // the writer's numbers are those of its 15-digit text

    PartEntry entry("II 0 0 0 0:" + texts[0] + "|:NOTS NOTD 0");
    EXPECT_EQ(entry.Records()[0].At(3), 3.25);
    entry = "OO 1 1 1 1:" + texts[0] + "|:SEL NOTD 1";  // the same records: their numbers stay
    EXPECT_EQ(entry.Records().size(), 1u);
    entry = "OO 1 1 1 1:" + texts[2] + "|" + texts[1] + "|:SEL NOTD 1";  // other records: read again
    ASSERT_EQ(entry.Records().size(), 2u);
    EXPECT_TRUE(entry.Records()[1].IsArc());
}

TEST(TextTable, RowsSetBeyondTheEndAndCopiedFromItself) {
    TextTable table;
    table.push_back("first");
    table.set(3, "fourth");
    table.push_back(table[0]);  // a view into the table's own buffer
    const std::vector<std::string> rows(table.begin(), table.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"first", "", "", "fourth", "first"}));
    EXPECT_EQ(table.First(2).size(), 2u);
    EXPECT_EQ(table.First(99).back(), "first");
}

TEST(RecordText, CircleStartsAndEndsLeftOfItsCentre) {
    const std::string circle = MakeCircleRecord(5, 5, 2.5);
    const auto fields = SplitFields(circle);
    EXPECT_EQ(LenientParse(fields[5]), 2.5);
    EXPECT_EQ(LenientParse(fields[6]), 5);
}

TEST(RecordText, SplittingKeepsEmptyFieldsAndMissingFieldsReadEmpty) {
    const auto fields = SplitFields("1 2  3");
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[2], "");
    EXPECT_EQ(FieldAt(fields, 3), "3");
    EXPECT_EQ(FieldAt(fields, 11), "");
    EXPECT_EQ(SplitFields("").size(), 1u);
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(Program, FreshStateHoldsTheTablesAndStartingValues) {
    const auto program = std::make_unique<Program>();
    EXPECT_EQ(program->PI, 3.141592654);
    EXPECT_EQ(program->store.n, -1);
    EXPECT_EQ(program->extMinX, 100000.0);
    EXPECT_EQ(program->extMinY, 100000.0);
    EXPECT_EQ(program->extMaxX, -100000.0);
    EXPECT_EQ(program->extMaxY, -100000.0);
    EXPECT_EQ(program->contourList.size(), 1001u);
    EXPECT_EQ(program->partList.size(), 1001u);
    EXPECT_TRUE(program->chain.recStartX.empty());  // the per-record tables grow with the drawing
    EXPECT_EQ(ChainTables(3).recStartX[2], -100.0);
    EXPECT_EQ(ChainTables(3).linkAtEnd[0], -1);
    EXPECT_TRUE(program->contourChain.empty());
}

TEST(Program, WideningTakesEqualValuesAsTheNewMaximum) {
    double minimum = 100000.0, maximum = -100000.0;
    WidenExtent(5, minimum, maximum);
    EXPECT_EQ(minimum, 5);
    EXPECT_EQ(maximum, 5);
    WidenExtent(-2, minimum, maximum);
    WidenExtent(9, minimum, maximum);
    EXPECT_EQ(minimum, -2);
    EXPECT_EQ(maximum, 9);
}

}  // namespace
}  // namespace zorvan
