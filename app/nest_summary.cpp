// The nest's progress line and summary.
#include "nest_summary.h"

#include "model/number_text.h"

#include <unistd.h>

#include <cmath>

#include <nlohmann/json.hpp>


namespace zorvan {

namespace {

using Json = nlohmann::ordered_json;

std::string Percent(double fraction) { return FixedForReading(100 * fraction, 1) + " %"; }

std::string Dumped(const Json& json) { return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

Json Minutes(const JobSummary& job) {
    return job.minutes && std::isfinite(*job.minutes) ? Json(*job.minutes) : Json(nullptr);
}

std::string MinutesText(const JobSummary& job) {
    return job.minutes && std::isfinite(*job.minutes) ? "about " + FixedForReading(*job.minutes, 1) + " min" : "no time estimate";
}

int32_t PartsOn(const SheetSummary& sheet) {
    int32_t parts = 0;
    for (const auto& [drawing, copies] : sheet.parts) parts += copies;
    return parts;
}

}  // namespace


NestProgressLine::NestProgressLine(bool shown, bool strip) : shown_(shown), strip_(strip), terminal_(isatty(STDERR_FILENO) == 1) {}

void NestProgressLine::Report(const NestStatus& status) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    const auto every = terminal_ ? std::chrono::milliseconds(500) : std::chrono::milliseconds(3000);
    if (written_ && now - last_ < every) {
        unwritten_ = status;
        return;
    }
    last_ = now;
    Write(status);
}

void NestProgressLine::Write(const NestStatus& status) {
    unwritten_.reset();
    std::string line = "nesting: ";
    line += strip_ ? "length " + FixedForReading(status.length, 1) : std::to_string(status.sheets) + (status.sheets == 1 ? " sheet" : " sheets");
    line += ", " + std::to_string(status.placed) + "/" + std::to_string(status.copies) + " parts placed, utilisation " +
            Percent(status.utilisation) + ", " + std::to_string(static_cast<int64_t>(std::ceil(status.secondsLeft))) + " s left";
    std::fputs(terminal_ ? ("\r" + line + "\x1b[K").c_str() : (line + "\n").c_str(), stderr);
    std::fflush(stderr);
    written_ = true;
}

void NestProgressLine::Finish() {
    if (shown_ && unwritten_) Write(*unwritten_);
    if (shown_ && written_ && terminal_) std::fputs("\n", stderr);
    written_ = false;
}

std::string NestSummaryText(const NestSummary& s) {
    std::string text = "Nest: " + std::to_string(s.sheets.size()) + (s.sheets.size() == 1 ? " sheet" : " sheets") + " of " +
                       FixedForReading(s.width, 1) + " x " + FixedForReading(s.height, 1) + " " + s.units + ", spacing " + FixedForReading(s.spacing, 2) +
                       "; seed " + std::to_string(s.seed) + ", " + std::to_string(s.evaluations) + " nests evaluated in " +
                       FixedForReading(s.seconds, 1) + " s" + (s.stopped ? " (stopped)" : "") + "\n";
    double cut = 0, travel = 0, minutes = 0, area = 0;
    int32_t placed = 0;
    bool timed = true;
    for (const SheetSummary& sheet : s.sheets) {
        std::string parts;
        for (const auto& [drawing, copies] : sheet.parts) {
            if (copies > 0) parts += (parts.empty() ? "" : ", ") + drawing + " " + std::to_string(copies);
        }
        text += "Sheet " + std::to_string(sheet.sheet) + ": " + sheet.program + ": " + std::to_string(PartsOn(sheet)) +
                " parts (" + parts + "), utilisation " + Percent(sheet.utilisation) + ", cut " + FixedForReading(sheet.job.cutLength, 1) +
                ", travel " + FixedForReading(sheet.job.travelLength, 1) + ", " + MinutesText(sheet.job) + "\n";
        cut += sheet.job.cutLength;
        travel += sheet.job.travelLength;
        placed += PartsOn(sheet);
        area += sheet.utilisation * s.width * s.height;
        timed = timed && sheet.job.minutes && std::isfinite(*sheet.job.minutes);
        if (timed) minutes += *sheet.job.minutes;
    }
    int32_t left = 0;
    for (const NotPlaced& part : s.notPlaced) left += part.copies;
    const double used = s.width * s.height * static_cast<double>(s.sheets.size());
    text += "Total: " + std::to_string(placed) + " parts placed, " + std::to_string(left) + " not placed; utilisation " +
            Percent(used > 0 ? area / used : 0) + ", cut " + FixedForReading(cut, 1) + ", travel " + FixedForReading(travel, 1) + ", " +
            (timed && !s.sheets.empty() ? "about " + FixedForReading(minutes, 1) + " min" : "no time estimate") + "\n";
    for (const NotPlaced& part : s.notPlaced) {
        text += "Not placed: " + part.part + ": " + std::to_string(part.copies) + (part.copies == 1 ? " copy (" : " copies (") +
                part.reason + ")\n";
    }
    return text;
}

std::string NestSummaryJson(const NestSummary& s) {
    Json json;
    json["sheet_width"] = s.width;
    json["sheet_height"] = s.height;
    json["units"] = s.units;
    json["spacing"] = s.spacing;
    json["seed"] = s.seed;
    json["evaluations"] = s.evaluations;
    json["seconds"] = s.seconds;
    json["stopped"] = s.stopped;
    Json sheets = Json::array();
    double cut = 0, travel = 0;
    int32_t placed = 0;
    for (const SheetSummary& sheet : s.sheets) {
        Json one;
        one["sheet"] = sheet.sheet;
        one["program"] = sheet.program;
        one["preview"] = sheet.preview;
        one["drawing"] = sheet.drawing;
        Json parts = Json::object();
        for (const auto& [drawing, copies] : sheet.parts) {
            if (copies > 0) parts[drawing] = copies;
        }
        one["parts"] = parts;
        one["utilisation"] = sheet.utilisation;
        one["pierces"] = sheet.job.pierces;
        one["cut_length"] = sheet.job.cutLength;
        one["travel_length"] = sheet.job.travelLength;
        one["minutes"] = Minutes(sheet.job);
        sheets.push_back(std::move(one));
        cut += sheet.job.cutLength;
        travel += sheet.job.travelLength;
        placed += PartsOn(sheet);
    }
    json["sheets"] = std::move(sheets);
    int32_t left = 0;
    Json notPlaced = Json::array();
    for (const NotPlaced& part : s.notPlaced) {
        left += part.copies;
        notPlaced.push_back(Json{{"part", part.part}, {"copies", part.copies}, {"reason", part.reason}});
    }
    json["totals"] = Json{{"sheets", s.sheets.size()}, {"parts_placed", placed}, {"parts_not_placed", left},
                          {"cut_length", cut}, {"travel_length", travel}};
    json["not_placed"] = std::move(notPlaced);
    return Dumped(json);
}

std::string StripSummaryText(const StripSummary& s) {
    return "Strip " + s.name + ": height " + FixedForReading(s.height, 1) + ", length used " + FixedForReading(s.length, 1) + ", utilisation " +
           Percent(s.utilisation) + "; " + std::to_string(s.placed) + "/" + std::to_string(s.copies) + " copies placed; seed " +
           std::to_string(s.seed) + ", " + std::to_string(s.evaluations) + " nests evaluated in " + FixedForReading(s.seconds, 1) + " s" +
           (s.stopped ? " (stopped)" : "") + "\n";
}

std::string StripSummaryJson(const StripSummary& s) {
    return Dumped(Json{{"name", s.name}, {"strip_height", s.height}, {"length", s.length}, {"utilisation", s.utilisation},
                       {"placed", s.placed}, {"copies", s.copies}, {"seed", s.seed}, {"evaluations", s.evaluations},
                       {"seconds", s.seconds}, {"stopped", s.stopped}});
}

}  // namespace zorvan
