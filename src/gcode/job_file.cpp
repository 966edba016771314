// Job files: writing, reading back and restoring the plan.
#include "gcode/job_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "gcode/job_summary.h"
#include "gcode/part_file.h"
#include "gcode/program_writer.h"
#include "model/record_text.h"
#include "model/text_file.h"
#include "planning/kerf_check.h"
#include "planning/scrap_lead_ins.h"

namespace zorvan {

namespace {

constexpr std::string_view kFirstLinePrefix = "ZORVAN job ";
constexpr char kHexDigits[] = "0123456789abcdef";
// How much of a value a message quotes: enough to recognise it, never a whole line of a hostile file.
constexpr size_t kQuotedBytes = 40;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            out += "\\\\";
        } else if (IsControl(c)) {
            out += "\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

// The shortest text that reads back as the same double.
std::string ExactNumber(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

std::string Joined(const std::vector<int32_t>& numbers) {
    std::string text;
    for (const int32_t number : numbers) text += (text.empty() ? "" : " ") + std::to_string(number);
    return text;
}

std::string HashText(std::uint64_t hash) {
    std::string text(16, '0');
    for (int k = 15; k >= 0; --k, hash >>= 4) text[static_cast<size_t>(k)] = kHexDigits[hash & 15];
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value as it stands in the file, so that a message stays on one line.
std::string Quote(std::string_view text) {
    return "\"" + Escaped(text.substr(0, kQuotedBytes)) + (text.size() > kQuotedBytes ? "...\"" : "\"");
}

// A refusal of the line being read; caught where the whole file is parsed.
struct JobFault {
    std::string what;
};

// Reads a job's lines in their fixed order, each one keyword and its value. Every line is looked at once, and
// nothing is allocated by a count the file gives before the lines it counts have been read.
class JobParser {
public:
    explicit JobParser(std::string_view text) : lines_(text) {}

    int LineNumber() const { return lineNumber_; }

    // The first line's format number, or nothing when the text does not start as a job file.
    std::optional<int> Format() {
        const auto line = lines_.ReadLine();
        lineNumber_ = 1;
        if (!line || !line->starts_with(kFirstLinePrefix)) return std::nullopt;
        return Digits(line->substr(kFirstLinePrefix.size()), 9);
    }

    // The value of the next line, which must be `keyword`'s.
    std::string Value(std::string_view keyword) {
        const auto line = lines_.ReadLine();
        ++lineNumber_;
        if (!line) Fail("the file ends where the \"" + std::string(keyword) + "\" line should be (it is cut short)");
        for (const char c : *line) {
            if (IsControl(static_cast<unsigned char>(c))) Fail("a control character, which a job file never holds");
        }
        if (*line == keyword) return {};
        if (!line->starts_with(keyword) || line->size() == keyword.size() || (*line)[keyword.size()] != ' ') {
            Fail("a line starting \"" + std::string(keyword) + "\" is expected here");
        }
        return Unescaped(line->substr(keyword.size() + 1));
    }

    double Number(std::string_view keyword, std::string_view what) { return NumberIn(Value(keyword), what); }

    double NumberIn(std::string_view text, std::string_view what) {
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
            Fail("the " + std::string(what) + " " + Quote(text) + " is not a number");
        }
        return value;
    }

    // A count or row number of at most `most`.
    int32_t CountIn(std::string_view text, std::string_view what, int32_t most) {
        const std::optional<int> value = Digits(text, 9);
        if (!value) Fail("the " + std::string(what) + " " + Quote(text) + " is not a whole number");
        if (*value > most) Fail("the " + std::string(what) + " " + std::to_string(*value) + " is more than " + std::to_string(most));
        return *value;
    }

    std::vector<std::string_view> Fields(std::string_view text, size_t count, std::string_view what) {
        std::vector<std::string_view> fields = SplitFields(text);
        if (fields.size() != count) {
            Fail("the " + std::string(what) + " are " + std::to_string(count) + " numbers with one blank between them");
        }
        return fields;
    }

    template <typename T>
    T Choice(std::string_view keyword, std::string_view first, T firstValue, std::string_view second, T secondValue) {
        const std::string value = Value(keyword);
        if (value == first) return firstValue;
        if (value == second) return secondValue;
        Fail("the " + std::string(keyword) + " " + Quote(value) + " is neither \"" + std::string(first) + "\" nor \"" +
             std::string(second) + "\"");
    }

    // A number of 0 or more.
    double Length(std::string_view keyword, std::string_view what) {
        const double value = Number(keyword, what);
        if (value < 0) Fail("the " + std::string(what) + " must be 0 or more");
        return value;
    }

    void End() {
        Value("end");
        if (lines_.ReadLine()) {
            ++lineNumber_;
            Fail("nothing may follow the \"end\" line");
        }
    }

    [[noreturn]] void Fail(std::string what) const { throw JobFault{std::move(what)}; }

private:
    // A plain decimal number of at most `most` digits.
    static std::optional<int> Digits(std::string_view text, size_t most) {
        if (text.empty() || text.size() > most) return std::nullopt;
        int value = 0;
        for (const char c : text) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    }

    std::string Unescaped(std::string_view text) const {
        std::string out;
        out.reserve(text.size());
        for (size_t k = 0; k < text.size(); ++k) {
            if (text[k] != '\\') {
                out += text[k];
            } else if (k + 1 < text.size() && text[k + 1] == '\\') {
                out += '\\';
                ++k;
            } else if (k + 3 < text.size() && text[k + 1] == 'x' && HexValue(text[k + 2]) >= 0 &&
                       HexValue(text[k + 3]) >= 0) {
                out += static_cast<char>(HexValue(text[k + 2]) * 16 + HexValue(text[k + 3]));
                k += 3;
            } else {
                Fail("a \"\\\" that is followed neither by \"\\\" nor by \"x\" and two hex digits");
            }
        }
        return out;
    }

    LineReader lines_;
    int lineNumber_ = 0;
};

DrawingFingerprint ParseFingerprint(JobParser& parser) {
    const std::string value = parser.Value("fingerprint");
    const auto fields = parser.Fields(value, 2, "fingerprint's size and hash");
    DrawingFingerprint fingerprint;
    const std::string_view size = fields[0], hash = fields[1];
    const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), fingerprint.size);
    if (size.empty() || size[0] == '-' || error != std::errc() || end != size.data() + size.size()) {
        parser.Fail("the drawing's size " + Quote(size) + " is not a whole number");
    }
    if (hash.size() != 16) parser.Fail("the drawing's hash " + Quote(hash) + " is not 16 hex digits");
    for (const char c : hash) {
        const int digit = HexValue(c);
        if (digit < 0) parser.Fail("the drawing's hash " + Quote(hash) + " is not 16 hex digits");
        fingerprint.hash = fingerprint.hash << 4 | static_cast<std::uint64_t>(digit);
    }
    return fingerprint;
}

LeadInStyle ParseLeadInStyle(JobParser& parser, std::string_view keyword) {
    return parser.Choice(keyword, "line", LeadInStyle::Line, "arc", LeadInStyle::Arc);
}

// The cut style's lines (format 3 on). A job planned in the default mode has the default style: that mode
// keeps its lead-ins of lines, so any other is a damaged file.
CutStyle ParseCutStyle(JobParser& parser, ReadMode mode) {
    CutStyle style;
    style.outline = ParseLeadInStyle(parser, "lead-in-style");
    style.hole = ParseLeadInStyle(parser, "hole-lead-in-style");
    style.arcRadius = parser.Length("lead-in-radius", "lead-in radius");
    style.overcut = parser.Length("overcut", "overcut");
    const std::string leadOut = parser.Value("lead-out");
    const std::optional<LeadOutStyle> leadOutStyle = LeadOutStyleNamed(leadOut);
    if (!leadOutStyle) parser.Fail("the lead-out " + Quote(leadOut) + " is none of \"none\", \"line\" and \"arc\"");
    style.leadOut = *leadOutStyle;
    style.leadOutLength = parser.Length("lead-out-length", "lead-out length");
    style.smallHoleDiameter = parser.Length("small-holes", "small holes' diameter");
    const std::string feed = parser.Value("small-hole-feed");
    const auto fields = SplitFields(feed);
    if (fields.size() != 2 || (fields[0] != "share" && fields[0] != "feed")) {
        parser.Fail("the small-hole feed " + Quote(feed) + " is neither \"share\" nor \"feed\" and a number");
    }
    style.smallHoleFeedIsShare = fields[0] == "share";
    style.smallHoleFeed = parser.NumberIn(fields[1], "small-hole feed");
    if (!(style.smallHoleFeed > 0) || (style.smallHoleFeedIsShare && style.smallHoleFeed > 1)) {
        parser.Fail(style.smallHoleFeedIsShare ? "the small-hole feed's share must be above 0 and at most 1"
                                               : "the small-hole feed must be above 0");
    }
    if (mode == ReadMode::Default && style != CutStyle{}) {
        parser.Fail("the job is planned in the default mode, which keeps its lead-ins of lines: a cut style "
                    "applies in sheet mode only");
    }
    return style;
}

JobFile ParseJob(JobParser& parser, int format) {
    JobFile job;
    job.drawingPath = parser.Value("drawing");
    if (job.drawingPath.empty()) parser.Fail("the drawing's path is empty");
    job.fingerprint = ParseFingerprint(parser);
    job.read.mode = parser.Choice("mode", "default", ReadMode::Default, "sheet", ReadMode::Sheet);
    job.read.units = parser.Choice("units", "millimetres", OutputUnits::Millimetres, "inches", OutputUnits::Inches);
    job.read.unitsSource = parser.Value("units-source");
    job.read.cutOpen = parser.Choice("cut-open", "no", false, "yes", true);
    job.read.curveTolerance = parser.Number("curve-tolerance", "curve tolerance");
    if (!(job.read.curveTolerance > 0)) parser.Fail("the curve tolerance must be greater than 0");
    job.kerf = parser.Number("kerf", "kerf");
    if (job.kerf < 0) parser.Fail("the kerf must be 0 or more");
    if (format >= 2) job.kerfInProgram = parser.Choice("compensation", "controller", false, "program", true);
    job.leadIn = parser.Value("lead-in");
    if (format >= 3) job.cutStyle = ParseCutStyle(parser, job.read.mode);

    const std::string extents = parser.Value("extents");
    const auto corners = parser.Fields(extents, 4, "extents");
    job.extMinX = parser.NumberIn(corners[0], "extents' least x");
    job.extMinY = parser.NumberIn(corners[1], "extents' least y");
    job.extMaxX = parser.NumberIn(corners[2], "extents' greatest x");
    job.extMaxY = parser.NumberIn(corners[3], "extents' greatest y");
    const std::string counts = parser.Value("sheet-plan");
    const auto plan = parser.Fields(counts, 3, "sheet plan's counts");
    job.openContoursLeftOut = parser.CountIn(plan[0], "count of open contours", kMaxContours);
    job.openInsideParts = parser.CountIn(plan[1], "count of open contours inside parts", kMaxContours);
    job.closedNotPlannedOnce = parser.CountIn(plan[2], "count of contours not cut once", kMaxContours);

    const int32_t parts = parser.CountIn(parser.Value("parts"), "number of parts", kMaxContours);
    job.parts.reserve(static_cast<size_t>(parts));
    for (int32_t i = 0; i < parts; ++i) job.parts.push_back(parser.Value("part"));
    const std::string unclear = parser.Value("unclear");
    if (!unclear.empty()) {
        const auto rows = SplitFields(unclear);
        if (rows.size() > job.parts.size()) parser.Fail("more parts with an unclear lead-in than the plan has parts");
        for (const std::string_view row : rows) {
            const int32_t part = parser.CountIn(row, "part with an unclear lead-in", kMaxContours);
            if (part >= parts) {
                parser.Fail("part " + std::to_string(part) + " has an unclear lead-in, but the plan has " +
                            std::to_string(parts) + " parts");
            }
            job.unclearLeadIns.push_back(part);
        }
    }
    if (format >= 2) {  // the open contours the plan left out, which the window draws dashed
        const int32_t open = parser.CountIn(parser.Value("open-contours"), "number of open contours", kMaxContours);
        job.openLeftOut.reserve(static_cast<size_t>(open));
        for (int32_t i = 0; i < open; ++i) job.openLeftOut.push_back(parser.Value("open-contour"));
    }
    const int32_t contours = parser.CountIn(parser.Value("contours"), "number of contours", kMaxContours);
    job.contours.reserve(static_cast<size_t>(contours));
    for (int32_t i = 0; i < contours; ++i) job.contours.push_back(parser.Value("contour"));
    job.contourChain = parser.Value("chain");
    parser.End();
    return job;
}

}  // namespace

