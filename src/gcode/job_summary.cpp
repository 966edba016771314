// The job summary.
#include "gcode/job_summary.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gcode/program_units.h"
#include "gcode/templates.h"
#include "import/units.h"
#include "geometry/point.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/cut_shapes.h"
#include "planning/outlines.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

// The line without its comments: "(...)" anywhere and everything after ";".
std::string WithoutComments(std::string_view line) {
    std::string text;
    int depth = 0;
    for (const char c : line) {
        if (c == ';' && depth == 0) break;
        if (c == '(') ++depth;
        if (depth == 0) text += c;
        if (c == ')' && depth > 0) --depth;
    }
    return text;
}

// A word's number: digits with an optional sign and point, read whole; none when anything else follows.
std::optional<double> WordNumber(std::string_view text, size_t& at) {
    while (at < text.size() && text[at] == ' ') ++at;
    const size_t begin = at;
    while (at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == '.' ||
                                text[at] == '-' || text[at] == '+')) {
        ++at;
    }
    double value = 0;
    const char* first = text.data() + begin + (begin < at && text[begin] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, text.data() + at, value);
    if (begin == at || error != std::errc() || end != text.data() + at) return std::nullopt;
    return value;
}

// The lines the templates put before each cut (the header, then slots 1 to 20) and those every part runs
// (slots 1 to 30).
struct TemplateText {
    std::vector<std::string> beforeCut, perPart;
};

TemplateText TemplateLines(const Program& program) {
    TemplateText text{ReadTemplateFileLines(program, kHeaderFile), {}};
    for (int slot = 1; slot <= 30; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "LINE%03d", slot);
        std::vector<std::string> rows;
        EmitSlot(program, name, rows);
        for (const std::string& row : rows) {
            if (slot <= 20) text.beforeCut.push_back(row);
            text.perPart.push_back(row);
        }
    }
    return text;
}

Given Choose(std::optional<double> fromTemplates, std::optional<double> given, const std::string& name) {
    if (fromTemplates) return {fromTemplates, "templates"};
    if (given) return {given, name};
    return {};
}

std::string Plural(int32_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string RateText(const Given& given, std::string_view unit) {
    if (!given.value) return "not given";
    char text[64];
    std::snprintf(text, sizeof text, "%g", *given.value);
    return std::string(text) + std::string(unit) + " (" + given.source + ")";
}

}  // namespace

GcodeWords ReadGcodeWords(std::string_view line) {
    GcodeWords words;
    const std::string text = WithoutComments(line);
    bool dwell = false;
    std::optional<double> p;
    for (size_t at = 0; at < text.size();) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[at++])));
        if (!std::isalpha(static_cast<unsigned char>(letter))) continue;
        const std::optional<double> value = WordNumber(text, at);
        if (!value) continue;
        if (letter == 'F') words.feed = value;
        if (letter == 'G' && *value == 4) dwell = true;
        if (letter == 'G' && (*value == 20 || *value == 21)) words.lengthUnits = static_cast<int>(*value);
        if (letter == 'P') p = value;
    }
    if (dwell && p) words.delay = p;
    return words;
}

std::optional<double> TemplateFeed(const Program& program) {
    std::optional<double> feed;
    for (const std::string& line : TemplateLines(program).beforeCut) {
        if (const auto words = ReadGcodeWords(line); words.feed) feed = words.feed;
    }
    return feed;
}

JobSummary SummarizeJob(const Program& program, const JobRates& given, const RateNames& names) {
    JobSummary summary;
    summary.declaredUnits = program.declaredUnits;
    summary.programUnits = program.recordUnits;
    summary.unitsSource = program.unitsSource;
    // A drawing that declares no units is written as it stands, in whatever units the header sets.
    if (const auto header = UnitsOfHeader(program); header && !MillimetresPerUnitNamed(program.recordUnits)) {
        summary.programUnits = OutputUnitsName(header->units);
        summary.unitsSource = "the header's " + std::string(header->units == OutputUnits::Inches ? "G20" : "G21") +
                              "; the drawing declares none, its numbers as they stand";
    }
    summary.kerf = program.kerf;
    summary.kerfInProgram = program.kerfInProgram;
    summary.arcCentres = program.arcCentres;
    summary.kerfCheck = CheckKerf(program);
    summary.width = std::max(0.0, program.extMaxX - program.extMinX);
    summary.height = std::max(0.0, program.extMaxY - program.extMinY);
    summary.openLeftOut = program.openContoursLeftOut;
    summary.openInsideParts = program.openInsideParts;
    summary.leftOutReasons = program.leftOut;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        if (part.IsDeleted()) {
            ++summary.deletedLeftOut;
            continue;
        }
        const RecordList& records = entry.Records();
        const bool closes = ContourCloses(records);
        if (!closes && program.readMode == ReadMode::Sheet) {
            ++summary.openCut;
        } else {
            ++(part.Marker() == "OO" ? summary.outsideCuts : summary.holes);
        }
        ++summary.pierces;
        double length = LengthOf(LeadInPieces(program, i));
        for (const RecordValues& record : records) length += RecordLength(record);
        const CutFinish finish = FinishOf(program, i);
        length += LengthOf(finish.overcut) + LengthOf(finish.leadOut);
        summary.cutLength += length;
        if (IsSmallHole(program, i)) {
            ++summary.smallHoles;
            summary.smallHoleLength += length;
        }
    }
    for (const Travel& move : TravelMoves(program)) summary.travelLength += Distance(move.from, move.to);

    std::optional<double> delay;
    const std::optional<double> feed = TemplateFeed(program);
    const TemplateText templates = TemplateLines(program);
    for (const std::string& line : templates.perPart) {
        if (const auto words = ReadGcodeWords(line); words.delay) delay = delay.value_or(0) + *words.delay;
    }
    summary.feed = Choose(feed, given.feed, names.feed);
    summary.pierceDelay = Choose(delay, given.pierceDelay, names.pierceDelay);
    summary.rapid = Choose(std::nullopt, given.rapid, names.rapid);
    if (summary.feed.value && *summary.feed.value > 0) {
        // Small holes at their own feed, where it is known; the rest at the cutting feed.
        CutStyle style = program.cutStyle;
        style.feed = summary.feed.value;
        const std::optional<double> slow = SmallHoleFeedValue(style);
        summary.smallHoleFeed = summary.smallHoles > 0 ? slow : std::nullopt;
        const double small = slow && *slow > 0 ? summary.smallHoleLength : 0;
        double minutes = (summary.cutLength - small) / *summary.feed.value + (small > 0 ? small / *slow : 0);
        if (summary.pierceDelay.value) minutes += summary.pierces * *summary.pierceDelay.value / 60;
        if (summary.rapid.value && *summary.rapid.value > 0) minutes += summary.travelLength / *summary.rapid.value;
        summary.minutes = minutes;
    }
    return summary;
}

