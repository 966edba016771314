// The job summary as a JSON object, for scripts that read zorvan-cli's --summary=json.
#pragma once

#include <string>

#include "gcode/job_summary.h"

namespace zorvan {

// One object, its keys in a fixed order; rates and the time are null where they are not known.
std::string SummaryJson(const JobSummary& summary);

}  // namespace zorvan