DrawingFingerprint FingerprintOf(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return {bytes.size(), hash};
}

FileFingerprint FingerprintOfFile(const std::string& path) {
    if (const auto problem = WhyFileCannotBeRead(path)) return {std::nullopt, problem->reason};
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return {std::nullopt, "it could not be read to the end"};
    return {FingerprintOf(*bytes), {}};
}

JobFile CaptureJob(const Program& program, const DrawingFingerprint& fingerprint, JobWindowValues window) {
    JobFile job;
    job.drawingPath = program.openedDrawingPath;
    job.read.mode = program.readMode;
    // Sheet mode writes a drawing that declares its units in the units asked for, and names their source; a
    // drawing that declares none is read as it stands whatever is asked.
    job.read.units = program.recordUnits == "inches" ? OutputUnits::Inches : OutputUnits::Millimetres;
    job.read.unitsSource = program.unitsSource;
    job.read.cutOpen = window.cutOpen;
    job.fingerprint = fingerprint;
    job.kerf = program.kerf;
    job.kerfInProgram = program.kerfInProgram;
    job.leadIn = std::move(window.leadIn);
    // The default mode plans its lead-ins of lines whatever the style says.
    if (program.readMode == ReadMode::Sheet) job.cutStyle = program.cutStyle;
    job.cutStyle.feed.reset();
    job.extMinX = program.extMinX, job.extMinY = program.extMinY;
    job.extMaxX = program.extMaxX, job.extMaxY = program.extMaxY;
    job.openContoursLeftOut = program.openContoursLeftOut;
    job.openInsideParts = program.openInsideParts;
    job.closedNotPlannedOnce = program.closedNotPlannedOnce;
    const int32_t parts = PartRowCount(program);
    for (int32_t i = 0; i < parts; ++i) job.parts.push_back(program.partList[static_cast<size_t>(i)].Text());
    for (const int32_t row : window.unclearLeadIns) {
        if (row >= 0 && row < parts) job.unclearLeadIns.push_back(row);
    }
    const int32_t contours = std::clamp(program.contourCount, 0, kMaxContours);
    job.contours.assign(program.contourList.begin(), program.contourList.begin() + contours);
    job.contourChain = program.contourChain;
    for (const PartEntry& open : program.openLeftOut) job.openLeftOut.push_back(open.Text());
    return job;
}

