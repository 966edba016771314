// "Save job" and "Open job" in the main window's logic: a plan worked on by the operator comes back whole in a
// fresh window; a damaged job or an unreadable drawing is refused and changes nothing; a changed drawing is said.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gcode/job_file.h"
#include "support/job_session.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testing::Window;

class JobTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("job");
        drawing = (folder / "plate.dxf").string();
        job = (folder / "plate.zjob").string();
        fs::copy_file(fs::path(ZORVAN_SOURCE_DIR) / "samples" / "plate_holes_slot.dxf", drawing);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    std::string drawing, job;
};

class JobModesTest : public JobTest, public ::testing::WithParamInterface<bool> {};

TEST_P(JobModesTest, AnOpenedJobGivesTheSamePlanProgramAndStatusInAFreshWindow) {
    Window first;
    ASSERT_NO_FATAL_FAILURE(testing::PlanAndSave(first, drawing, GetParam(), job));
    EXPECT_EQ(first.toolkit.events.back(), "save " + (folder / "PLATE.zjob").string());
    const std::string saved = " Saved job " + job + ".";
    ASSERT_TRUE(first.form.StatusLine.ends_with(saved)) << first.form.StatusLine;

    Window second;
    second.toolkit.fileAnswers.push_back(job);
    second.form.OpenJob_Click();
    EXPECT_EQ(second.toolkit.events.front(), "open Job |*.zjob");
    EXPECT_EQ(second.toolkit.Messages(), Lines{});
    EXPECT_EQ(second.Parts(), first.Parts());
    EXPECT_EQ(second.form.List2.rows, first.form.List2.rows);
    EXPECT_EQ(second.form.List11.rows, first.form.List11.rows);
    EXPECT_EQ(second.ProgramText(), first.ProgramText());
    EXPECT_EQ(second.form.StatusLine + saved, first.form.StatusLine);
    EXPECT_EQ(second.form.Caption, drawing);
    EXPECT_EQ(second.form.SheetMode, GetParam());
    EXPECT_EQ(second.form.KerfText, "0.5");
    EXPECT_EQ(second.form.Text6, "5");
    EXPECT_EQ(second.program->cutStyle, first.program->cutStyle);
    EXPECT_EQ(second.form.OutlineLeadIn, GetParam() ? LeadInStyle::Arc : LeadInStyle::Line);
    EXPECT_EQ(second.form.OvercutBox, GetParam() ? "1" : "");
    EXPECT_FALSE(second.form.CanUndo());
}

INSTANTIATE_TEST_SUITE_P(DefaultAndSheetMode, JobModesTest, ::testing::Bool());

TEST_F(JobTest, DamagedJobsAndUnreadableDrawingsAreRefusedAndChangeNothingAChangedDrawingIsSaid) {
    Window window;
    window.form.SaveJob_Click();
    EXPECT_EQ(window.toolkit.Messages(), Lines{"No drawing is open, so there is no plan to save as a job."});
    window.toolkit.events.clear();
    ASSERT_NO_FATAL_FAILURE(testing::PlanAndSave(window, drawing, true, job));
    const std::string sound = testing::ReadBytes(job);
    const Lines planned = window.Parts();
    const std::string empty = (folder / "empty.dxf").string(), missing = (folder / "gone.dxf").string();
    std::ofstream(empty, std::ios::binary) << "  0\r\nEOF\r\n";
    fs::copy_file(drawing, folder / "other.dxf");
    window.form.SheetMode = false;
    ASSERT_TRUE(window.form.OpenDrawingFile((folder / "other.dxf").string()));  // the plan a refusal must keep
    const Lines parts = window.Parts();
    const std::string status = window.form.StatusLine, caption = window.form.Caption;

    const auto naming = [&](const std::string& path) { return std::string(sound).replace(sound.find(drawing), drawing.size(), path); };
    const size_t count = sound.find("\r\nparts "), countEnd = sound.find("\r\n", count + 2);
    const std::string refused = "The job " + job + " was not opened: its drawing ";
    const struct {
        std::string bytes, message;
    } cases[] = {
        {testing::ReadBytes(drawing), job + " is not a job file. The job was not opened."},
        {std::string(sound).replace(count, countEnd - count, "\r\nparts 4000000"),
         job + " line 22: the number of parts 4000000 is more than 1001. The job was not opened."},
        {naming(missing), refused + missing + " cannot be read: No such file or directory."},
        {naming(empty), refused + empty + " was refused. The drawing holds no lines"},
    };
    for (const auto& [bytes, message] : cases) {
        std::ofstream(job, std::ios::binary | std::ios::trunc) << bytes;
        window.toolkit.events.clear();
        EXPECT_FALSE(window.form.OpenJobFile(job));
        ASSERT_EQ(window.toolkit.Messages().size(), 1u);
        EXPECT_TRUE(window.toolkit.Messages()[0].starts_with(message)) << window.toolkit.Messages()[0];
        EXPECT_EQ(window.Parts(), parts);
        EXPECT_EQ(window.form.StatusLine, status);
        EXPECT_EQ(window.form.Caption, caption);
        EXPECT_FALSE(window.form.SheetMode);
    }

    std::ofstream(job, std::ios::binary | std::ios::trunc) << sound;
    std::ofstream(drawing, std::ios::binary | std::ios::app) << "999\r\nedited since\r\n";
    window.toolkit.events.clear();
    EXPECT_TRUE(window.form.OpenJobFile(job));
    EXPECT_EQ(window.toolkit.Messages(),
              Lines{"The drawing " + drawing + " has changed since the job was saved; the plan is the one saved in the job."});
    EXPECT_EQ(window.Parts(), planned);
}

}  // namespace
}  // namespace zorvan
