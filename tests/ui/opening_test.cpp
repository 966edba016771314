// Opening a drawing: the path checks, "OPEN", the "Files" tab (drives, folders, drawings), start-up and closing.
#include "import/opening.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>

#include "geometry/area.h"
#include "import/dxf_reader.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "support/dxf_text.h"
#include "support/part_list.h"
#include "support/scripted_toolkit.h"
#include "support/temp_folder.h"
#include "ui/file_browser.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kSamples = fs::path(ZORVAN_SOURCE_DIR) / "samples";

template <typename Row>
Lines Rows(const std::vector<Row>& table, int32_t count) {
    Lines rows;
    for (int32_t i = 0; i < count; ++i) rows.emplace_back(static_cast<const std::string&>(table[static_cast<size_t>(i)]));
    return rows;
}

TEST(OpeningPath, DoubledBackslashesBecomeOneAndTheEndingIsJudgedBeforeBlanks) {
    EXPECT_EQ(NormalisePath("c:\\\\drawings\\\\part.dxf"), "c:\\drawings\\part.dxf");
    EXPECT_EQ(NormalisePath("c:\\drawings\\part.dxf"), "c:\\drawings\\part.dxf");
    EXPECT_EQ(NormalisePath("a\\\\\\\\b"), "a\\\\b");  // pairs are taken left to right
    EXPECT_EQ(NormalisePath(""), "");
    for (const char* good : {"PART.Dxf", "part.dxf", "part.dxf ", "part.DXF   ", ".dxf", "a.b.dxf"}) {
        EXPECT_TRUE(IsDxfPath(good)) << '"' << good << '"';
    }
    for (const char* bad : {"dxf", "", "    ", "part.dx", "part.dxf.bak", "partdxf", "part.txt ", "part .dxf_"}) {
        EXPECT_FALSE(IsDxfPath(bad)) << '"' << bad << '"';
    }
}

class OpeningTest : public ::testing::Test {
protected:
    void SetUp() override { folder = testing::FreshTestFolder("opening"); }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << text;
        return (folder / name).string();
    }
    // A click on `name` in the file list of the test folder, whether or not the listing would show it.
    void ClickFile(const std::string& name) {
        form.Dir1Path = folder.string();
        form.File1.rows = {name};
        form.File1.selected = 0;
        form.File1_Click();
    }
    long Clears() const { return std::count(picture.Log().begin(), picture.Log().end(), "clear"); }

    // Everything a refused drawing must leave alone, and that every way of opening a drawing sets alike.
    static auto StateOf(const Form1& form, const Program& program, const RecordingSurface& picture) {
        return std::make_tuple(form.List11.rows, Rows(program.contourList, form.List11.ListCount()), form.List2.rows,
                               Rows(program.partList, form.List2.ListCount()), picture.Log(), form.Caption,
                               program.openedDrawingPath, program.contourChain);
    }
    auto State() const { return StateOf(form, *program, picture); }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture;
    testing::ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

TEST_F(OpeningTest, LoadDrawingNormalisesThePathInPlaceAndRefusesOtherNames) {
    std::string path = "c:\\\\drawings\\\\notes.txt", tooShort = "dxf", missing = (folder / "no.dxf").string();
    EXPECT_FALSE(form.LoadDrawing(path));
    EXPECT_EQ(path, "c:\\drawings\\notes.txt");
    EXPECT_FALSE(form.LoadDrawing(tooShort));
    EXPECT_FALSE(form.LoadDrawing(missing));  // the caller reports that one
    EXPECT_EQ(toolkit.Messages(), (Lines{"Not a DXF file", "Not a DXF file"}));
    EXPECT_TRUE(picture.Log().empty());

    toolkit.events.clear();
    std::string sample = Write("slope.dxf", testing::DxfText().Line(-1, 2, 3, 4).Line(3, 4, 5, 6).Build());
    EXPECT_TRUE(form.LoadDrawing(sample));
    // The extents (-1, 2)-(5, 6) with 10 % margin, the height following the 800 x 600 surface.
    EXPECT_EQ(picture.Log(), Lines{"scale -1.6 6.4 5.6 1"});
    EXPECT_EQ(DefaultNumber(program->viewBottom), "1");
    EXPECT_EQ(toolkit.events, (Lines{"busy on", "busy off"}));

    sample = (kSamples / "gusset_lf.dxf").string();
    EXPECT_TRUE(form.LoadDrawing(sample));
    EXPECT_EQ(program->contourChain, "0|2|1|:3|:");
}

