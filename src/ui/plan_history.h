// Undo and redo of the plan: what the operator's commands change (the parts, the contour list and order, the
// extents, the cutting sequence, the cut style of the lead-ins) kept as whole states, newest last. An open
// starts a fresh history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/cut_style.h"
#include "model/part_entry.h"

namespace zorvan {

struct PlanState {
    std::vector<PartEntry> parts;  // rows 0..partCount-1
    std::vector<std::string> contours;
    std::string contourChain;
    double extMinX = 0, extMinY = 0, extMaxX = 0, extMaxY = 0;
    std::string sequence;              // the cutting sequence being picked
    std::vector<int32_t> unclearLeadIns;
    std::vector<PartEntry> openLeftOut;  // the open contours not cut, as drawn dashed
    CutStyle cutStyle;                   // the style the lead-ins were worked out with
    size_t Bytes() const;
};

class PlanHistory {
public:
    // At least kSteps steps are kept; beyond that the oldest go once the states together pass kMostBytes, so
    // a history of a drawing at the table limits stays within memory.
    static constexpr size_t kSteps = 100;
    static constexpr size_t kMostBytes = size_t{512} << 20;

    // `before` is the state a command is about to change; redo is no longer possible after it.
    void Remember(PlanState before);
    // Takes back the last `Remember` (a command that changed nothing after all).
    void Forget();
    // The state to go back to, given the present one (kept for Redo); nothing when there is none.
    std::optional<PlanState> Undo(PlanState present);
    std::optional<PlanState> Redo(PlanState present);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    void Clear();

private:
    // The newest state of `from`, the present kept on `to` in its place.
    std::optional<PlanState> Step(std::deque<PlanState>& from, std::deque<PlanState>& to, PlanState present);
    void Trim();

    std::deque<PlanState> undo_, redo_;
    size_t bytes_ = 0;
};

}  // namespace zorvan
