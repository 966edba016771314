// The direct G-code listing, the record listing and the direct G-code window.
#include "gcode/direct_gcode.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "support/scripted_toolkit.h"
#include "ui/form2.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The text split at every CR LF.
Lines Rows(const std::string& text) {
    Lines rows;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        rows.push_back(text.substr(start, end - start));
    }
    rows.push_back(text.substr(start));
    return rows;
}

class DirectGcodeTest : public ::testing::Test {
protected:
    void Store(const Lines& records, const std::string& chain) {
        for (size_t i = 0; i < records.size(); ++i) program->store.LetDATA(records[i], static_cast<int32_t>(i));
        program->store.n = static_cast<int32_t>(records.size()) - 1;
        program->contourChain = chain;
    }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    testing::ScriptedToolkit toolkit;
    ListBox List11;
};

TEST_F(DirectGcodeTest, ExampleWithTheStandardHeaderAndFooter) {
    Store({"0 0 0 10 0 0 D"}, "0|:");
    EXPECT_EQ(GenerateDirectGCode(*program, kDirectHeader, kDirectFooter),
              "G75\r\nG90\r\nG92X0Y0\r\nG00 Z0.5\r\n\r\nG00 X0 Y0\r\nG00 Z-0.5\r\nTORCHON\r\nG01 X10 Y0\r\n"
              "TORCHOFF\r\nG00 Z0.5\r\nG00 X0 Y0\r\nM25\r\nM2");
}

