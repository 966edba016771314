// The job summary as a JSON object, for scripts that read zorvan-cli's --summary=json.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gcode/job_summary.h"

namespace zorvan {

// One object, its keys in a fixed order (README lists them). Numbers are the shortest text that reads back as
// the same double; rates, the time and any quantity that is not finite are null.
std::string SummaryJson(const JobSummary& summary);

// One drawing of a run with several.
struct DrawingSummary {
    std::string drawing;  // as given on the command line
    int status = 0;       // its exit status
    std::string message;  // its refusal, when refused
    std::string program;  // the program written, when written
    std::optional<JobSummary> summary;
};

// One array of an object per drawing, in the order given: "drawing" and "status", then "message" for a drawing
// refused, else "program" and the keys of SummaryJson's object.
std::string SummaryJson(const std::vector<DrawingSummary>& drawings);

}  // namespace zorvan
