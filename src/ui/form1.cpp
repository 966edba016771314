// The main window's commands.
#include "ui/form1.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "gcode/templates.h"

#include "geometry/transforms.h"
#include "import/part_entries.h"
#include "planning/preparation.h"
#include "model/number_text.h"
#include "planning/lead_ins.h"
#include "model/text_file.h"
#include "ui/file_names.h"
#include "gcode/part_file.h"
#include "draw/view.h"
#include "gcode/job_summary.h"
#include "gcode/program_units.h"
#include "planning/kerf_check.h"
#include "planning/scrap_lead_ins.h"
#include "planning/sheet_plan.h"
#include "ui/part_rows.h"
#include "gcode/program_writer.h"
#include "ui/plan_keeping.h"

namespace zorvan {

namespace {

const std::string kContourSeparatorRow(24, '=');

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string_view Trimmed(std::string_view text) {
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(' ')));
    text.remove_suffix(text.size() - (text.find_last_not_of(' ') + 1));
    return text;
}

// The cut-quality boxes that hold text, and what each takes; a blank box takes its default.
enum class BoxRule { ZeroOrMore, AboveZero, Feed };
struct CutQualityBox {
    std::string Form1::*text;
    const char* name;
    BoxRule rule;
};
constexpr CutQualityBox kCutQualityBoxes[] = {
    {&Form1::ArcRadiusBox, "arc radius", BoxRule::ZeroOrMore},
    {&Form1::OvercutBox, "overcut", BoxRule::ZeroOrMore},
    {&Form1::LeadOutLengthBox, "lead-out length", BoxRule::AboveZero},
    {&Form1::SmallHolesBox, "small-hole diameter", BoxRule::ZeroOrMore},
    {&Form1::SmallHoleFeedBox, "small-hole feed", BoxRule::Feed},
};

}  // namespace

std::optional<double> Form1::BoxNumber(std::string_view box, const std::string& text) {
    const std::optional<double> value = ParseWholeNumber(text);
    if (!value) {
        toolkit_.ShowMessage("The " + std::string(box) + " box holds " + Quoted(text) +
                             ", which is not a number. Nothing was changed.");
    }
    return value;
}

std::optional<double> Form1::LeadInLength() {
    const std::optional<double> length = BoxNumber("lead-in length", Text6);
    if (!length || LeadInSuits(program_, *length)) return length;
    const std::optional<double> side = LargerSideOfDrawing(program_);
    toolkit_.ShowMessage("The lead-in length box holds " + Quoted(Text6) + ": the lead-in must be 0 or more" +
                         (side ? " and shorter than the drawing's larger side, " + DefaultNumber(*side) : "") +
                         ". Nothing was changed.");
    return std::nullopt;
}

bool Form1::TakeKerf() {
    program_.kerfInProgram = KerfInProgram;
    if (KerfText.find_first_not_of(' ') == std::string::npos) {
        program_.kerf = 0;
        return true;
    }
    const std::optional<double> kerf = BoxNumber("kerf", KerfText);
    if (!kerf) return false;
    if (!(*kerf >= 0)) {
        toolkit_.ShowMessage("The kerf box holds " + Quoted(KerfText) + ": the kerf must be 0 or more. Nothing was changed.");
        return false;
    }
    program_.kerf = *kerf;
    return true;
}

std::string Form1::CutQualityRefusal(std::string Form1::*box) const {
    const auto* entry = std::find_if(std::begin(kCutQualityBoxes), std::end(kCutQualityBoxes),
                                     [box](const CutQualityBox& known) { return known.text == box; });
    const std::string& text = this->*box;
    if (entry == std::end(kCutQualityBoxes) || Blank(text)) return {};
    const std::string holds = "The " + std::string(entry->name) + " box holds " + Quoted(text);
    if (entry->rule == BoxRule::Feed) {
        if (ParseSmallHoleFeed(Trimmed(text))) return {};
        return holds + ": the small holes' feed is a share of the cutting feed, above 0% and up to 100% (such as "
                       "60%), or an F value above 0 (such as 900).";
    }
    const std::optional<double> value = ParseWholeNumber(text);
    if (!value) return holds + ", which is not a number.";
    if (!std::isfinite(*value) || *value < 0 || (entry->rule == BoxRule::AboveZero && *value == 0)) {
        return holds + ": the " + entry->name +
               (entry->rule == BoxRule::AboveZero ? " must be above 0 (empty: the lead-in's length)." : " must be 0 or more.");
    }
    return {};
}

