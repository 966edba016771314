// The main job.
#include "gcode/main_job.h"

#include "gcode/part_file.h"
#include "gcode/program_writer.h"
#include "import/part_entries.h"
#include "model/number_text.h"
#include "planning/lead_ins.h"
#include "planning/preparation.h"
#include "planning/sheet_plan.h"

namespace zorvan {

JobResult RunMainJob(Program& program, std::string dxfText, const JobOptions& options) {
    JobResult result;
    ReadOptions read = options.read;
    read.cutOpen = read.cutOpen || options.cutOpen;  // open contours to cut are something to cut
    result.read = LoadDxfText(program, dxfText, read);
    std::string().swap(dxfText);
    if (result.read.outcome != DxfReadOutcome::Loaded) return result;
    const double leadIn = LenientParse(options.leadIn);
    if (options.refuseUnsuitedLeadIn && !LeadInSuits(program, leadIn)) {
        result.leadInRefused = true;
        return result;
    }
    FillContourList(program);
    if (program.readMode == ReadMode::Sheet) {
        program.sheetEdge = options.sheetEdge;
        PlanSheet(program, {options.cutOpen});
        result.unclearLeadIns = CalculateScrapLeadIns(program, leadIn, result.leadIns);
    } else {
        PlanParts(program);
        CalculateLeadIns(program, leadIn);
        result.leadIns = CheckLeadIns(program);
    }
    WritePlannedJob(program, options.partFile, result);
    return result;
}

void WritePlannedJob(const Program& program, bool partFile, JobResult& result) {
    result.kerf = CheckKerf(program);
    result.partCount = program.partCount;
    result.outsideCuts = CountOutsideCuts(program, result.partCount);
    ProgramText text = WriteProgramText(program, result.partCount);
    result.programText = std::move(text.text);
    result.programLines = text.lineCount;
    if (partFile) result.partFileLine = PartFileLine(program, result.partCount);
}

}  // namespace zorvan
