// Template slots, the default template files and the template setup window.
#include "gcode/templates.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "model/text_file.h"
#include "support/temp_folder.h"
#include "support/scripted_toolkit.h"
#include "ui/form6.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

void WriteBytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Every test gets its own template folder.
class TemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("templates");
        program->templateFolder = folder.string();
    }
    void TearDown() override { fs::remove_all(folder); }

    void LoadGcodes(const std::string& content) {
        WriteBytes(folder / "GCODES.TXT", content);
        LoadTemplates(*program);
    }

    Lines Slot(std::string_view slot) const {
        Lines emitted;
        EmitSlot(*program, slot, emitted);
        return emitted;
    }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    testing::ScriptedToolkit toolkit;
};

TEST_F(TemplatesTest, SlotsEmitTheValuesOfTheirLines) {
    struct Case {
        const char* gcodes;
        const char* slot;
        Lines emitted;
    };
    const Case cases[] = {
        {"LINE012:M03\r\n", "LINE012", {"M03"}},
        {"LINE012:M03\r\n", "LINE011", {}},
        {"LINE012:M03\r\n", "LINE001", {}},
        {"LINE005:\r\n", "LINE005", {}},                             // empty value: the slot name stays
        {"LINE021:LINE022\r\n", "LINE021", {}},                      // a result starting with LINE
        {"LINE001:G90\r\nLINE001:G21\r\n", "LINE001", {"G90", "G21"}},  // file order
        {"LINE002:M05\r\nLINE001:G90\r\n", "LINE001", {"G90"}},
        {"LINE003:(pause:2)\r\n", "LINE003", {"(pause"}},            // the value ends at the next ":"
        {"LINE00:T\r\n", "LINE001", {"T1"}},                         // part of the name replaced
        {"LINE00:T\r\n", "LINE007", {"T7"}},
        {"LINE00:T\r\n", "LINE010", {}},                           // no "LINE00" in "LINE010"
        {"LINE004\r\n", "LINE004", {}},                              // no ":"
        {":M03\r\n", "LINE004", {}},                                 // empty key
        {"LINE004: M05 \r\n", "LINE004", {" M05 "}},                 // not trimmed
        {"LINE004:   \r\n", "LINE004", {}},                          // blank
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.gcodes) + " " + c.slot);
        LoadGcodes(c.gcodes);
        EXPECT_EQ(Slot(c.slot), c.emitted);
    }
}

TEST_F(TemplatesTest, OnlyTheFirstThirtyOfAtMost101LinesAreConsulted) {
    std::string gcodes;
    for (int line = 1; line <= 30; ++line) gcodes += "LINE030:\r\n";
    for (int line = 31; line <= 35; ++line) gcodes += "LINE001:M" + std::to_string(line) + "\r\n";
    LoadGcodes(gcodes);
    EXPECT_EQ(program->templateLines[30], "LINE001:M31");
    EXPECT_EQ(program->templateLines[34], "LINE001:M35");
    EXPECT_EQ(Slot("LINE001"), Lines{});

    gcodes.clear();
    for (int line = 1; line <= 103; ++line) gcodes += "L" + std::to_string(line) + "\r\n";
    LoadGcodes(gcodes);
    ASSERT_EQ(program->templateLines.size(), 101u);
    EXPECT_EQ(program->templateLines[100], "L101");
}

TEST_F(TemplatesTest, ReloadingForgetsLinesTheFileNoLongerHas) {
    LoadGcodes("LINE001:G90\r\nLINE002:M03\r\n");
    ASSERT_EQ(Slot("LINE002"), Lines{"M03"});

    LoadGcodes("LINE001:G90\r\n");
    EXPECT_EQ(Slot("LINE001"), Lines{"G90"});
    EXPECT_EQ(Slot("LINE002"), Lines{});

    fs::remove(folder / "GCODES.TXT");
    LoadTemplates(*program);
    EXPECT_EQ(Slot("LINE001"), Lines{});
    for (const std::string& line : program->templateLines) EXPECT_EQ(line, "");
}