std::optional<CutStyle> Form1::CutStyleToUse(double leadIn) {
    if (!SheetPlanning()) {
        CutStyle style;
        style.feed = TemplateFeed(program_);
        return style;
    }
    return CutStyleOfBoxes(leadIn);
}

std::optional<CutStyle> Form1::CutStyleOfBoxes(double leadIn) {
    CutStyle style;
    style.feed = TemplateFeed(program_);
    for (const CutQualityBox& box : kCutQualityBoxes) {
        if (const std::string refusal = CutQualityRefusal(box.text); !refusal.empty()) {
            toolkit_.ShowMessage(refusal + " Nothing was changed.");
            return std::nullopt;
        }
    }
    const auto number = [](const std::string& text, double blank) { return Blank(text) ? blank : *ParseWholeNumber(text); };
    style.outline = OutlineLeadIn;
    style.hole = HoleLeadIn;
    style.arcRadius = number(ArcRadiusBox, 0);
    style.overcut = number(OvercutBox, 0);
    style.leadOut = LeadOut;
    style.leadOutLength = number(LeadOutLengthBox, leadIn);
    style.smallHoleDiameter = number(SmallHolesBox, 0);
    if (!Blank(SmallHoleFeedBox)) {
        const SmallHoleFeed feed = *ParseSmallHoleFeed(Trimmed(SmallHoleFeedBox));
        style.smallHoleFeed = feed.value;
        style.smallHoleFeedIsShare = feed.share;
    }
    return style;
}

std::optional<SheetCutting> Form1::SheetCuttingFromBoxes() {
    SheetCutting cutting;
    const std::optional<double> leadIn = BoxNumber("lead-in length", Text6);
    if (!leadIn) return std::nullopt;
    if (!(*leadIn >= 0) || !std::isfinite(*leadIn)) {
        toolkit_.ShowMessage("The lead-in length box holds " + Quoted(Text6) + ": the lead-in must be 0 or more. Nothing was changed.");
        return std::nullopt;
    }
    cutting.leadIn = Text6;
    if (!Blank(KerfText)) {
        const std::optional<double> kerf = BoxNumber("kerf", KerfText);
        if (!kerf) return std::nullopt;
        if (!(*kerf >= 0) || !std::isfinite(*kerf)) {
            toolkit_.ShowMessage("The kerf box holds " + Quoted(KerfText) + ": the kerf must be 0 or more. Nothing was changed.");
            return std::nullopt;
        }
        cutting.kerf = *kerf;
    }
    cutting.kerfInProgram = KerfInProgram;
    const std::optional<CutStyle> style = CutStyleOfBoxes(*leadIn);
    if (!style) return std::nullopt;
    cutting.style = *style;
    return cutting;
}

void Form1::CutQuality_Change() {
    for (const CutQualityBox& box : kCutQualityBoxes) {
        if (const std::string refusal = CutQualityRefusal(box.text); !refusal.empty()) {
            StatusLine = refusal + " Nothing was changed.";
            return;
        }
    }
    StatusLine = SheetPlanning() ? "Cut quality changed: \"Calculate Lead Ins\" works the lead-ins out with it."
                                 : "Cut quality changed: it applies to drawings opened in sheet mode.";
}

void Form1::FillContourList() {
    zorvan::FillContourList(program_);
    List11.Clear();
    for (int32_t i = 0; i < program_.contourCount; ++i) List11.AddItem(program_.contourList[static_cast<size_t>(i)]);
}

void Form1::ListContourRecords() {
    List1.Clear();
    for (int32_t i = 0; i < program_.contourCount && i < kMaxContours; ++i) {
        for (const int32_t number : ContourRecordNumbers(program_.contourList[static_cast<size_t>(i)])) {
            List1.AddItem(RecordRow(program_.store.GetDATA(number)));
        }
        List1.AddItem(kContourSeparatorRow);
    }
}

void Form1::ComputePartAreas() { zorvan::ComputePartAreas(program_); }

void Form1::PrepareParts() {
    PlanDrawing();
    ListContourRecords();
    List2.Clear();
    Redraw();
    ShowPlanStatus();
}