TEST_F(OpeningTest, OpenRefusesWhatCannotBeOpenedOrIsNotADrawing) {
    fs::create_directory(folder / "folder.dxf");
    const std::string missing = (folder / "missing.dxf").string(), folderPath = (folder / "folder.dxf").string();
    const std::string pipe = (folder / "pipe.dxf").string(), huge = Write("huge.dxf", "");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::resize_file(huge, std::uintmax_t{300} << 20);
    const std::pair<std::string, std::string> refusals[] = {
        {missing, "message Cannot open " + missing + ": No such file or directory."},
        {folderPath, "message Cannot open " + folderPath + ": it is a folder."},
        {pipe, "message Cannot open " + pipe + ": it is a named pipe, not a file."},
        {huge, "message The drawing is too large: it holds 300 MB, more than 256 MB. It was not loaded; the previous "
               "drawing is kept."},
        {Write("notes.txt", testing::DxfText().Line(0, 0, 1, 0).Build()), "message Not a DXF file"}};
    form.List11.AddItem("9|");
    for (const auto& [path, event] : refusals) {
        toolkit.events.clear();
        form.Text1 = path;
        form.Command1_Click();
        EXPECT_EQ(toolkit.events, Lines{event}) << path;
        EXPECT_EQ(form.List11.rows, Lines{"9|"});
        EXPECT_TRUE(picture.Log().empty());
    }
}

// A path put in the path box by "Choose File" (or typed) opens with OPEN as a click in the file list opens it.
TEST_F(OpeningTest, OpenPlansRedrawsAndNamesTheDrawingAsTheFileListDoes) {
    testing::SetParts(*program, form.List2, {"OO 0 0 0 0:0 0 0 1 0 0 D|:SEL NOTD 0:"});
    program->openedDrawingPath = "/earlier/plate.dxf";
    toolkit.fileAnswers.push_back((kSamples / "gusset_lf.dxf").string());
    form.Command3_Click();
    form.Command1_Click();

    auto fresh = std::make_unique<Program>();
    RecordingSurface surface;
    Form1 fileList(*fresh, toolkit, surface);
    fileList.Dir1Path = kSamples.string();
    fileList.File1.rows = {"gusset_lf.dxf"};
    fileList.File1.selected = 0;
    fileList.File1_Click();
    EXPECT_EQ(State(), StateOf(fileList, *fresh, surface));
    EXPECT_EQ(toolkit.Messages(), Lines{});
}

TEST_F(OpeningTest, FileListClickOpensPreparesAndNamesTheDrawing) {
    ASSERT_TRUE(form.SetDir1Path(kSamples.string()));
    ASSERT_EQ(form.File1.rows,
              (Lines{"bracket_lwpolyline.dxf", "gusset_lf.dxf", "plate_holes_slot.dxf", "r12_polyline_plate.dxf",
                     "sheet_brackets_inch.dxf"}));
    form.File1.selected = 1;
    form.File1_Click();

    const std::string path = (kSamples / "gusset_lf.dxf").string();
    EXPECT_EQ(form.Text1, path);
    EXPECT_EQ(form.Caption, path);
    EXPECT_EQ(program->openedDrawingPath, path);
    EXPECT_EQ(form.List11.rows, (Lines{"0|2|1|", "3|"}));
    ASSERT_EQ(form.List2.ListCount(), 2);
    // The triangle, found first, is the largest: moved last as the one outside cut, clockwise.
    const PartFields hole(program->partList[0]), outline(program->partList[1]);
    EXPECT_EQ(hole.Marker(), "II");
    EXPECT_EQ(outline.Marker(), "OO");
    EXPECT_NEAR(outline.StoredArea(), 1800, 1e-6);
    EXPECT_LT(hole.StoredArea(), 0);
    for (const PartFields& part : {hole, outline}) {
        EXPECT_EQ(part.marks, "NOTS NOTD " + DefaultNumber(CalcArea(program->PI, part.records)));
    }
    EXPECT_EQ(Clears(), 1);
}