TEST_F(TemplatesTest, MissingTemplateFilesAreCreatedAndExistingOnesKept) {
    std::string defaults;
    for (int slot = 1; slot <= 30; ++slot) defaults += (slot < 10 ? "LINE00" : "LINE0") + std::to_string(slot) + ":\r\n";

    EXPECT_EQ(CreateMissingTemplateFiles(folder.string()), std::nullopt);
    EXPECT_EQ(testing::ReadBytes(folder / "GCODES.TXT"), defaults);
    EXPECT_TRUE(fs::is_regular_file(folder / "0_HEADER.TXT"));
    EXPECT_EQ(fs::file_size(folder / "0_HEADER.TXT"), 0u);
    EXPECT_EQ(fs::file_size(folder / "0_FOOTER.TXT"), 0u);

    WriteBytes(folder / "0_HEADER.TXT", "G90\r\n");
    WriteBytes(folder / "GCODES.TXT", "LINE001:M07");
    fs::remove(folder / "0_FOOTER.TXT");
    EXPECT_EQ(CreateMissingTemplateFiles(folder.string()), std::nullopt);
    EXPECT_EQ(testing::ReadBytes(folder / "0_HEADER.TXT"), "G90\r\n");
    EXPECT_EQ(testing::ReadBytes(folder / "GCODES.TXT"), "LINE001:M07");
    EXPECT_TRUE(fs::is_regular_file(folder / "0_FOOTER.TXT"));
}

TEST_F(TemplatesTest, SetupWindowShowsEachFileWithCrLfAfterEveryLine) {
    WriteBytes(folder / "0_HEADER.TXT", "G90\r\nG21\r\n");
    WriteBytes(folder / "0_FOOTER.TXT", "M05\nM30");  // other line ends, no final one
    Form6 form(*program, toolkit);
    form.Form_Activate();
    EXPECT_EQ(form.Text1, "G90\r\nG21\r\n");
    EXPECT_EQ(form.Text2, "M05\r\nM30\r\n");
    EXPECT_EQ(form.Text3, "");  // GCODES.TXT is missing
}

TEST_F(TemplatesTest, SetupSaveWritesEachBoxAsShownSoSavingAgainChangesNoByte) {
    WriteBytes(folder / "0_HEADER.TXT", "G90\r\nG21\r\n");
    WriteBytes(folder / "0_FOOTER.TXT", "M05\nM30");
    Form6 form(*program, toolkit);
    form.Form_Activate();
    form.Text3 = "LINE001:M07";  // typed without a line end after the last line
    form.Command1_Click();

    const std::pair<const char*, const char*> files[] = {
        {"0_HEADER.TXT", "G90\r\nG21\r\n"}, {"0_FOOTER.TXT", "M05\r\nM30\r\n"}, {"GCODES.TXT", "LINE001:M07\r\n"}};
    for (int save = 0; save < 2; ++save) {
        for (const auto& [file, bytes] : files) EXPECT_EQ(testing::ReadBytes(folder / file), bytes) << file << save;
        form.Form_Activate();
        form.Command1_Click();
    }
    EXPECT_EQ(Slot("LINE001"), Lines{"M07"});
    EXPECT_TRUE(toolkit.Messages().empty());
    EXPECT_FALSE(form.closed);
}

