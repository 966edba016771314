// LinuxCNC's stand-alone interpreter (rs274) as a test oracle: cuts run through it with one tool in its table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorvan::testing {

// The rs274 program, or nothing where LinuxCNC is not installed.
std::optional<std::string> Rs274Path();

// Tool 1 of rs274's table for a kerf in millimetres. Run on its own, rs274 reads the table's diameter in
// inches and turns it into millimetres with its own factor (0.03937007874016 inch per mm), not with 25.4;
// the radii are those it then works with, to the last bit, in millimetre and in inch programs.
struct Rs274Tool {
    std::string diameterInches;
    double radiusMm = 0, radiusInches = 0;
};
Rs274Tool ToolForKerf(double kerfMm);
// The same for a diameter written as it is to stand in the table (inches).
Rs274Tool ToolOfDiameter(std::string diameterInches);

// What rs274 said of one cut: accepted, or its first refusal's message and the index of the row it was on.
struct Rs274Verdict {
    bool accepted = true;
    std::string message;
    size_t row = 0;
    // Where the run could not tell: the oracle's own failure, named.
    std::string trouble;
};

// Runs `cuts` through rs274 in one process: tool 1 loaded, millimetres (G21) or inches (G20), absolute
// distances and arc centres, a feed rate set. Each cut is its rows (at most 98: say G0, G41, the moves, G40)
// and starts with compensation off. rs274 is told to go on after a refusal, so each cut gets its own verdict;
// where the process does not end normally, each cut is run again alone. One run costs tens of milliseconds,
// most of it rs274 starting, so batch the cuts.
std::vector<Rs274Verdict> RunRs274(const std::vector<std::vector<std::string>>& cuts, const Rs274Tool& tool,
                                   bool inches = false);

// Runs a whole program of ours through rs274 (tool 1 loaded, millimetres, absolute distances and arc
// centres and a feed set first, as a header would) and gives each part's verdict, by the number in its
// "(------------------- i ----...)" comment: the first refusal between that comment and the next. Compensation
// is switched off before each part, so one part's refusal does not spill into the next. Parts without a
// refusal are accepted; the map holds every part of the program.
std::vector<std::pair<int, Rs274Verdict>> RunRs274OnProgram(const std::string& program, const Rs274Tool& tool);

}  // namespace zorvan::testing
