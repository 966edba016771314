// The job summary as JSON.
#include "summary_json.h"

#include <nlohmann/json.hpp>

namespace zorvan {

namespace {

// Names from the drawing (what was left out) and paths may hold bytes that are not UTF-8: they become U+FFFD
// rather than stopping the writer. Quantities that are not finite are written as null.
std::string Dumped(const nlohmann::ordered_json& json) {
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

nlohmann::ordered_json SummaryObject(const JobSummary& s) {
    const auto given = [](const Given& g) {
        nlohmann::ordered_json value;
        value["value"] = g.value ? nlohmann::ordered_json(*g.value) : nlohmann::ordered_json(nullptr);
        value["source"] = g.value ? nlohmann::ordered_json(g.source) : nlohmann::ordered_json(nullptr);
        return value;
    };
    nlohmann::ordered_json json;
    json["units"] = s.programUnits;
    json["units_source"] = s.unitsSource;
    json["declared_units"] = s.declaredUnits;
    json["kerf"] = s.kerf > 0 ? nlohmann::ordered_json(s.kerf) : nlohmann::ordered_json(nullptr);
    json["compensation"] = s.kerfInProgram ? "program" : "controller";
    nlohmann::ordered_json refused = nlohmann::ordered_json::object();
    refused["short_lead_ins"] = s.kerfCheck.shortLeadIns;
    refused["lead_in_corners"] = s.kerfCheck.leadInCorners;
    refused["small_arcs"] = s.kerfCheck.smallArcs;
    refused["tight_corners"] = s.kerfCheck.tightCorners;
    refused["narrow_slots"] = s.kerfCheck.narrowSlots;
    json["kerf_refusals"] = refused;
    json["width"] = s.width;
    json["height"] = s.height;
    json["outside_cuts"] = s.outsideCuts;
    json["holes"] = s.holes;
    json["open_contours_cut"] = s.openCut;
    json["open_contours_left_out"] = s.openLeftOut;
    json["deleted_parts_left_out"] = s.deletedLeftOut;
    json["open_contours_inside_parts"] = s.openInsideParts;
    json["left_out_reasons"] = s.leftOutReasons.empty() ? nlohmann::ordered_json::object() : nlohmann::ordered_json(s.leftOutReasons);
    json["pierces"] = s.pierces;
    json["cut_length"] = s.cutLength;
    json["small_holes"] = s.smallHoles;
    json["arc_centres"] = std::string(s.arcCentres == ArcCentres::Relative ? "relative" : "absolute");
    json["travel_length"] = s.travelLength;
    json["feed_per_minute"] = given(s.feed);
    json["pierce_delay_seconds"] = given(s.pierceDelay);
    json["rapid_per_minute"] = given(s.rapid);
    json["minutes"] = s.minutes ? nlohmann::ordered_json(*s.minutes) : nlohmann::ordered_json(nullptr);
    return json;
}

}  // namespace

std::string SummaryJson(const JobSummary& summary) { return Dumped(SummaryObject(summary)); }

std::string SummaryJson(const std::vector<DrawingSummary>& drawings) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const DrawingSummary& drawing : drawings) {
        nlohmann::ordered_json json;
        json["drawing"] = drawing.drawing;
        json["status"] = drawing.status;
        if (drawing.status != 0 || !drawing.summary) {
            json["message"] = drawing.message;
        } else {
            json["program"] = drawing.program;
            const nlohmann::ordered_json summary = SummaryObject(*drawing.summary);
            for (auto item = summary.begin(); item != summary.end(); ++item) json[item.key()] = item.value();
        }
        array.push_back(std::move(json));
    }
    return Dumped(array);
}

}  // namespace zorvan
