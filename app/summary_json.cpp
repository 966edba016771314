// The job summary as JSON, laid out two spaces a level, a member a line.
#include "summary_json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace zorvan {

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;  // keys with their values, written as JSON

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 when it is not one (a stray byte,
// an overlong form, a surrogate, a code point past U+10FFFF, a sequence cut short).
size_t Utf8Length(std::string_view text) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || text.size() < length) return 0;
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// A JSON string. Text from the drawing (the names of what was left out) may hold any bytes: those that are not
// UTF-8 become U+FFFD, control characters are escaped.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (size_t at = 0; at < text.size();) {
        const char c = text[at];
        const size_t length = Utf8Length(text.substr(at));
        if (length == 0) {
            quoted += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            quoted += {'\\', c};
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += kHex[(c >> 4) & 0xF];
            quoted += kHex[c & 0xF];
        } else {
            quoted.append(text.substr(at, length));
        }
        at += length;
    }
    return quoted + "\"";
}

// The shortest text that reads back as the same double; null for a value that is not finite, which JSON
// cannot hold.
std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : "null";
}

std::string Number(const std::optional<double>& value) { return value ? Number(*value) : "null"; }

std::string Indent(int depth) { return std::string(static_cast<size_t>(2 * depth), ' '); }

std::string Object(const Members& members, int depth) {
    if (members.empty()) return "{}";
    std::string text = "{\n";
    for (size_t i = 0; i < members.size(); ++i) {
        text += Indent(depth + 1) + Quoted(members[i].first) + ": " + members[i].second;
        text += i + 1 < members.size() ? ",\n" : "\n";
    }
    return text + Indent(depth) + "}";
}

std::string Array(const std::vector<int32_t>& values, int depth) {
    if (values.empty()) return "[]";
    std::string text = "[\n";
    for (size_t i = 0; i < values.size(); ++i) {
        text += Indent(depth + 1) + std::to_string(values[i]) + (i + 1 < values.size() ? ",\n" : "\n");
    }
    return text + Indent(depth) + "]";
}

std::string GivenObject(const Given& given) {
    return Object({{"value", Number(given.value)}, {"source", given.value ? Quoted(given.source) : "null"}}, 1);
}

}  // namespace

std::string SummaryJson(const JobSummary& s) {
    const KerfCheck& k = s.kerfCheck;
    const Members refused = {{"short_lead_ins", Array(k.shortLeadIns, 2)},  {"lead_in_corners", Array(k.leadInCorners, 2)},
                             {"small_arcs", Array(k.smallArcs, 2)},         {"tight_corners", Array(k.tightCorners, 2)},
                             {"narrow_slots", Array(k.narrowSlots, 2)}};
    Members reasons;
    for (const auto& [what, count] : s.leftOutReasons) reasons.emplace_back(what, std::to_string(count));
    const Members summary = {
        {"units", Quoted(s.programUnits)},
        {"units_source", Quoted(s.unitsSource)},
        {"declared_units", Quoted(s.declaredUnits)},
        {"kerf", s.kerf > 0 ? Number(s.kerf) : "null"},
        {"kerf_refusals", Object(refused, 1)},
        {"width", Number(s.width)},
        {"height", Number(s.height)},
        {"outside_cuts", std::to_string(s.outsideCuts)},
        {"holes", std::to_string(s.holes)},
        {"open_contours_cut", std::to_string(s.openCut)},
        {"open_contours_left_out", std::to_string(s.openLeftOut)},
        {"deleted_parts_left_out", std::to_string(s.deletedLeftOut)},
        {"open_contours_inside_parts", std::to_string(s.openInsideParts)},
        {"left_out_reasons", Object(reasons, 1)},
        {"pierces", std::to_string(s.pierces)},
        {"cut_length", Number(s.cutLength)},
        {"travel_length", Number(s.travelLength)},
        {"feed_per_minute", GivenObject(s.feed)},
        {"pierce_delay_seconds", GivenObject(s.pierceDelay)},
        {"rapid_per_minute", GivenObject(s.rapid)},
        {"minutes", Number(s.minutes)},
    };
    return Object(summary, 0) + "\n";
}

}  // namespace zorvan