std::string WriteJobText(const JobFile& job) {
    std::vector<std::string> lines;
    lines.reserve(job.parts.size() + job.contours.size() + 20);
    const auto add = [&lines](std::string_view keyword, std::string_view value) {
        lines.push_back(value.empty() ? std::string(keyword) : std::string(keyword) + " " + Escaped(value));
    };
    lines.push_back(std::string(kFirstLinePrefix) + std::to_string(kJobFormat));
    add("drawing", job.drawingPath);
    add("fingerprint", std::to_string(job.fingerprint.size) + " " + HashText(job.fingerprint.hash));
    add("mode", job.read.mode == ReadMode::Sheet ? "sheet" : "default");
    add("units", job.read.units == OutputUnits::Inches ? "inches" : "millimetres");
    add("units-source", job.read.unitsSource);
    add("cut-open", job.read.cutOpen ? "yes" : "no");
    add("curve-tolerance", ExactNumber(job.read.curveTolerance));
    add("kerf", ExactNumber(job.kerf));
    add("compensation", job.kerfInProgram ? "program" : "controller");
    add("lead-in", job.leadIn);
    const CutStyle& style = job.cutStyle;
    add("lead-in-style", StyleName(style.outline));
    add("hole-lead-in-style", StyleName(style.hole));
    add("lead-in-radius", ExactNumber(style.arcRadius));
    add("overcut", ExactNumber(style.overcut));
    add("lead-out", StyleName(style.leadOut));
    add("lead-out-length", ExactNumber(style.leadOutLength));
    add("small-holes", ExactNumber(style.smallHoleDiameter));
    add("small-hole-feed", (style.smallHoleFeedIsShare ? "share " : "feed ") + ExactNumber(style.smallHoleFeed));
    add("extents", ExactNumber(job.extMinX) + " " + ExactNumber(job.extMinY) + " " + ExactNumber(job.extMaxX) + " " +
                       ExactNumber(job.extMaxY));
    add("sheet-plan", Joined({job.openContoursLeftOut, job.openInsideParts, job.closedNotPlannedOnce}));
    add("parts", std::to_string(job.parts.size()));
    for (const std::string& part : job.parts) add("part", part);
    add("unclear", Joined(job.unclearLeadIns));
    add("open-contours", std::to_string(job.openLeftOut.size()));
    for (const std::string& open : job.openLeftOut) add("open-contour", open);
    add("contours", std::to_string(job.contours.size()));
    for (const std::string& contour : job.contours) add("contour", contour);
    add("chain", job.contourChain);
    lines.emplace_back("end");
    return JoinCrLf(lines);
}

