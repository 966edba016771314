// The main job as one function: drawing text in; the program's records, contours and planned parts, and
// the G-code program's text and the part file's line out, with the reader's outcome. What the command line,
// the fuzzers, the benchmarks and the tests run; the window runs the same steps one command at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/dxf_reader.h"
#include "model/program.h"
#include "planning/kerf_check.h"
#include "planning/scrap_lead_ins.h"

namespace zorvan {

struct JobOptions {
    // The lead-in length, read leniently (text that is not a number reads as 0); the command line refuses such
    // text before it gets here, as the window's lead-in box does.
    std::string leadIn = "0.25";
    // Whether the part file's line is wanted too.
    bool partFile = false;
    // How the drawing is read; sheet mode also plans it as a sheet of parts.
    ReadOptions read;
    // Sheet mode: cut the contours that do not close too, last, without compensation or lead-in.
    bool cutOpen = false;
    // Stop after reading when the lead-in does not suit the drawing (LeadInSuits: shorter than its larger
    // side): nothing is planned and JobResult::leadInRefused says so. The command line asks for this, as the
    // window's "Calculate Lead Ins" refuses such a length.
    bool refuseUnsuitedLeadIn = false;
    // Sheet mode: the sheet the drawing's parts lie on (a nested sheet), so that no lead-in leaves it.
    std::optional<SheetEdge> sheetEdge;
};

struct JobResult {
    DxfReadResult read;        // when it is not Loaded, nothing else below was made and the program is unchanged
    bool leadInRefused = false;  // read, but refused for its lead-in (JobOptions::refuseUnsuitedLeadIn)
    int32_t partCount = 0;
    int32_t outsideCuts = 0;   // parts marked "OO"
    std::string programText;   // CR LF after every line
    int64_t programLines = 0;
    std::string partFileLine;  // without its line end; with JobOptions::partFile only
    LeadInCheck leadIns;                  // the lead-ins that pierce part material or cross a contour
    std::vector<int32_t> unclearLeadIns;  // sheet mode: parts for which no clear lead-in was found
    KerfCheck kerf;                       // what the controller would refuse with program.kerf
};

// Reads the drawing text into `program`, lists its contours, plans the parts (PlanParts; in sheet mode
// PlanSheet), calculates the lead-ins (in sheet mode in the scrap), checks them and writes the program with
// the templates of program.templateFolder; with program.kerf given, checks the paths against it. The text is let go of as
// soon as it has been read.
JobResult RunMainJob(Program& program, std::string dxfText, const JobOptions& options = {});

// The last steps of a job whose plan is made: the kerf check, the counts, the program's text and, with
// `partFile`, the part file's line, into `result`.
void WritePlannedJob(const Program& program, bool partFile, JobResult& result);

}  // namespace zorvan