TEST_F(DirectGcodeTest, MovesOfEachRecordTypeAfterTheRapidMoveToItsStart) {
    struct Case {
        const char* record;
        Lines moves;  // from the rapid move to the contour's start on
    };
    const Case cases[] = {
        {"10 0 0 0 0 0 D", {"G00 X10 Y0", "G00 Z-0.5", "TORCHON", "G01 X0 Y0"}},
        {"5 5 0 2.5 90 0 - 5 7.5 7.5 5 A", {"G00 X5 Y7.5", "G00 Z-0.5", "TORCHON", "G02 X7.5 Y5 I5 J5"}},
        {"5 5 0 2.5 0 90 + 7.5 5 5 7.5 A", {"G00 X7.5 Y5", "G00 Z-0.5", "TORCHON", "G03 X5 Y7.5 I5 J5"}},
        // A circle is cut from its leftmost point, where chaining and the part entries start it.
        {"10 5 0 2 + 8 5 K", {"G00 X8 Y5", "G00 Z-0.5", "TORCHON", "G03 X 12 Y5 I10 J5", "G03 X 8 Y5 I10 J5"}},
        {".5 -.25 0 1E-5 0 0 D", {"G00 X0.5 Y-0.25", "G00 Z-0.5", "TORCHON", "G01 X0.000010 Y0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        Store({c.record}, "0|:");
        Lines expected = {"G00 Z0.5", ""};
        expected.insert(expected.end(), c.moves.begin(), c.moves.end());
        expected.insert(expected.end(), {"TORCHOFF", "G00 Z0.5", "G00 X0 Y0", "F"});
        EXPECT_EQ(Rows(GenerateDirectGCode(*program, "", "F")), expected);
    }
}

// Between contours the torch goes off and up and travels rapidly, whichever form contourChain has; records
// stored against their contour's direction are cut the way it runs.
TEST_F(DirectGcodeTest, EachContourIsReachedWithTheTorchOffAndCutHeadToTail) {
    // A square whose first and third records are stored backwards, a circle, and a line.
    Store({"10 0 0 0 0 0 D", "10 0 0 10 10 0 D", "0 10 0 10 10 0 D", "0 10 0 0 0 0 D", "20 5 0 2 + 18 5 K",
           "30 0 0 40 0 0 D"},
          "");
    const Lines square = {"", "G00 X0 Y0", "G00 Z-0.5", "TORCHON", "G01 X10 Y0", "G01 X10 Y10", "G01 X0 Y10",
                          "G01 X0 Y0", "TORCHOFF", "G00 Z0.5"};
    const Lines circle = {"", "G00 X18 Y5", "G00 Z-0.5", "TORCHON", "G03 X 22 Y5 I20 J5", "G03 X 18 Y5 I20 J5",
                          "TORCHOFF", "G00 Z0.5"};
    const Lines line = {"", "G00 X30 Y0", "G00 Z-0.5", "TORCHON", "G01 X40 Y0", "TORCHOFF", "G00 Z0.5"};
    Lines expected = {"G00 Z0.5"};
    for (const Lines* contour : {&square, &circle, &line}) {
        expected.insert(expected.end(), contour->begin(), contour->end());
    }
    expected.insert(expected.end(), {"G00 X0 Y0", ""});
    // As chaining writes it, as SAVE CHANGES writes it, and with a record number that names no record.
    for (const char* chain : {"0|1|2|3|:4|:5|:", "0|1|2|3||4||5||", "0|1|2|3|:4|99|:5|:"}) {
        SCOPED_TRACE(chain);
        program->contourChain = chain;
        EXPECT_EQ(Rows(GenerateDirectGCode(*program, "", "")), expected);
    }

    program->contourChain = "";
    EXPECT_EQ(GenerateDirectGCode(*program, "H\r\n", "F"), "H\r\nG00 X0 Y0\r\nF");
}

TEST_F(DirectGcodeTest, RecordListingMarksTheFirstOfEachContour) {
    Store({"0 0 0 1 0 0 D", "1 0 0 0 0 0 D", "5 5 0 1 + 4 5 K"}, "0|1|:2|:");
    List11.rows = {"0|1|", "2|"};
    Form2 form(*program, toolkit, List11);
    form.List1.AddItem("old");
    form.List1.selected = 0;
    form.Command4_Click();
    const std::string closer(24, '=');
    EXPECT_EQ(form.List1.rows, (Lines{"   0 0 0 1 0 0 D", "1 0 0 0 0 0 D", closer, "   5 5 0 1 + 4 5 K", closer}));
    EXPECT_EQ(form.List1.selected, -1);
}

TEST_F(DirectGcodeTest, WindowGeneratesWithoutHeaderUntilTheStandardOneIsChosen) {
    Store({"0 0 0 10 0 0 D"}, "0|:");
    Form2 form(*program, toolkit, List11);
    form.Form_Load();
    EXPECT_TRUE(form.Text1.starts_with("G00 Z0.5\r\n\r\nG00 X0 Y0\r\n")) << form.Text1;
    EXPECT_TRUE(form.Text1.ends_with("TORCHOFF\r\nG00 Z0.5\r\nG00 X0 Y0\r\n")) << form.Text1;

    form.Command3_Click();
    EXPECT_EQ(form.gcodeHeader, kDirectHeader);
    EXPECT_EQ(form.gcodeFooter, kDirectFooter);
    EXPECT_EQ(form.Text1, GenerateDirectGCode(*program, kDirectHeader, kDirectFooter));

    program->store.LetDATA("0 0 0 20 0 0 D", 0);
    form.Command2_Click();
    EXPECT_TRUE(form.Text1.starts_with(kDirectHeader));
    EXPECT_NE(form.Text1.find("G01 X20 Y0"), std::string::npos);
}

TEST_F(DirectGcodeTest, WindowSavesTheTextWithAFinalLineEnd) {
    const fs::path folder = fs::path(::testing::TempDir()) / ("zorvan_direct_save_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    Form2 form(*program, toolkit, List11);
    form.Text1 = "G90\r\nM2";

    form.Command1_Click();  // cancelled
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(toolkit.events, Lines{"save "});

    toolkit.fileAnswers.push_back((folder / "direct.nc").string());
    form.Command1_Click();
    std::ostringstream bytes;
    bytes << std::ifstream(folder / "direct.nc", std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), "G90\r\nM2\r\n");

    toolkit.fileAnswers.push_back((folder / "missing" / "direct.nc").string());
    form.Command1_Click();
    ASSERT_EQ(toolkit.Messages().size(), 1u);
    EXPECT_NE(toolkit.Messages()[0].find((folder / "missing" / "direct.nc").string()), std::string::npos);
    fs::remove_all(folder);
}

TEST_F(DirectGcodeTest, ClickedRowBecomesTheCaption) {
    Form2 form(*program, toolkit, List11);
    EXPECT_EQ(form.Caption, "GCODE");
    form.List1.rows = {"   0 0 0 1 0 0 D", "========================"};
    form.List1.selected = 0;
    form.List1_Click();
    EXPECT_EQ(form.Caption, "   0 0 0 1 0 0 D");
    form.List1.selected = 2;
    form.List1_Click();
    EXPECT_EQ(form.Caption, "   0 0 0 1 0 0 D");
}

}  // namespace
}  // namespace zorvan
