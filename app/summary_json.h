// The job summary as a JSON object, for scripts that read zorvan-cli's --summary=json.
#pragma once

#include <string>

#include "gcode/job_summary.h"

namespace zorvan {

// One object, its keys in a fixed order (README lists them). Numbers are the shortest text that reads back as
// the same double; rates, the time and any quantity that is not finite are null.
std::string SummaryJson(const JobSummary& summary);

}  // namespace zorvan
