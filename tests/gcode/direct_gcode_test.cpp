// The direct G-code listing, the record listing and the direct G-code window.
#include "gcode/direct_gcode.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "gcode/templates.h"
#include "support/rs274.h"
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
    void Parts(const Lines& entries) {
        for (size_t i = 0; i < entries.size(); ++i) program->partList[i] = entries[i];
        program->partCount = static_cast<int32_t>(entries.size());
    }
    // The templates of a preset folder as GCODE SETUP would load them.
    void Templates(const char* preset) {
        program->templateFolder = (fs::path(ZORVAN_SOURCE_DIR) / "presets" / preset).string();
        LoadTemplates(*program);
    }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    testing::ScriptedToolkit toolkit;
    ListBox List11;
};

const std::string kLine = "OO 0 0 0 0:0 0 0 10 0 0 D|:NOTS NOTD 0:";

TEST_F(DirectGcodeTest, ExampleWithTheStandardHeaderAndFooter) {
    Parts({kLine});
    EXPECT_EQ(GenerateDirectGCode(*program, kDirectHeader, kDirectFooter),
              "G75\r\nG90\r\nG92X0Y0\r\nG90.1\r\nG00 Z0.5\r\n\r\nG00 X0 Y0\r\nG00 Z-0.5\r\nG1 X 10.000000 Y 0.000000\r\n"
              "G00 Z0.5\r\nG00 X0 Y0\r\nM25\r\nM2");
    Parts({});
    EXPECT_EQ(GenerateDirectGCode(*program, "H\r\n", "F"), "H\r\nG00 X0 Y0\r\nF");
}

// The listing cuts what the program cuts, in its order and with its torch words: a plate with a round hole
// and a slot, one part deleted. rs274 runs it.
TEST_F(DirectGcodeTest, ListsThePartsCutInTheirOrderWithTheTemplatesTorchWords) {
    Templates("linuxcnc");
    Parts({"II 8 10 8 10:10 10 0 2 + 8 10 K|:NOTS NOTD 0:",
           "II 20 8 20 8:20 8 0 30 8 0 D|30 10 0 2 270 90 + 30 8 30 12 A|30 12 0 20 12 0 D|20 10 0 2 90 270 + 20 12 20 8 A|:NOTS NOTD 0:",
           "II 34 4 34 4:34 4 0 36 4 0 D|36 4 0 36 6 0 D|36 6 0 34 6 0 D|34 6 0 34 4 0 D|:NOTS DEL 0:",
           "OO 0 0 0 0:0 0 0 0 30 0 D|0 30 0 40 30 0 D|40 30 0 40 0 0 D|40 0 0 0 0 0 D|:NOTS NOTD 0:"});
    const Lines rows = Rows(GenerateDirectGCode(*program, "", "M2"));
    const Lines expected = {
        "G90.1", "G00 Z0.5",
        "", "G00 X8 Y10", "G00 Z-0.5", "M3 S1", "G4 P0.5", "G3 I 10.000000  J 10.000000 X 12.000000 Y 10.000000", "G3 I 10.000000  J 10.000000 X 8.000000 Y 10.000000", "M5", "G40", "G00 Z0.5",
        "", "G00 X20 Y8", "G00 Z-0.5", "M3 S1", "G4 P0.5", "G1 X 30.000000 Y 8.000000", "G3 I 30.000000  J 10.000000 X 30.000000 Y 12.000000", "G1 X 20.000000 Y 12.000000",
        "G3 I 20.000000  J 10.000000 X 20.000000 Y 8.000000", "M5", "G40", "G00 Z0.5",
        "", "G00 X0 Y0", "G00 Z-0.5", "M3 S1", "G4 P0.5", "G1 X 0.000000 Y 30.000000", "G1 X 40.000000 Y 30.000000", "G1 X 40.000000 Y 0.000000", "G1 X 0.000000 Y 0.000000", "M5",
        "G40", "G00 Z0.5",
        "G00 X0 Y0", "M2"};
    EXPECT_EQ(rows, expected);
    if (!testing::Rs274Path()) GTEST_SKIP() << "rs274 is not installed";
    const auto verdicts = testing::RunRs274({Lines(rows.begin(), rows.end() - 1)}, testing::ToolForKerf(1.5));
    ASSERT_EQ(verdicts.size(), 1u);
    EXPECT_TRUE(verdicts[0].accepted) << verdicts[0].message << " at row " << verdicts[0].row << verdicts[0].trouble;
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
    Parts({kLine});
    Form2 form(*program, toolkit, List11);
    form.Form_Load();
    EXPECT_TRUE(form.Text1.starts_with("G90.1\r\nG00 Z0.5\r\n\r\nG00 X0 Y0\r\n")) << form.Text1;
    EXPECT_TRUE(form.Text1.ends_with("G1 X 10.000000 Y 0.000000\r\nG00 Z0.5\r\nG00 X0 Y0\r\n")) << form.Text1;

    form.Command3_Click();
    EXPECT_EQ(form.gcodeHeader, kDirectHeader);
    EXPECT_EQ(form.gcodeFooter, kDirectFooter);
    EXPECT_EQ(form.Text1, GenerateDirectGCode(*program, kDirectHeader, kDirectFooter));

    Parts({"OO 0 0 0 0:0 0 0 20 0 0 D|:NOTS NOTD 0:"});
    form.Command2_Click();
    EXPECT_TRUE(form.Text1.starts_with(kDirectHeader));
    EXPECT_NE(form.Text1.find("G1 X 20.000000 Y 0.000000"), std::string::npos);
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
    EXPECT_EQ(form.SavedNote, "Saved " + (folder / "direct.nc").string() + ", 2 lines.");

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
