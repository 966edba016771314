// A window of its own for tests of job files, and the operator's work on a drawing that a job must keep.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "draw/recording_surface.h"
#include "gcode/program_writer.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"

namespace zorvan::testing {

struct Window {
    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture{800, 600};
    ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};

    std::vector<std::string> Parts() const {
        return std::vector<std::string>(program->partList.begin(), program->partList.begin() + program->partCount);
    }
    std::string ProgramText() const { return WriteProgramText(*program, program->partCount).text; }
    void Click(double x, double y) {
        form.Picture1_MouseDown(x, y);
        form.Picture1_MouseUp(x, y);
    }
};

// Opens `drawing` (in sheet mode or not), sets a kerf of 0.5 and lead-ins of 5 (in sheet mode arcs for outside
// cuts, with overcuts, lead-outs and small holes), deletes part 1, moves the lead-in of a round hole inside the
// hole, cuts part 2 first, turns the whole by 30 degrees and saves the job as `job`. Callers wrap it in
// ASSERT_NO_FATAL_FAILURE.
inline void PlanAndSave(Window& window, const std::string& drawing, bool sheet, const std::string& job) {
    Form1& form = window.form;
    Program& program = *window.program;
    form.SheetMode = sheet;
    ASSERT_TRUE(form.OpenDrawingFile(drawing));
    form.KerfText = "0.5";
    form.KerfInProgram = sheet;  // the program's own allowance for the kerf travels with the job too
    form.Text6 = "5";
    // The cut quality travels with a job of sheet mode; the default mode keeps its lead-ins of lines.
    form.OutlineLeadIn = LeadInStyle::Arc;
    form.OvercutBox = "1";
    form.LeadOut = LeadOutStyle::Arc;
    form.SmallHolesBox = "20";
    form.SmallHoleFeedBox = "60%";
    form.Command32_Click();
    form.OptionOn = Tool::Delete;
    const auto start = SplitFields(PartFields(program.partList[1]).header);
    window.Click(LenientParse(FieldAt(start, 1)), LenientParse(FieldAt(start, 2)));
    ASSERT_TRUE(PartFields(program.partList[1]).IsDeleted());
    const auto round = std::find_if(program.partList.begin(), program.partList.begin() + program.partCount,
                                    [](const PartEntry& part) {
                                        return part.Records().front().IsCircle() && !PartFields(part).IsDeleted();
                                    });
    ASSERT_NE(round - program.partList.begin(), program.partCount) << "no round hole";
    const std::string before = round->Text();
    const CircleValues hole = round->Records().front().Circle();
    form.OptionOn = Tool::MoveLeadIn;  // picked within the pick distance of the circle, inside it
    window.Click(hole.sx + (hole.cx - hole.sx) * 0.15, hole.sy + (hole.cy - hole.sy) * 0.15);
    ASSERT_NE(round->Text(), before);
    ASSERT_TRUE(form.SavePath("2|0|"));  // two holes swapped, the rest in their planned order
    form.Text4 = "30";
    form.Command25_Click();
    window.toolkit.fileAnswers.push_back(job);
    form.SaveJob_Click();
    ASSERT_EQ(window.toolkit.Messages(), std::vector<std::string>{});
}

}  // namespace zorvan::testing