// Template files kept elsewhere (a preset folder, say) and linked into the program's folder stay linked.
TEST_F(TemplatesTest, SetupSaveOntoALinkWritesTheFileItNamesAndKeepsTheLink) {
    fs::create_directory(folder / "preset");
    WriteBytes(folder / "preset" / "header.txt", "G90\r\n");
    fs::create_symlink("preset/header.txt", folder / "0_HEADER.TXT");
    fs::create_symlink("0_HEADER.TXT", folder / "0_FOOTER.TXT");  // a link to a link
    fs::create_symlink("GCODES.TXT", folder / "GCODES.TXT");       // a loop: refused, named
    Form6 form(*program, toolkit);
    form.Form_Activate();
    form.Text1 = "G21\r\n";
    form.Text2 = "M30\r\n";
    form.Command1_Click();

    EXPECT_TRUE(fs::is_symlink(folder / "0_HEADER.TXT"));
    EXPECT_EQ(fs::read_symlink(folder / "0_HEADER.TXT"), "preset/header.txt");
    EXPECT_TRUE(fs::is_symlink(folder / "0_FOOTER.TXT"));
    EXPECT_EQ(testing::ReadBytes(folder / "preset" / "header.txt"), "M30\r\n");  // the footer was saved last
    const Lines messages = toolkit.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find((folder / "GCODES.TXT").string()), std::string::npos) << messages[0];
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "preset"), fs::directory_iterator()), 1);  // no leftovers
}

TEST_F(TemplatesTest, SetupCloseDiscardingSavesNothing) {
    WriteBytes(folder / "0_HEADER.TXT", "G90\r\n");
    Form6 form(*program, toolkit);
    form.Form_Activate();
    form.Text1 = "G91\r\n";
    toolkit.saveAnswers.push_back(SaveChoice::Discard);
    form.Command2_Click();
    EXPECT_TRUE(form.closed);
    EXPECT_EQ(testing::ReadBytes(folder / "0_HEADER.TXT"), "G90\r\n");
    EXPECT_FALSE(fs::exists(folder / "GCODES.TXT"));
}

TEST_F(TemplatesTest, SetupSaveNamesTheFileItCannotWriteAndWritesTheOthers) {
    fs::create_directory(folder / "0_FOOTER.TXT");
    Form6 form(*program, toolkit);
    form.Form_Activate();
    form.Text1 = "G90";
    form.Text2 = "M30";
    form.Text3 = "LINE001:M07";
    form.Command1_Click();

    const Lines messages = toolkit.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find((folder / "0_FOOTER.TXT").string()), std::string::npos) << messages[0];
    EXPECT_TRUE(fs::is_directory(folder / "0_FOOTER.TXT"));
    EXPECT_EQ(testing::ReadBytes(folder / "0_HEADER.TXT"), "G90\r\n");
    EXPECT_EQ(testing::ReadBytes(folder / "GCODES.TXT"), "LINE001:M07\r\n");
    EXPECT_EQ(Slot("LINE001"), Lines{"M07"});
}

}  // namespace
}  // namespace zorvan

namespace zorvan {
namespace {

// What a header says of its controller: words outside comments set the arc centres and outweigh a comment.
TEST(TemplateExpectations, HeaderWordsAndCommentLinesSayHowTheControllerWorks) {
    struct Case {
        std::vector<std::string> header;
        std::optional<ArcCentres> centres, word;
        std::optional<bool> inProgram;
    };
    using enum ArcCentres;
    const Case cases[] = {
        {{"G21", "g90.1"}, Absolute, Absolute, {}},
        {{"(arc centres: relative)", "G21"}, Relative, {}, {}},
        {{"(arc centres: relative)", "G90 G90.1"}, Absolute, Absolute, {}},
        {{"G90.1 (not G91.1 here)", "(compensation: program)"}, Absolute, Absolute, true},
        {{" (compensation: controller) ", "G91.1"}, Relative, Relative, false},
        {{"(millimetres, absolute arc centres)"}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header.front());
        const TemplateExpectations expects = ExpectationsOfHeader(c.header);
        EXPECT_EQ(expects.arcCentres, c.centres);
        EXPECT_EQ(expects.arcCentresWord, c.word);
        EXPECT_EQ(expects.compensationInProgram, c.inProgram);
    }
    EXPECT_EQ(ExpectationsNote(ExpectationsOfHeader({"(arc centres: relative)", "(compensation: program)"})),
              "Arc centres: relative (offsets from each arc's start); compensation: by the program (no G41/G42)");
}

}  // namespace
}  // namespace zorvan
