// "G CODE" in the main window and the G-code window: listing, REFRESH, SAVE, the marked move, proposed names.
#include "ui/form4.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "gcode/program_writer.h"
#include "support/temp_folder.h"
#include "support/scripted_toolkit.h"
#include "ui/file_names.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"
#include "draw/view.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Caps the size of every file the process writes, so that any save fails part way even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

class GcodeWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("gcode_window");
        program->templateFolder = folder.string();
        program->openedDrawingPath = "/home/ann/parts/plate.dxf";
        program->partList[0] = "II 2 5 2.25 5:4 5 0 2 + 2 5 K|:NOTS NOTD -12.566370614:";
        program->partList[1] = "OO 0 0 -0.25 0:0 0 0 0 10 0 D|0 10 0 0 0 0 D|:NOTS NOTD 0:";
        std::ofstream(folder / "0_HEADER.TXT", std::ios::binary) << "G90\r\n";
    }
    void TearDown() override { fs::remove_all(folder); }

    Lines ExpectedProgram(int32_t cutCount = 2) const {
        Lines listing;
        WriteProgram(*program, cutCount, listing);
        return listing;
    }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    testing::ScriptedToolkit toolkit;
    RecordingSurface picture;
    Form4 form{*program, toolkit, picture, 2};
};

TEST_F(GcodeWindowTest, GcodeOpensTheWindowForAtMostOneOutsideCut) {
    struct Case {
        Lines entries;
        bool opens;
        std::string refusal;
    };
    const Case cases[] = {
        {{}, false, "Nothing to cut: no drawing is planned. Open a drawing first; no program was written."},
        {{"II 0 0 0 0:x|:NOTS DEL 0:"}, false, "Nothing to cut: every part is deleted. Undelete a part first; no program was written."},
        {{"II 0 0 0 0:x|:", "II 0 0 0 0:x|:"}, true, ""},
        {{"II 0 0 0 0:x|:", "OO 0 0 0 0:x|:"}, true, ""},
        {{"OO 0 0 0 0:x|:", "II 0 0 0 0:x|:", "OO 0 0 0 0:x|:"}, false, "you can have just one outside cut!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries.size());
        auto mainProgram = std::make_unique<Program>();
        testing::ScriptedToolkit mainToolkit;
        Form1 mainForm(*mainProgram, mainToolkit, picture);
        for (size_t i = 0; i < c.entries.size(); ++i) {
            mainProgram->partList[i] = c.entries[i];
            mainForm.List2.AddItem(c.entries[i]);
        }
        mainProgram->partCount = static_cast<int32_t>(c.entries.size());
        mainForm.Command17_Click();
        if (c.opens) {
            EXPECT_EQ(mainToolkit.events, Lines{"show GCode"});
            EXPECT_EQ(mainForm.cutCount, static_cast<int32_t>(c.entries.size()));
        } else {
            EXPECT_EQ(mainToolkit.events, Lines{"message " + c.refusal});
        }
    }
}

TEST_F(GcodeWindowTest, ActivationNamesTheOutputAndListsTheProgramRefreshWritesItAgainInItsPlace) {
    form.Form_Activate();
    EXPECT_EQ(form.Label1, "/home/ann/parts/PLATE.NC");
    const Lines once = ExpectedProgram();
    ASSERT_GT(once.size(), 10u);
    EXPECT_EQ(once[1], "G90");
    EXPECT_EQ(form.List1.rows, once);

    std::ofstream(folder / "0_HEADER.TXT", std::ios::binary) << "G91\r\n";
    form.Command1_Click();
    form.Command1_Click();
    EXPECT_EQ(form.List1.rows, ExpectedProgram());
    EXPECT_EQ(form.List1.rows[1], "G91");
    EXPECT_EQ(form.List1.rows.size(), once.size());
}

// A part deleted on the picture is shown grey but not cut: the listing and the part file leave it out, and
// say how many were left out; undeleting brings it back.
TEST_F(GcodeWindowTest, DeletedPartsAreLeftOutOfTheListingAndThePartFileUntilUndeleted) {
    Form1 main(*program, toolkit, picture);
    program->partList[2] = "II 20 0 20 0:20 0 0 21 0 0 D|:NOTS NOTD 0:";
    program->partCount = 3;
    program->viewLeft = 0, program->viewRight = 80;  // a click picks within 1.2 of a contour
    main.OptionOn = Tool::Delete;
    main.Picture1_MouseUp(2, 5);   // on part 0's circle
    main.Picture1_MouseUp(20, 0.5);  // by part 2's line
    main.Command17_Click();
    ASSERT_EQ(main.cutCount, 3);
    Form4 window(*program, toolkit, picture, main.cutCount);
    window.Form_Activate();
    const Lines& rows = window.List1.rows;
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[0], "(2 deleted parts left out of this program)");
    EXPECT_EQ(rows[1], kProgramComment);
    const auto parts = [&rows] {
        return std::count_if(rows.begin(), rows.end(), [](const std::string& row) { return row.starts_with("(---"); });
    };
    EXPECT_EQ(parts(), 1);
    EXPECT_NE(std::find(rows.begin(), rows.end(), "(------------------- 1 ------------------------)"), rows.end());
    toolkit.fileAnswers.push_back((folder / "plate.par").string());
    main.Command29_Click();  // SAVE PART
    EXPECT_EQ(testing::ReadBytes(folder / "plate.par"), "OO 0 0 -0.25 0:0 0 0 0 10 0 D|0 10 0 0 0 0 D|#\r\n");

    main.OptionOn = Tool::Undelete;
    main.Picture1_MouseUp(2, 5);
    window.Command1_Click();
    EXPECT_EQ(rows[0], "(1 deleted part left out of this program)");
    EXPECT_EQ(parts(), 2);
    main.Picture1_MouseUp(20, 0.5);
    window.Command1_Click();
    EXPECT_EQ(rows, ExpectedProgram(3));
    EXPECT_EQ(rows[0], kProgramComment);
}

