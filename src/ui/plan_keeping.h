// Planning again without losing the operator's work: the parts of a fresh plan whose contours are those of
// the plan before take back their entries from it whole (lead-in, start, marks, Inside/Outside), and what
// cannot be taken back is named.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/program.h"
#include "ui/plan_history.h"

namespace zorvan {

struct KeptPlan {
    int32_t kept = 0;  // parts that took back their entry
    // What the fresh plan drops, for a question; empty when nothing is lost:
    //   "the turn, move or scale since the plan, 2 delete marks and the lead-ins of 3 parts"
    std::string lost;
};

// Each part of the fresh plan in `program` whose contour matches a part of `before` (the same box and length,
// within a millionth of the drawing's size) takes that part's entry. Parts of `before` that had a delete or
// select mark or a lead-in and match no fresh part are counted as lost, as is a transform since the plan
// (`transformed`), which a plan from the drawing's records cannot keep. `unclear` (the parts without a clear
// lead-in) follows the entries taken back.
KeptPlan KeepUnchangedParts(Program& program, const PlanState& before, bool transformed, std::vector<int32_t>& unclear);

// The items as a message lists them: "a", "a and b", "a, b and c".
std::string JoinedList(const std::vector<std::string>& items);

}  // namespace zorvan