TEST_F(OpeningTest, RefusedDrawingFromTheFileListOrOpenChangesOnlyThePathBox) {
    fs::copy_file(kSamples / "gusset_lf.dxf", folder / "gusset.dxf");
    ClickFile("gusset.dxf");
    ASSERT_EQ(form.List2.ListCount(), 2);
    // The operator's work so far: a part selected, the contours reordered but not saved.
    program->partList[0] = ReplaceAll(program->partList[0], "NOTS", "SEL");
    form.List11.selected = 1;
    form.Command6_Click();

    Write("notes.txt", "0\nEOF\n");
    Write("spline.dxf", testing::DxfText().Line(0, 0, 1, 0).Pair("0", "SPLINE").Pair("8", "0").Build());
    testing::DxfText circles;
    for (int i = 0; i < kMaxContours + 1; ++i) circles.Circle(10.0 * i, 0, 1);
    Write("huge.dxf", circles.Build());
    const std::pair<std::string, std::string> refusals[] = {
        {"gone.dxf", "message Cannot open " + (folder / "gone.dxf").string() + ": No such file or directory."},
        {"notes.txt", "message Not a DXF file"},
        {"spline.dxf", "message " + std::string(kSplineMessage)},
        {"huge.dxf", "message " + TableLimitMessage(TableLimit::Contours)}};
    for (const auto& [file, event] : refusals) {
        SCOPED_TRACE(file);
        const auto before = State();
        toolkit.events.clear();
        toolkit.saveAnswers.assign(2, SaveChoice::Discard);  // the plan was changed: dropped, if it comes to that
        ClickFile(file);
        EXPECT_EQ(State(), before);
        EXPECT_EQ(form.Text1, (folder / file).string());
        form.Command1_Click();  // OPEN refuses it the same way
        EXPECT_EQ(State(), before);
        EXPECT_EQ(std::count(toolkit.events.begin(), toolkit.events.end(), event), 2)
            << ::testing::PrintToString(toolkit.events);
    }
}

TEST_F(OpeningTest, ChooseFileFillsThePathBoxWithoutOpening) {
    form.Text1 = "/before.dxf";
    form.Command3_Click();  // cancelled
    EXPECT_EQ(form.Text1, "/before.dxf");
    toolkit.fileAnswers.push_back((kSamples / "gusset_lf.dxf").string());
    form.Command3_Click();
    EXPECT_EQ(form.Text1, (kSamples / "gusset_lf.dxf").string());
    EXPECT_EQ(toolkit.events, (Lines{"open DXF |*.DXF", "open DXF |*.DXF"}));
    EXPECT_TRUE(form.List11.rows.empty());
    EXPECT_TRUE(picture.Log().empty());
}

