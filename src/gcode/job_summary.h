// The job summary: what the program will cut and roughly how long it takes, for the operator to check before
// the table runs. Lengths are in the program's units (the records' units); rates per minute in those units.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/program.h"
#include "planning/kerf_check.h"

namespace zorvan {

// A rate or delay and where it came from: "templates", "--feed" (or the window's name for it), or nothing
// when it is not known.
struct Given {
    std::optional<double> value;
    std::string source;
};

// What the operator gave beside the templates: cutting feed and rapid rate per minute, pierce delay in seconds.
struct JobRates {
    std::optional<double> feed, pierceDelay, rapid;
};

struct JobSummary {
    std::string declaredUnits;  // "millimetres", "inches", ... or "not declared"
    std::string programUnits;   // the units the program is written in
    std::string unitsSource;    // where they came from: "the header's G21", "--units", "as the drawing declares them"
    double kerf = 0;            // 0: not given
    bool kerfInProgram = false;  // the program offsets the contours itself (no G41/G42)
    ArcCentres arcCentres = ArcCentres::Absolute;  // how the program writes I and J
    KerfCheck kerfCheck;        // what the controller would refuse with that kerf
    double width = 0, height = 0;
    int32_t outsideCuts = 0, holes = 0;  // cut parts by their marker, closed or not
    int32_t openCut = 0;                 // contours that do not close, cut without compensation
    int32_t openLeftOut = 0, deletedLeftOut = 0;
    int32_t openInsideParts = 0;  // of the open contours left out, those inside parts
    std::map<std::string, int32_t, std::less<>> leftOutReasons;  // what the reading left out, by reason
    int32_t pierces = 0;
    double cutLength = 0;     // contours, lead-ins, overcuts and lead-outs
    int32_t smallHoles = 0;   // holes cut at the small holes' feed
    double smallHoleLength = 0;           // their cut length, lead-ins and lead-outs included
    std::optional<double> smallHoleFeed;  // the F they are cut at, where known
    double travelLength = 0;  // from the drawing's lower-left corner to the first pierce, then part to part
    Given feed, pierceDelay, rapid;
    // Cut length / feed + pierces x pierce delay + travel / rapid, in minutes; none without a feed. A delay or
    // rapid rate that is not known counts as nothing (the text says so).
    std::optional<double> minutes;
};

// The summary of parts 0..partCount-1 as planned: feed and pierce delay from the templates' "F" and "G4 P"
// words where they have them (the last F of the header and the slots before the cut, the G4 P words of the
// slots each part runs), else from `given`, whose sources are named `names`.
struct RateNames {
    std::string feed = "--feed", pierceDelay = "--pierce-delay", rapid = "--rapid";
};
JobSummary SummarizeJob(const Program& program, const JobRates& given, const RateNames& names = {});

// The cutting feed the templates set: the last F of the header and the slots before the cut; nothing
// when they set none (or only one that is not a plain number).
std::optional<double> TemplateFeed(const Program& program);

// Plain text, a line per fact, for people.
std::string SummaryText(const JobSummary& summary);
// One line for the window's status line.
std::string SummaryLine(const JobSummary& summary);

// The F, G4 P, G20 and G21 words of a G-code line, comments left out: "G1 F1500 (fast)" has the feed 1500,
// "G04 P0.5" the delay 0.5, "G21 G90" the units 21; a word whose value is not a plain number ("F#<_feed>") is
// not one.
struct GcodeWords {
    std::optional<double> feed, delay;
    std::optional<int> lengthUnits;  // 20 for a G20 word (inches), 21 for G21 (millimetres); the last one
};
GcodeWords ReadGcodeWords(std::string_view line);

}  // namespace zorvan