void Form1::PlanDrawing() {
    TakeKerf();
    unclearLeadIns_.clear();
    if (SheetPlanning()) {
        PlanSheet(program_);
        // Pierced on their cut lines, the parts would be spoiled: lead-ins of the box's length, or none where
        // it does not suit the drawing (the status line then names the parts pierced on their contour).
        const double length = ParseWholeNumber(Text6).value_or(0);
        const double leadIn = LeadInSuits(program_, length) ? length : 0;
        // A cut-quality box that refuses its text is named, and the style of the plan before is kept.
        if (const std::optional<CutStyle> style = CutStyleToUse(leadIn)) program_.cutStyle = *style;
        unclearLeadIns_ = CalculateScrapLeadIns(program_, leadIn);
    } else {
        program_.cutStyle = CutStyleToUse(0).value_or(CutStyle{});
        PlanParts(program_);
    }
    transformedSincePlan_ = false;
}

void Form1::Command32_Click() {
    const std::optional<double> length = LeadInLength();
    if (!length || !TakeKerf()) return;
    const std::optional<CutStyle> style = CutStyleToUse(*length);
    if (!style) return;
    RememberPlan();
    program_.cutStyle = *style;
    if (SheetPlanning()) {
        unclearLeadIns_ = CalculateScrapLeadIns(program_, *length);
    } else {
        CalculateLeadIns(program_, *length);
    }
    Redraw();
    ShowPlanStatus();
}

void Form1::ShowPlanStatus() {
    std::string status = readStatus_;
    const auto add = [&status](const std::string& text) {
        if (!text.empty()) status += (status.empty() ? "" : " ") + text;
    };
    add(SummaryLine(SummarizeJob(program_, {})));
    add(UnclearLeadInWarning(unclearLeadIns_));
    add(LeadInWarning(CheckLeadIns(program_)));
    add(KerfWarning(CheckKerf(program_)));
    add(CompensationExpectationWarning(program_, "tick \"in program\" and give the kerf"));
    if (!SheetPlanning()) add(UnitsMismatchWarning(program_));
    add(lastSave_);
    StatusLine = std::move(status);
}

void Form1::KeepLeadInsInScrap() {
    // The lead-in box is read as "Calculate Lead Ins" reads it; one that holds no number, or a length that
    // does not suit the drawing, gives no search.
    if (!SheetPlanning()) return;
    const double length = ParseWholeNumber(Text6).value_or(0);
    unclearLeadIns_ = RepairScrapLeadIns(program_, LeadInSuits(program_, length) ? length : 0);
}

void Form1::AfterTransform() {
    transformedSincePlan_ = true;
    RecomputeExtents(program_, program_.partCount, Picture1);
    KeepLeadInsInScrap();
    Redraw();
    ShowPlanStatus();
}

void Form1::MoveByStep(int xSign, int ySign) {
    const std::optional<double> step = BoxNumber("step", Text3);
    if (!step) return;
    RememberPlan();
    MoveParts(program_, xSign * *step, ySign * *step, program_.partCount);
    AfterTransform();
}

void Form1::Command16_Click() {
    RememberPlan();
    MoveParts(program_, -program_.extMinX, -program_.extMinY, program_.partCount);
    transformedSincePlan_ = true;
    RecomputeExtents(program_, program_.partCount, Picture1);
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    KeepLeadInsInScrap();
    Redraw();
    ShowPlanStatus();
}

void Form1::Command25_Click() {
    const std::optional<double> angle = BoxNumber("angle", Text4);
    if (!angle) return;
    RememberPlan();
    RotateParts(program_, *angle * program_.PI / 180, program_.partCount);
    AfterTransform();
}

void Form1::Command26_Click() {
    const std::optional<double> angle = BoxNumber("angle", Text4);
    if (!angle) return;
    RememberPlan();
    RotateParts(program_, -*angle * program_.PI / 180, program_.partCount);
    AfterTransform();
}

// A factor of 0 would collapse the drawing onto one point and a negative one turn it inside out.
void Form1::Command27_Click() {
    const std::optional<double> factor = BoxNumber("scale factor", Text5);
    if (!factor) return;
    if (*factor <= 0) {
        toolkit_.ShowMessage("The scale factor box holds " + Quoted(Text5) +
                             ": the factor must be greater than 0. Nothing was changed.");
        return;
    }
    RememberPlan();
    ScaleParts(program_, *factor, program_.partCount);
    AfterTransform();
}

