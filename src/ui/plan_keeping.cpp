// Planning again without losing the operator's work.
#include "ui/plan_keeping.h"

#include <algorithm>
#include <cmath>

#include "geometry/extents.h"
#include "model/part_entry.h"
#include "planning/outlines.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

struct ContourKey {
    double minX, minY, maxX, maxY, length;
};

ContourKey KeyOf(const Program& program, const PartEntry& entry) {
    ExtentBuilder box;
    double length = 0;
    for (const RecordValues& record : entry.Records()) {
        IncludeRecord(program.PI, record, box);
        length += RecordLength(record);
    }
    return {box.minX, box.minY, box.maxX, box.maxY, length};
}

bool Same(const ContourKey& a, const ContourKey& b, double tolerance) {
    return std::fabs(a.minX - b.minX) <= tolerance && std::fabs(a.minY - b.minY) <= tolerance &&
           std::fabs(a.maxX - b.maxX) <= tolerance && std::fabs(a.maxY - b.maxY) <= tolerance &&
           std::fabs(a.length - b.length) <= tolerance;
}

std::string Counted(int32_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string JoinedList(const std::vector<std::string>& items) {
    std::string text;
    for (size_t k = 0; k < items.size(); ++k) {
        if (k > 0) text += k + 1 == items.size() ? " and " : ", ";
        text += items[k];
    }
    return text;
}

KeptPlan KeepUnchangedParts(Program& program, const PlanState& before, bool transformed, std::vector<int32_t>& unclear) {
    const double size = std::max({1.0, std::fabs(program.extMaxX - program.extMinX), std::fabs(program.extMaxY - program.extMinY)});
    const double tolerance = 1e-6 * size;
    const int32_t fresh = PartRowCount(program);
    std::vector<ContourKey> freshKeys;
    for (int32_t i = 0; i < fresh; ++i) freshKeys.push_back(KeyOf(program, program.partList[static_cast<size_t>(i)]));
    std::vector<bool> taken(static_cast<size_t>(fresh), false);
    std::vector<int32_t> newUnclear;
    for (const int32_t row : unclear) newUnclear.push_back(row);
    KeptPlan kept;
    int32_t deleted = 0, selected = 0, leadIns = 0;
    for (size_t old = 0; old < before.parts.size(); ++old) {
        const PartEntry& entry = before.parts[old];
        const ContourKey key = KeyOf(program, entry);
        int32_t match = -1;
        for (int32_t i = 0; i < fresh && match < 0; ++i) {
            if (!taken[static_cast<size_t>(i)] && Same(key, freshKeys[static_cast<size_t>(i)], tolerance)) match = i;
        }
        if (match >= 0) {
            taken[static_cast<size_t>(match)] = true;
            program.partList[static_cast<size_t>(match)] = entry;
            ++kept.kept;
            std::erase(newUnclear, match);
            const bool wasUnclear = std::find(before.unclearLeadIns.begin(), before.unclearLeadIns.end(),
                                              static_cast<int32_t>(old)) != before.unclearLeadIns.end();
            if (wasUnclear) newUnclear.push_back(match);
            continue;
        }
        const PartFields fields(entry);
        const PartLeadIn leadIn = LeadInOf(entry);
        deleted += fields.IsDeleted() ? 1 : 0;
        selected += SplitFields(fields.marks).size() > 0 && FieldAt(SplitFields(fields.marks), 0) == "SEL" ? 1 : 0;
        leadIns += leadIn.pierce.x != leadIn.start.x || leadIn.pierce.y != leadIn.start.y ? 1 : 0;
    }
    std::sort(newUnclear.begin(), newUnclear.end());
    unclear = std::move(newUnclear);
    std::vector<std::string> lost;
    if (transformed) lost.push_back("the turn, move or scale since the plan");
    if (deleted > 0) lost.push_back(Counted(deleted, "delete mark (the part comes back)", "delete marks (the parts come back)"));
    if (selected > 0) lost.push_back(Counted(selected, "select mark", "select marks"));
    if (leadIns > 0) lost.push_back("the lead-ins of " + Counted(leadIns, "part", "parts"));
    kept.lost = JoinedList(lost);
    return kept;
}

}  // namespace zorvan