JobRead ParseJobText(std::string_view text, const std::string& name) {
    JobParser parser(text);
    const std::optional<int> format = parser.Format();
    if (!format || *format < 1) return {std::nullopt, name + " is not a job file."};
    if (*format > kJobFormat) {
        return {std::nullopt, name + " is a job file of format " + std::to_string(*format) +
                                  ", written by a newer version of ZORVAN; this version reads format " +
                                  std::to_string(kJobFormat) + "."};
    }
    try {
        return {ParseJob(parser, *format), {}};
    } catch (const JobFault& fault) {
        return {std::nullopt, name + " line " + std::to_string(parser.LineNumber()) + ": " + fault.what + "."};
    }
}

JobRead ReadJobFile(const std::string& path) {
    if (const auto problem = WhyFileCannotBeRead(path)) {
        return {std::nullopt, path + " cannot be read: " + problem->reason + "."};
    }
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return {std::nullopt, path + " cannot be read."};
    return ParseJobText(*text, path);
}

void RestoreJobPlan(Program& program, const JobFile& job) {
    const int32_t before = PartRowCount(program);
    const auto parts = static_cast<int32_t>(std::min<size_t>(job.parts.size(), kMaxContours));
    for (int32_t i = 0; i < parts; ++i) program.partList[static_cast<size_t>(i)] = job.parts[static_cast<size_t>(i)];
    for (int32_t i = parts; i < before; ++i) program.partList[static_cast<size_t>(i)] = PartEntry();
    program.partCount = parts;
    const auto contours = static_cast<int32_t>(std::min<size_t>(job.contours.size(), kMaxContours));
    for (int32_t i = 0; i < contours; ++i) program.contourList[static_cast<size_t>(i)] = job.contours[static_cast<size_t>(i)];
    program.contourCount = contours;
    program.contourChain = job.contourChain;
    program.openLeftOut.assign(job.openLeftOut.begin(), job.openLeftOut.end());
    program.extMinX = job.extMinX, program.extMinY = job.extMinY;
    program.extMaxX = job.extMaxX, program.extMaxY = job.extMaxY;
    program.openedDrawingPath = job.drawingPath;
    ApplyJobSettings(program, job);
}

