// The whole preparation after a drawing is read, on the samples (golden part lists) and on every corpus
// drawing that opens; "Calculate Lead Ins" through the main window's logic.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "import/dxf_reader.h"
#include "model/part_entry.h"
#include "model/record_ends.h"
#include "support/corpus.h"
#include "support/golden.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

// One drawing opened in the main window's logic.
struct OpenedDrawing {
    // Reads the drawing and prepares it as a click in the file list does; false when the reader refused it.
    bool OpenAndPrepare(const fs::path& path) {
        if (ReadDxf(*program, path.string()).outcome != DxfReadOutcome::Loaded) return false;
        form.FillContourList();
        form.PrepareParts();
        return true;
    }

    std::string PartListText() const {
        std::string text;
        for (int32_t i = 0; i < form.List2.ListCount(); ++i) text += program->partList[static_cast<size_t>(i)].Text() + "\n";
        return text;
    }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture;
    testing::ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

// Whether the contour ends where it starts, within the ordering tolerance.
bool IsClosed(std::string_view records) {
    const auto r = SplitFields(records, '|');
    if (r.size() < 2) return false;
    const std::string_view first = r.front(), last = r[r.size() - 2];
    return std::fabs(endX(last) - startX(first)) <= 0.001 && std::fabs(endY(last) - startY(first)) <= 0.001;
}

// What every prepared drawing must show: fresh marks with the area, one outside cut, last, running clockwise,
// and every closed inside cut running counter-clockwise.
void ExpectPlanned(const Program& program, const ListBox& List2) {
    const int32_t parts = List2.ListCount();
    ASSERT_GT(parts, 0);
    for (int32_t i = 0; i < parts; ++i) {
        const std::string& entry = program.partList[static_cast<size_t>(i)];
        SCOPED_TRACE(entry.substr(0, 200));
        const PartFields part(entry);
        EXPECT_TRUE(part.marks.starts_with("NOTS NOTD ")) << part.marks;
        EXPECT_TRUE(entry.ends_with(":"));
        EXPECT_EQ(part.Marker(), i == parts - 1 ? "OO" : "II");
        const double area = part.StoredArea();
        if (i == parts - 1) {
            EXPECT_GT(area, 0);
        } else if (IsClosed(part.records) && std::fabs(area) > 1e-9) {
            EXPECT_LT(area, 0);
        }
    }
}

TEST(Preparation, SamplesArePlannedAsTheirGoldenPartLists) {
    for (const char* sample : {"plate_holes_slot", "bracket_lwpolyline", "r12_polyline_plate", "gusset_lf"}) {
        SCOPED_TRACE(sample);
        auto drawing = std::make_unique<OpenedDrawing>();
        ASSERT_TRUE(drawing->OpenAndPrepare(fs::path(ZORVAN_SOURCE_DIR) / "samples" / (std::string(sample) + ".dxf")));
        ExpectPlanned(*drawing->program, drawing->form.List2);
        std::string text = "after the preparation:\n" + drawing->PartListText();
        drawing->form.Command32_Click();
        text += "after Calculate Lead Ins with 0.25:\n" + drawing->PartListText();
        testing::ExpectMatchesGolden(std::string(sample) + ".parts.txt", text);
    }
}

TEST(Preparation, EveryCorpusDrawingThatOpensIsPlanned) {
    int planned = 0;
    for (const fs::path& file : testing::CorpusDrawings()) {
        const fs::directory_entry entry(file);
        SCOPED_TRACE(entry.path().filename().string());
        auto drawing = std::make_unique<OpenedDrawing>();
        if (!drawing->OpenAndPrepare(entry.path()) || drawing->program->store.n < 0) continue;
        ExpectPlanned(*drawing->program, drawing->form.List2);
        ++planned;
    }
    EXPECT_GE(planned, 21);  // of those shipped; more where the fuller corpus lies beside the project
}

class PreparationTest : public ::testing::Test, public OpenedDrawing {};

TEST_F(PreparationTest, EmptyDrawingLeavesEveryListEmptyAndStillRedraws) {
    form.FillContourList();
    form.PrepareParts();
    EXPECT_EQ(form.List11.ListCount(), 0);
    EXPECT_EQ(form.List1.ListCount(), 0);
    EXPECT_EQ(form.List2.ListCount(), 0);
    EXPECT_EQ(picture.Log(), (std::vector<std::string>{"clear", "width 1", "line 0 0 1000 0 #808080",
                                                       "line 0 0 0 1000 #808080"}));
}

TEST_F(PreparationTest, LeadInLengthIsReadFromItsTextBox) {
    ASSERT_EQ(LoadDxfText(*program, "  0\nSECTION\n  2\nENTITIES\n  0\nCIRCLE\n 10\n5\n 20\n5\n 40\n2\n  0\nEOF\n").outcome,
              DxfReadOutcome::Loaded);
    form.FillContourList();
    form.PrepareParts();
    EXPECT_EQ(form.Text6, "0.25");
    form.Text6 = "0.5";
    form.Command32_Click();
    EXPECT_EQ(program->partList[0], "OO 3 5 2.5 5:5 5 0 2 - 3 5 K|:NOTS NOTD 12.566370616");
    EXPECT_EQ(picture.Log().back(), "label 3.06 5.06 #000000 0");  // ends with a redraw: the part's number last
    form.Text6 = "4";  // as long as the circle is wide: refused, the plan stays
    form.Command32_Click();
    EXPECT_EQ(toolkit.Messages(), std::vector<std::string>{"The lead-in length box holds \"4\": the lead-in must be 0 "
                                                           "or more and shorter than the drawing's larger side, 4. "
                                                           "Nothing was changed."});
    EXPECT_EQ(program->partList[0], "OO 3 5 2.5 5:5 5 0 2 - 3 5 K|:NOTS NOTD 12.566370616");
}

}  // namespace
}  // namespace zorvan
