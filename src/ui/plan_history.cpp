// Undo and redo of the plan.
#include "ui/plan_history.h"

#include <utility>

namespace zorvan {

size_t PlanState::Bytes() const {
    size_t bytes = sizeof(PlanState) + contourChain.size() + sequence.size();
    // A part's numbers take about as much room as its text.
    for (const PartEntry& part : parts) bytes += sizeof(PartEntry) + 2 * part.size();
    for (const PartEntry& part : openLeftOut) bytes += sizeof(PartEntry) + 2 * part.size();
    for (const std::string& contour : contours) bytes += sizeof(std::string) + contour.size();
    return bytes;
}

void PlanHistory::Remember(PlanState before) {
    bytes_ += before.Bytes();
    undo_.push_back(std::move(before));
    for (const PlanState& state : redo_) bytes_ -= state.Bytes();
    redo_.clear();
    Trim();
}

void PlanHistory::Forget() {
    if (undo_.empty()) return;
    bytes_ -= undo_.back().Bytes();
    undo_.pop_back();
}

std::optional<PlanState> PlanHistory::Step(std::deque<PlanState>& from, std::deque<PlanState>& to, PlanState present) {
    if (from.empty()) return std::nullopt;
    PlanState state = std::move(from.back());
    from.pop_back();
    bytes_ += present.Bytes();
    bytes_ -= state.Bytes();
    to.push_back(std::move(present));
    return state;
}

std::optional<PlanState> PlanHistory::Undo(PlanState present) { return Step(undo_, redo_, std::move(present)); }

std::optional<PlanState> PlanHistory::Redo(PlanState present) { return Step(redo_, undo_, std::move(present)); }

void PlanHistory::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

void PlanHistory::Trim() {
    while (undo_.size() > kSteps || (undo_.size() > 1 && bytes_ > kMostBytes)) {
        bytes_ -= undo_.front().Bytes();
        undo_.pop_front();
    }
}

}  // namespace zorvan