void Form1::Command13_Click() {
    Picture1.Rectangle(program_.extMinX, program_.extMinY, program_.extMaxX, program_.extMaxY, kGreen);
}

void Form1::Form_Resize() { Command14_Click(); }

void Form1::Command14_Click() {
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    Redraw();
}

void Form1::Command15_Click() {
    FitView(program_, Picture1, 0, program_.extMaxY, program_.extMaxX, 0, true);
    Redraw();
}

void Form1::Command17_Click() {
    if (!TakeKerf()) return;
    program_.cutStyle.feed = TemplateFeed(program_);  // the templates may have changed since the plan
    ShowPlanStatus();
    cutCount = program_.partCount;
    if (const std::string nothing = NothingToCut(); !nothing.empty()) {
        toolkit_.ShowMessage(nothing);
        return;
    }
    if (!SheetPlanning() && CountOutsideCuts(program_, cutCount) >= 2) {
        toolkit_.ShowMessage("you can have just one outside cut!");
        return;
    }
    if (const LeadInCheck check = CheckLeadIns(program_); !check.onContour.empty()) {
        toolkit_.ShowMessage("Pierced on the contour, without a lead-in: " + PartNames(check.onContour) +
                             ". The pierce would leave a blow-out in the cut edge; \"Calculate Lead Ins\" gives " +
                             (check.onContour.size() == 1 ? "it" : "them") + " a lead-in.");
    }
    toolkit_.ShowModal(ModalWindow::GCode);
}

std::string Form1::NothingToCut() const {
    const int32_t parts = PartRowCount(program_);
    if (parts == 0) return "Nothing to cut: no drawing is planned. Open a drawing first; no program was written.";
    if (CountDeletedParts(program_, parts) == parts) {
        return "Nothing to cut: every part is deleted. Undelete a part first; no program was written.";
    }
    return {};
}

bool Form1::SaveProgram() {
    if (const std::string nothing = NothingToCut(); !nothing.empty()) {
        toolkit_.ShowMessage(nothing);
        return false;
    }
    if (!SheetPlanning() && CountOutsideCuts(program_, program_.partCount) >= 2) {  // as G CODE refuses it
        toolkit_.ShowMessage("you can have just one outside cut!");
        return false;
    }
    const std::optional<std::string> path = toolkit_.ChooseFileToSave(ProposedName(program_.openedDrawingPath, ".nc"));
    if (!path) return false;
    program_.cutStyle.feed = TemplateFeed(program_);
    const ProgramText written = WriteProgramText(program_, program_.partCount);
    if (const auto failure = SaveTextFile(*path, written.text)) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
        return false;
    }
    NoteSaved("Saved " + *path + ", " + std::to_string(written.lineCount) + " lines.", true);
    return true;
}

bool Form1::ConfirmDropPlan() {
    if (!planChanged_ || PartRowCount(program_) == 0) return true;
    const std::string name = program_.openedDrawingPath.empty() ? "the drawing" : program_.openedDrawingPath;
    switch (toolkit_.AskSaveDiscardCancel("The plan of " + name + " has changed since it was saved. Save the "
                                          "program first?", "Unsaved plan", "Save the program")) {
        case SaveChoice::Save: return SaveProgram();
        case SaveChoice::Discard: return true;
        case SaveChoice::Cancel: return false;
    }
    return false;
}

void Form1::Command9_Click() {
    PlanState before = CapturePlan();
    const bool transformed = transformedSincePlan_;
    PlanDrawing();
    const KeptPlan kept = KeepUnchangedParts(program_, before, transformed, unclearLeadIns_);
    if (!kept.lost.empty() &&
        !toolkit_.AskYesNo("Planning the parts again from the contour list drops " + kept.lost + ". Plan again?",
                           "Command9")) {
        RestorePlan(std::move(before));
        return;
    }
    history_.Remember(std::move(before));
    planChanged_ = true;
    ListContourRecords();
    List2.Clear();
    Redraw();
    ShowPlanStatus();
}

void Form1::Command29_Click() {
    const std::optional<std::string> path = toolkit_.ChooseFileToSave(ProposedName(program_.openedDrawingPath, ".PAR"));
    if (!path) return;
    if (const auto failure = SaveTextFile(*path, PartFileLine(program_, program_.partCount) + "\r\n")) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
        return;
    }
    NoteSaved("Saved " + *path + ".");
}

}  // namespace zorvan
