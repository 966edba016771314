// The main window's job files: "Save job" keeps the whole plan of the drawing on hand, "Open job" brings it back.
#include <algorithm>
#include <cmath>

#include "draw/view.h"
#include "gcode/job_file.h"
#include "import/opening.h"
#include "model/number_text.h"
#include "model/text_file.h"
#include "ui/file_names.h"
#include "ui/form1.h"

namespace zorvan {

namespace {

// The job's plan, with the cut style `style` (the job's, its feed the templates').
PlanState PlanStateOf(const JobFile& job, const CutStyle& style) {
    PlanState state;
    state.cutStyle = style;
    state.parts.assign(job.parts.begin(), job.parts.end());
    state.contours = job.contours;
    state.contourChain = job.contourChain;
    state.extMinX = job.extMinX, state.extMinY = job.extMinY;
    state.extMaxX = job.extMaxX, state.extMaxY = job.extMaxY;
    state.unclearLeadIns = job.unclearLeadIns;
    state.openLeftOut.assign(job.openLeftOut.begin(), job.openLeftOut.end());
    return state;
}

}  // namespace

void Form1::SaveJob_Click() {
    const std::string drawing = program_.openedDrawingPath;
    if (drawing.empty()) {
        toolkit_.ShowMessage("No drawing is open, so there is no plan to save as a job.");
        return;
    }
    if (drawingInMemory_) {  // a job names its drawing's file, and this drawing has none
        toolkit_.ShowMessage("The job was not saved: its drawing (" + Caption + ") is not a file. Save the sheet's "
                             "drawing first (\"Save sheet...\" on the Nest tab), then open that drawing.");
        return;
    }
    const double kerfShown = program_.kerf;
    if (!TakeKerf()) return;
    if (program_.kerf != kerfShown) ShowPlanStatus();  // the status line names the kerf the job keeps
    // The job holds the drawing's fingerprint, so the drawing must be readable now.
    const FileFingerprint fingerprint = FingerprintOfFile(drawing);
    if (!fingerprint.fingerprint) {
        toolkit_.ShowMessage("The job was not saved: its drawing " + drawing + " cannot be read: " + fingerprint.problem + ".");
        return;
    }
    const std::optional<std::string> path = toolkit_.ChooseFileToSave(ProposedName(drawing, ".zjob"));
    if (!path) return;
    if (IsSameFile(*path, drawing)) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, "it is the job's drawing"));
        return;
    }
    const JobFile job = CaptureJob(program_, *fingerprint.fingerprint, {Text6, unclearLeadIns_});
    if (const auto failure = SaveTextFile(*path, WriteJobText(job))) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
        return;
    }
    NoteSaved("Saved job " + *path + ".", true);  // the job keeps the plan: nothing is lost on closing
}

void Form1::OpenJob_Click() {
    if (const auto chosen = toolkit_.ChooseFileToOpen("Job |*.zjob")) OpenJobFile(*chosen);
}

void Form1::ShowCutStyle(const CutStyle& style) {
    OutlineLeadIn = style.outline;
    HoleLeadIn = style.hole;
    ArcRadiusBox = NumberBoxText(style.arcRadius);
    OvercutBox = NumberBoxText(style.overcut);
    LeadOut = style.leadOut;
    // A lead-out as long as the lead-in is what the empty box gives.
    const std::optional<double> leadIn = ParseWholeNumber(Text6);
    LeadOutLengthBox = leadIn && *leadIn == style.leadOutLength ? std::string() : NumberBoxText(style.leadOutLength);
    SmallHolesBox = NumberBoxText(style.smallHoleDiameter);
    SmallHoleFeedBox = SmallHoleFeedText(style.smallHoleFeed, style.smallHoleFeedIsShare);
}

bool Form1::OpenJobFile(const std::string& path) {
    const JobRead read = ReadJobFile(path);
    if (!read.job) {
        toolkit_.ShowMessage(read.error + " The job was not opened.");
        return false;
    }
    const JobFile& job = *read.job;
    const std::string& drawing = job.drawingPath;
    const auto refuse = [&](const std::string& reason) {
        toolkit_.ShowMessage(JobDrawingRefusal(path, drawing, reason));
        return false;
    };
    if (!IsDxfPath(drawing)) return refuse("is not a DXF file.");
    const FileFingerprint now = FingerprintOfFile(drawing);
    if (!now.fingerprint) return refuse("cannot be read: " + now.problem + ".");
    if (!ConfirmDropPlan()) return false;

    // The drawing read as the job read it, so that its store, units and read report are the job's; a refused
    // drawing leaves everything as it was.
    const bool sheetModeBefore = SheetMode;
    SheetMode = job.read.mode == ReadMode::Sheet;
    const DxfReadResult result = ReadDrawing(drawing, job.read);
    if (result.outcome != DxfReadOutcome::Loaded) {
        SheetMode = sheetModeBefore;
        const std::string message = ReadOutcomeMessage(result);
        return refuse(message.empty() ? "cannot be read." : "was refused. " + message);
    }
    Text1 = Caption = program_.openedDrawingPath = drawing;
    Text6 = job.leadIn;
    KerfText = NumberBoxText(job.kerf);
    KerfInProgram = job.kerfInProgram;
    // The boxes show the style the job's lead-ins were worked out with; a job of the default mode has none, and
    // the boxes stay as the operator set them for sheet mode.
    if (job.read.mode == ReadMode::Sheet) ShowCutStyle(job.cutStyle);
    ApplyJobSettings(program_, job);
    // The view fitted to the plan, which a transform may have moved away from where the drawing lies.
    FitView(program_, Picture1, job.extMinX, job.extMaxY, job.extMaxX, job.extMinY, true);
    // Planning again from the drawing would undo a move, turn or scale the job holds: Command9 asks first.
    const double size = std::max({1.0, program_.extMaxX - program_.extMinX, program_.extMaxY - program_.extMinY});
    transformedSincePlan_ = std::fabs(job.extMinX - program_.extMinX) > 1e-9 * size ||
                            std::fabs(job.extMinY - program_.extMinY) > 1e-9 * size ||
                            std::fabs(job.extMaxX - program_.extMaxX) > 1e-9 * size ||
                            std::fabs(job.extMaxY - program_.extMaxY) > 1e-9 * size;
    RestorePlan(PlanStateOf(job, program_.cutStyle));  // the lists, the picture and the status line; the history stays empty
    if (*now.fingerprint != job.fingerprint) toolkit_.ShowMessage(ChangedDrawingWarning(drawing));
    return true;
}

}  // namespace zorvan