TEST_F(OpeningTest, FolderListShowsSubFoldersAndFileListShowsDrawingsOnly) {
    for (const char* sub : {"zeta", "alpha", ".hidden", "sub.dxf"}) fs::create_directory(folder / sub);
    for (const char* file : {"b.DXF", "a.dxf", "c.Dxf", "notes.txt", "d.dxf.bak", "e.dxf ", "alpha/in.dxf"}) {
        Write(file, "");
    }
    ASSERT_TRUE(form.SetDir1Path(folder.string()));
    EXPECT_EQ(form.Dir1.rows, (Lines{"..", "alpha", "sub.dxf", "zeta"}));
    EXPECT_EQ(form.File1Path, folder.string());
    EXPECT_EQ(form.File1.rows, (Lines{"a.dxf", "b.DXF", "c.Dxf"}));

    form.Dir1_Open(1);
    EXPECT_EQ(form.Dir1Path, (folder / "alpha").string());
    EXPECT_EQ(form.Dir1.rows, Lines{".."});
    EXPECT_EQ(form.File1.rows, Lines{"in.dxf"});
    form.Dir1_Open(0);
    form.Dir1_Open(9);  // no such row
    EXPECT_EQ(form.Dir1Path, folder.string());
    EXPECT_EQ(form.File1.ListCount(), 3);

    ASSERT_TRUE(form.SetDir1Path("/"));
    ASSERT_FALSE(form.Dir1.rows.empty());
    EXPECT_NE(form.Dir1.rows.front(), "..");
    EXPECT_TRUE(toolkit.events.empty());

    // A folder given relative to the working folder still leads up.
    EXPECT_EQ(fs::path(ParentFolder(".")), fs::current_path().parent_path());
}

TEST_F(OpeningTest, UnreadableDriveOrFolderKeepsTheListsAndSaysSo) {
    fs::create_directory(folder / "gone");
    ASSERT_TRUE(form.SetDir1Path(folder.string()));
    const Lines dirRows = form.Dir1.rows;
    fs::remove(folder / "gone");
    form.Dir1_Open(1);  // listed, then removed
    form.Drive1 = (folder / "no drive").string();
    form.Drive1_Change();
    EXPECT_EQ(toolkit.events, (Lines{"message Error reading file!", "message Error reading file!"}));
    EXPECT_EQ(form.Dir1Path, folder.string());
    EXPECT_EQ(form.Dir1.rows, dirRows);
    form.Drive1 = kSamples.string();
    form.Drive1_Change();
    EXPECT_EQ(form.File1.ListCount(), 5);
    EXPECT_EQ(toolkit.events.size(), 2u);
}

TEST_F(OpeningTest, StartUpMakesTheMissingTemplatesAndShowsTheStartFolder) {
    fs::create_directory(folder / "program");
    program->templateFolder = (folder / "program").string();
    program->PI = 3;
    form.SSTab1Tab = Tab::CuttingOrder;
    form.Form_Load(kSamples.string());

    EXPECT_EQ(program->PI, 3.141592654);
    EXPECT_EQ(form.SSTab1Tab, Tab::Files);
    EXPECT_EQ(form.Dir1Path, kSamples.string());
    EXPECT_EQ(form.File1.ListCount(), 5);
    std::string slots;
    for (int slot = 1; slot <= 30; ++slot) slots += (slot < 10 ? "LINE00" : "LINE0") + std::to_string(slot) + ":\r\n";
    EXPECT_EQ(testing::ReadBytes(folder / "program" / "GCODES.TXT"), slots);
    EXPECT_TRUE(fs::exists(folder / "program" / "0_HEADER.TXT") && fs::exists(folder / "program" / "0_FOOTER.TXT"));
    EXPECT_EQ(program->templateLineCount, 30);
    EXPECT_EQ(program->templateLines[29], "LINE030:");
    EXPECT_TRUE(toolkit.events.empty());

    form.Command30_Click();
    EXPECT_EQ(form.Dir1Path, program->templateFolder);
}

TEST_F(OpeningTest, StartUpKeepsTheOperatorsTemplatesAndClosingShowsAbout) {
    program->templateFolder = folder.string();
    Write("GCODES.TXT", "LINE001:M03\r\n");
    form.Form_Load((folder / "no folder").string());
    EXPECT_EQ(testing::ReadBytes(folder / "GCODES.TXT"), "LINE001:M03\r\n");
    EXPECT_EQ(program->templateLines[0], "LINE001:M03");
    EXPECT_EQ(form.Dir1Path, "");  // the start folder cannot be listed: nothing shown, nothing said
    EXPECT_TRUE(toolkit.events.empty());

    form.Form_QueryUnload();
    EXPECT_EQ(toolkit.events, Lines{"show About"});
}

}  // namespace
}  // namespace zorvan