void ApplyJobSettings(Program& program, const JobFile& job) {
    program.kerf = job.kerf;
    program.kerfInProgram = job.kerfInProgram;
    program.cutStyle = job.cutStyle;
    program.cutStyle.feed = TemplateFeed(program);
    program.openContoursLeftOut = job.openContoursLeftOut;
    program.openInsideParts = job.openInsideParts;
    program.closedNotPlannedOnce = job.closedNotPlannedOnce;
}

std::string NumberBoxText(double value) { return value > 0 ? ExactNumber(value) : std::string(); }

std::string ChangedDrawingWarning(const std::string& drawingPath) {
    return "The drawing " + drawingPath + " has changed since the job was saved; the plan is the one saved in the job.";
}

std::string JobDrawingRefusal(const std::string& jobPath, const std::string& drawingPath, std::string_view reason) {
    return "The job " + jobPath + " was not opened: its drawing " + drawingPath + " " + std::string(reason);
}

JobResult RunJobFile(Program& program, const JobFile& job, std::string dxfText, bool partFile, std::optional<double> feed) {
    JobResult result;
    result.read = LoadDxfText(program, dxfText, job.read);
    std::string().swap(dxfText);
    if (result.read.outcome != DxfReadOutcome::Loaded) return result;
    RestoreJobPlan(program, job);
    if (!program.cutStyle.feed) program.cutStyle.feed = feed;
    result.unclearLeadIns = job.unclearLeadIns;
    result.leadIns = CheckLeadIns(program);
    WritePlannedJob(program, partFile, result);
    return result;
}

}  // namespace zorvan