std::string SummaryText(const JobSummary& s) {
    std::string text = "Units: " + s.programUnits + " (" + s.unitsSource;
    if (s.declaredUnits != s.programUnits) text += "; the drawing's: " + s.declaredUnits;
    text += ")\nKerf: " + KerfText(s.kerf, false);
    if (s.kerf > 0 && s.kerfInProgram) text += ", allowed for by the program (no G41/G42)";
    if (const std::string warning = KerfWarning(s.kerfCheck); !warning.empty()) text += "; " + warning;
    text += s.arcCentres == ArcCentres::Relative ? "\nArc centres: relative (I and J from each arc's start)"
                                                 : "\nArc centres: absolute";
    text += "\nSize: " + FixedForReading(s.width, 2) + " x " + FixedForReading(s.height, 2) + "\n";
    text += "Parts: " + Plural(s.outsideCuts, "outside cut", "outside cuts") + ", " + Plural(s.holes, "hole", "holes");
    if (s.openCut > 0) text += ", " + Plural(s.openCut, "open contour", "open contours") + " cut without compensation";
    text += "\nLeft out: " + Plural(s.openLeftOut, "open contour", "open contours");
    if (s.openInsideParts > 0) text += " (" + std::to_string(s.openInsideParts) + " inside parts)";
    text += ", " + Plural(s.deletedLeftOut, "deleted part", "deleted parts");
    for (const auto& [what, count] : s.leftOutReasons) text += ", " + std::to_string(count) + " " + what;
    text += "\n";
    text += "Pierces: " + std::to_string(s.pierces) + "\n";
    text += "Cut length: " + FixedForReading(s.cutLength, 1) + " (lead-ins, overcuts and lead-outs included)\n";
    if (s.smallHoles > 0) {
        text += "Small holes: " + std::to_string(s.smallHoles) + ", cut " + FixedForReading(s.smallHoleLength, 1) + " at " +
                (s.smallHoleFeed ? "F" + FixedForReading(*s.smallHoleFeed, 0) : std::string("a feed not known")) + "\n";
    }
    text += "Travel: " + FixedForReading(s.travelLength, 1) + "\n";
    text += "Feed: " + RateText(s.feed, " per minute") + "; pierce delay: " + RateText(s.pierceDelay, " s") +
            "; rapid: " + RateText(s.rapid, " per minute") + "\n";
    if (!s.minutes) {
        text += "Time: no estimate without a feed (an F word in the templates, or --feed)\n";
    } else if (!std::isfinite(*s.minutes)) {
        text += "Time: not known\n";
    } else {
        text += "Time: about " + FixedForReading(*s.minutes, 1) + " min";
        if (!s.pierceDelay.value) text += ", pierce delays not counted";
        if (!s.rapid.value) text += ", travel not counted";
        text += "\n";
    }
    return text;
}

std::string SummaryLine(const JobSummary& s) {
    std::string line = Plural(s.outsideCuts, "outside cut", "outside cuts") + ", " + Plural(s.holes, "hole", "holes") +
                       ", " + Plural(s.pierces, "pierce", "pierces") + "; cut " + FixedForReading(s.cutLength, 1) +
                       ", travel " + FixedForReading(s.travelLength, 1);
    if (s.smallHoles > 0) line += " (" + Plural(s.smallHoles, "small hole", "small holes") + " slower)";
    if (s.minutes && std::isfinite(*s.minutes)) line += "; about " + FixedForReading(*s.minutes, 1) + " min";
    line += "; " + KerfText(s.kerf, true);
    if (s.kerf > 0 && s.kerfInProgram) line += " in the program";
    if (s.openLeftOut > 0) line += "; " + Plural(s.openLeftOut, "open contour", "open contours") + " not cut";
    if (s.deletedLeftOut > 0) line += "; " + Plural(s.deletedLeftOut, "deleted part", "deleted parts") + " left out";
    return line + ".";
}

}  // namespace zorvan