TEST_F(GcodeWindowTest, SaveWritesEveryRowWithCrLf) {
    form.Form_Activate();
    const fs::path target = folder / "out.nc";
    toolkit.fileAnswers.push_back(target.string());
    form.Command2_Click();

    std::string expected;
    for (const std::string& row : ExpectedProgram()) expected += row + "\r\n";
    EXPECT_EQ(testing::ReadBytes(target), expected);
    EXPECT_EQ(toolkit.events, Lines{"save /home/ann/parts/PLATE.nc"});
}

TEST_F(GcodeWindowTest, CancelledSaveWritesAndSaysNothing) {
    form.Form_Activate();
    form.Command2_Click();
    EXPECT_EQ(toolkit.events, Lines{"save /home/ann/parts/PLATE.nc"});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);  // 0_HEADER.TXT
}

TEST_F(GcodeWindowTest, FailedSaveNamesTheFileOnce) {
    form.Form_Activate();
    fs::create_directory(folder / "dir.nc");
    for (const fs::path& target : {folder / "dir.nc", folder / "missing" / "x.nc"}) {
        SCOPED_TRACE(target);
        toolkit.events.clear();
        toolkit.fileAnswers.push_back(target.string());
        form.Command2_Click();
        const Lines messages = toolkit.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(target.string()), std::string::npos) << messages[0];
    }
    EXPECT_TRUE(fs::is_directory(folder / "dir.nc"));
    EXPECT_TRUE(fs::is_empty(folder / "dir.nc"));
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(GcodeWindowTest, SaveThatFailsPartWayLeavesTheOldFileByteForByte) {
    form.Form_Activate();
    const fs::path target = folder / "old.nc";
    std::ofstream(target, std::ios::binary) << "OLD PROGRAM\r\n";
    toolkit.fileAnswers.push_back(target.string());
    {
        FileSizeLimit limit(4);
        form.Command2_Click();
    }
    EXPECT_EQ(toolkit.Messages().size(), 1u);
    EXPECT_EQ(testing::ReadBytes(target), "OLD PROGRAM\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);  // no leftovers
}

TEST_F(GcodeWindowTest, ClickingAMoveMarksItsPointAfterTheRedraw) {
    RecordingSurface reference;
    RedrawView(*program, 2, reference, kBlue);
    const Lines redraw = reference.Log();
    ASSERT_FALSE(redraw.empty());
    form.List1.rows = {"G90", "G0 X 1 Y 2"};

    form.List1.selected = 1;
    form.List1_Click();
    Lines marked = redraw;
    marked.insert(marked.end(), {"width 5", "dot 1 2 #00FF00", "width 1"});
    EXPECT_EQ(picture.Log(), marked);

    for (const int32_t selected : {0, -1, 2}) {
        SCOPED_TRACE(selected);
        picture.ClearLog();
        form.List1.selected = selected;
        form.List1_Click();
        EXPECT_EQ(picture.Log(), redraw);
    }
}

TEST(ProposedName, UpperCasedNameWithTheNewEnding) {
    EXPECT_EQ(ProposedName("/home/ann/parts/plate.dxf", ".NC"), "/home/ann/parts/PLATE.NC");
    EXPECT_EQ(ProposedName("c:\\parts\\plate.dxf", ".nc"), "c:\\parts\\PLATE.nc");
    EXPECT_EQ(ProposedName("bracket.dxf", ".PAR"), "BRACKET.PAR");
    EXPECT_EQ(ProposedName("/x/Plate.Dxf", ".nc"), "/x/PLATE.nc");
    EXPECT_EQ(ProposedName("/Mixed/Case/plate.dwg", ".nc"), "/Mixed/Case/PLATE.DWG");
    EXPECT_EQ(ProposedName("/x/plate.dxf.bak", ".nc"), "/x/PLATE.DXF.BAK");
    EXPECT_EQ(ProposedName("", ".nc"), "");
}

}  // namespace
}  // namespace zorvan
