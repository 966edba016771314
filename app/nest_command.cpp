// zorvan-cli --nest.
#include "nest_command.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "draw/svg_surface.h"
#include "draw/view.h"
#include "gcode/nest_job.h"
#include "gcode/program_units.h"
#include "gcode/templates.h"
#include "import/opening.h"
#include "model/number_text.h"
#include "model/text_file.h"
#include "nest_summary.h"
#include "planning/scrap_lead_ins.h"
#include "read_failure.h"
#include "strip_instance.h"

namespace zorvan {

namespace {

namespace fs = std::filesystem;

// The nest options, for the check that none is given without --nest.
const char* const kNestOptions[] = {"--sheet-size", "--sheets", "--spacing", "--rotations", "--any-angle", "--mirror",
                                    "--nest-seconds", "--nest-evaluations", "--seed", "--nest-threads",
                                    "--strip-instance", "--strip-height"};

// A number from `low` to `high`: unlike CLI11's ranges, "nan" is refused (a time limit that is not a number
// would never be reached).
CLI::Validator Between(double low, double high) {
    return CLI::Validator(
        [low, high](const std::string& text) {
            double value = 0;
            const bool number = CLI::detail::lexical_cast(text, value);
            const auto shortest = [](double v) {
                char digits[32];
                return std::string(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
            };
            return number && value >= low && value <= high ? std::string()
                                                           : "not a number from " + shortest(low) + " to " + shortest(high);
        },
        "NUMBER");
}

int Fail(int status, const std::string& what) {
    std::fprintf(stderr, "zorvan-cli: %s\n", what.c_str());
    return status;
}

void Warn(bool quiet, const std::string& file, const std::string& warning) {
    if (!quiet && !warning.empty()) std::fprintf(stderr, "zorvan-cli: %s: warning: %s\n", file.c_str(), warning.c_str());
}

// "2500x1250" (or "2500X1250", "2500*1250"): two lengths above 0.
std::optional<std::pair<double, double>> SheetSize(const std::string& text) {
    const size_t by = text.find_first_of("xX*");
    if (by == std::string::npos) return std::nullopt;
    const std::optional<double> width = ParseWholeNumber(text.substr(0, by)), height = ParseWholeNumber(text.substr(by + 1));
    // At most 100,000 units: 100 m in millimetres, larger than any cutting table.
    if (!width || !height || !(*width > 0) || !(*height > 0) || *width > 1e5 || *height > 1e5) return std::nullopt;
    return std::pair{*width, *height};
}

// "bracket.dxf:4": the drawing and its count; without ":COUNT" one copy.
struct OrderLine {
    std::string path;
    int32_t count = 1;
};
std::optional<OrderLine> ParseOrderLine(const std::string& text) {
    const size_t colon = text.find_last_of(':');
    if (colon == std::string::npos || colon + 1 == text.size() ||
        text.find_first_not_of("0123456789", colon + 1) != std::string::npos) {
        return OrderLine{text, 1};
    }
    const std::string digits = text.substr(colon + 1);
    if (digits.size() > 9) return std::nullopt;
    const int32_t count = std::stoi(digits);
    if (count < 1 || count > kMostNestCopies) return std::nullopt;
    return OrderLine{text.substr(0, colon), count};
}

std::vector<double> Angles(const NestCommand& command) {
    const int32_t steps = command.anyAngle ? 360 : command.rotations;
    std::vector<double> angles;
    for (int32_t k = 0; k < steps; ++k) angles.push_back(360.0 * k / steps);
    return angles;
}

// Ctrl+C during the search stops it; the best nest so far is written. A second one ends the program.
std::atomic<bool> interrupted{false};
extern "C" void StopSearch(int) { interrupted.store(true); }

class InterruptStopsSearch {
public:
    InterruptStopsSearch() {
        struct sigaction action {};
        action.sa_handler = StopSearch;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        installed_ = ::sigaction(SIGINT, nullptr, &previous_) == 0 && previous_.sa_handler != SIG_IGN &&
                     ::sigaction(SIGINT, &action, nullptr) == 0;
    }
    ~InterruptStopsSearch() {
        if (installed_) ::sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptStopsSearch(const InterruptStopsSearch&) = delete;
    InterruptStopsSearch& operator=(const InterruptStopsSearch&) = delete;

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

NestLimits LimitsOf(const NestCommand& command) {
    NestLimits limits;
    limits.seconds = command.seconds;
    limits.mostEvaluations = command.evaluations;
    limits.seed = command.seed;
    limits.threads = command.threads;
    limits.stop = &interrupted;
    return limits;
}

NestResult Search(const NestJob& job, const NestCommand& command, bool quiet) {
    NestProgressLine progress(!quiet, job.strip);
    const InterruptStopsSearch interruption;
    NestResult nest = NestParts(job, LimitsOf(command), &progress);
    progress.Finish();
    return nest;
}

// The sheet as sheet mode's preview shows it (the parts, the kerf bands, the cut shapes and the torch's route),
// fitted with margin to the sheet, its edge in grey.
std::string SheetPreview(Program& program, int32_t partCount, double width, double height) {
    SvgSurface preview(1000, std::clamp(1000 * height / width, 200.0, 1000.0));
    FitView(program, preview, 0, height, width, 0, true);
    RedrawSheetPreview(program, partCount, preview);
    preview.SetPenWidth(1);
    preview.Rectangle(0, 0, width, height, kGrey);
    return preview.Svg();
}

struct Reading {
    NestOrder order;
    int status = kDone;
};

// Each drawing's bytes, checked as the main job checks them; every refusal is told, the worst status kept.
Reading ReadOrder(const NestCommand& command, const NestSettings& settings, const JobOptions& job,
                  const std::pair<double, double>& size) {
    Reading reading;
    reading.order.sheetWidth = size.first;
    reading.order.sheetHeight = size.second;
    reading.order.spacing = command.spacing;
    reading.order.angles = Angles(command);
    reading.order.mirror = command.mirror;
    reading.order.mostSheets = command.sheets;
    reading.order.job = job;
    reading.order.kerf = settings.kerf;
    for (const std::string& line : settings.order) {
        const std::optional<OrderLine> parsed = ParseOrderLine(line);
        if (!parsed) {
            reading.status = std::max(reading.status, Fail(kUsage, line + ": the count after \":\" must be from 1 to " +
                                                                       std::to_string(kMostNestCopies)));
            continue;
        }
        if (parsed->path == "-") {
            reading.status = std::max(reading.status, Fail(kUsage, "-: --nest reads drawings from files only: name them"));
            continue;
        }
        const std::string path = NormalisePath(parsed->path);
        if (const auto problem = WhyFileCannotBeRead(path)) {
            const bool large = problem->refusal == ReadRefusal::TooLarge;
            reading.status = std::max(reading.status, Fail(large ? kTooLarge : kCannotRead,
                                                           path + ": " + (large ? OpeningRefusalMessage(path, *problem)
                                                                                : "cannot be read: " + problem->reason)));
            continue;
        }
        if (!IsDxfPath(path)) {
            reading.status = std::max(reading.status, Fail(kNotDxf, path + ": not a DXF file (the name must end in .dxf)"));
            continue;
        }
        std::optional<std::string> text = ReadWholeFile(path);
        if (!text) {
            reading.status = std::max(reading.status, Fail(kCannotRead, path + ": cannot be read"));
            continue;
        }
        reading.order.drawings.push_back({path, std::move(*text), parsed->count});
    }
    return reading;
}

// A program for a sheet as the command line asks for it; the refusal where its options clash with the
// templates.
std::unique_ptr<Program> ProgramFor(const NestSettings& settings, std::string* refusal = nullptr) {
    auto program = std::make_unique<Program>();
    program->templateFolder = settings.templates;
    LoadTemplates(*program);
    program->kerf = settings.kerf;
    program->kerfInProgram = settings.kerfInProgram;
    if (settings.prepare) {
        const std::string clash = settings.prepare(*program);
        if (refusal) *refusal = clash;
    }
    return program;
}

// The copies left off the sheets, per part, with why.
std::vector<NotPlaced> LeftOff(const NestInput& input, const NestResult& nest, const NestCommand& command) {
    std::vector<NotPlaced> left;
    std::vector<int32_t> counts(input.job.items.size(), 0);
    for (const auto& [item, copy] : nest.notPlaced) ++counts[static_cast<size_t>(item)];
    for (size_t item = 0; item < counts.size(); ++item) {
        if (counts[item] == 0) continue;
        const bool fitsNone = std::find(nest.fitNoSheet.begin(), nest.fitNoSheet.end(), static_cast<int32_t>(item)) != nest.fitNoSheet.end();
        const NestItem& part = input.job.items[item];
        std::string reason = "fits no sheet in any allowed angle with the spacing";
        if (part.contours > input.job.mostContoursPerSheet || part.entities > input.job.mostEntitiesPerSheet) {
            reason = "more contours or entities than one sheet's program can hold (" + std::to_string(input.job.mostContoursPerSheet) +
                     ", " + std::to_string(input.job.mostEntitiesPerSheet) + ")";
        } else if (!fitsNone && command.sheets > 0) {
            reason = "no room on the " + std::to_string(command.sheets) + (command.sheets == 1 ? " sheet" : " sheets") + " allowed (--sheets)";
        } else if (!fitsNone) {
            reason = "the nest was stopped before they were placed";
        }
        left.push_back({input.job.items[item].name, counts[item], reason});
    }
    return left;
}

// The fewest contours a part of the job has.
int32_t LeastContours(const NestJob& job) {
    int32_t least = kMaxContours;
    for (const NestItem& item : job.items) least = std::min(least, item.contours);
    return least;
}

struct SheetFiles {
    std::string program, preview, drawing;
};

SheetFiles FilesOf(const fs::path& folder, int32_t sheet) {
    const std::string stem = (folder / ("sheet" + std::to_string(sheet + 1))).string();
    return {stem + ".nc", stem + ".svg", stem + ".dxf"};
}

int Save(const std::string& path, const std::string& bytes, bool quiet) {
    if (const auto failure = SaveTextFile(path, bytes)) return Fail(kCannotWrite, path + ": cannot be written (" + *failure + ")");
    if (!quiet) std::fprintf(stderr, "zorvan-cli: wrote %s\n", path.c_str());
    return kDone;
}

// Every sheet cut and written; its summary kept.
int WriteSheets(const NestSettings& settings, const NestOrder& order, const NestInput& input, const NestResult& nest,
                const fs::path& folder, NestSummary& summary) {
    for (int32_t sheet = 0; sheet < nest.status.sheets; ++sheet) {
        const std::unique_ptr<Program> program = ProgramFor(settings);
        const NestedSheet cut = CutNestedSheet(*program, order, input, nest, sheet);
        const SheetFiles files = FilesOf(folder, sheet);
        if (cut.job.read.outcome != DxfReadOutcome::Loaded) {
            return Fail(kCannotWrite, files.drawing + ": the nested sheet could not be read back: " + ReadFailureText(cut.job.read));
        }
        if (sheet + 1 < nest.status.sheets && cut.job.partCount + LeastContours(input.job) > kMaxContours) {
            Warn(settings.quiet, files.program, "the sheet holds as many contours as one program can (" +
                                                    std::to_string(kMaxContours) + "): the parts beyond went to the next sheet.");
        }
        Warn(settings.quiet, files.program, UnclearLeadInWarning(cut.job.unclearLeadIns));
        Warn(settings.quiet, files.program, LeadInWarning(cut.job.leadIns));
        Warn(settings.quiet, files.program, KerfWarning(cut.job.kerf));
        for (const auto& [path, bytes] : {std::pair{files.program, cut.job.programText}, std::pair{files.drawing, cut.dxf},
                                          std::pair{files.preview, SheetPreview(*program, cut.job.partCount, order.sheetWidth, order.sheetHeight)}}) {
            if (const int status = Save(path, bytes, settings.quiet); status != kDone) return status;
        }
        SheetSummary& one = summary.sheets.emplace_back();
        one.sheet = sheet + 1;
        one.program = files.program, one.preview = files.preview, one.drawing = files.drawing;
        for (size_t d = 0; d < order.drawings.size(); ++d) one.parts.emplace_back(order.drawings[d].name, cut.copiesByDrawing[d]);
        one.utilisation = cut.partsArea / (order.sheetWidth * order.sheetHeight);
        one.job = SummarizeJob(*program, settings.rates);
    }
    return kDone;
}

// Sheet files an earlier nest left in the folder, beyond this nest's sheets: named, so that no old program is
// taken for part of this nest. They are not removed: they may be someone's.
void WarnAboutEarlierSheets(const fs::path& folder, int32_t sheets, bool quiet) {
    for (int32_t sheet = sheets; sheet < kMostNestSheets; ++sheet) {
        const SheetFiles files = FilesOf(folder, sheet);
        std::error_code error;
        bool any = false;
        for (const std::string& file : {files.program, files.preview, files.drawing}) {
            if (!fs::exists(file, error)) continue;
            Warn(quiet, file, "left from an earlier nest: it is not part of this one.");
            any = true;
        }
        if (!any) return;
    }
}

// No sheet file of this run may be a drawing of the order: writing it would destroy the drawing.
int CheckOutputs(const fs::path& folder, int32_t sheets, const NestOrder& order) {
    for (int32_t sheet = 0; sheet < sheets; ++sheet) {
        const SheetFiles files = FilesOf(folder, sheet);
        for (const std::string& output : {files.program, files.preview, files.drawing}) {
            for (const NestDrawing& drawing : order.drawings) {
                if (IsSameFile(output, drawing.name)) {
                    return Fail(kUsage, output + ": the nest's output names the drawing " + drawing.name + "; nothing was written");
                }
            }
        }
    }
    return kDone;
}

JobOptions JobOptionsOf(const NestSettings& settings, int& status) {
    JobOptions job;
    job.leadIn = settings.leadIn;
    job.read.mode = ReadMode::Sheet;
    job.read.curveTolerance = settings.curveTolerance;
    std::string clash;
    const std::unique_ptr<Program> program = ProgramFor(settings, &clash);
    if (!clash.empty()) {
        status = Fail(kUsage, settings.templates + ": " + clash);
        return job;
    }
    Warn(settings.quiet, settings.templates, CompensationExpectationWarning(*program, "give --compensation program with --kerf"));
    std::optional<OutputUnits> asked;
    if (!settings.units.empty()) asked = settings.units == "inch" ? OutputUnits::Inches : OutputUnits::Millimetres;
    const SheetUnitsChoice units = ChooseSheetUnits(*program, asked, "--units " + settings.units);
    if (!units.clash.empty()) status = Fail(kUsage, settings.templates + ": " + units.clash);
    job.read.units = units.units;
    job.read.unitsSource = units.source;
    return job;
}

void WarnAboutSources(const NestSettings& settings, const NestOrder& order, const NestInput& input) {
    for (size_t d = 0; d < input.sources.size(); ++d) {
        for (const std::string& warning : input.sources[d].warnings) Warn(settings.quiet, order.drawings[d].name, warning);
        if (input.sources[d].units == "not declared") {
            Warn(settings.quiet, order.drawings[d].name, "declares no units: its numbers are taken as " + input.units +
                                                              (input.units == "not declared" ? "" : " like the others'"));
        }
    }
}

int RunStrip(const NestCommand& command, const NestSettings& settings) {
    const std::optional<std::string> text = ReadWholeFile(command.stripInstance);
    if (!text) return Fail(kCannotRead, command.stripInstance + ": cannot be read");
    StripInstance instance = ReadStripInstance(*text);
    if (!instance.error.empty()) return Fail(kCannotRead, command.stripInstance + ": " + instance.error);
    if (command.stripHeight) instance.job.sheetHeight = *command.stripHeight;
    if (command.spacing) instance.job.spacing = *command.spacing;
    const NestResult nest = Search(instance.job, command, settings.quiet);
    if (!nest.refusal.empty()) return Fail(kTooLarge, command.stripInstance + ": " + nest.refusal);
    const StripSummary summary{instance.name.empty() ? command.stripInstance : instance.name, instance.job.sheetHeight,
                               nest.status.length, nest.status.utilisation, nest.status.placed, nest.status.copies,
                               nest.status.evaluations, nest.seconds, command.seed, nest.stopped};
    std::fputs((settings.summary == "json" ? StripSummaryJson(summary) : StripSummaryText(summary)).c_str(), stdout);
    return nest.notPlaced.empty() ? kDone : kNotAllPlaced;
}

}  // namespace

void AddNestOptions(CLI::App& app, NestCommand& command, CompletionTable& completions) {
    const std::string group = "Nesting";
    app.add_flag("--nest", command.nest,
                 "nest the parts of the drawings, given as DRAWING.dxf:COUNT (the copies of every part in it), on "
                 "sheets of --sheet-size and write sheet1.nc, sheet1.svg, sheet1.dxf ... into the folder -o names; "
                 "each drawing is read and each sheet planned in sheet mode")
        ->group(group);
    app.add_option("--sheet-size", command.sheetSize, "the sheet's width and height in the program's units, WIDTHxHEIGHT")
        ->group(group);
    app.add_option("--sheets", command.sheets, "at most this many sheets; the parts beyond them are not placed (default: as many as needed)")
        ->check(CLI::Range(1, kMostNestSheets))
        ->group(group);
    app.add_option("--spacing", command.spacing,
                   "the least distance between parts and from the sheet's edge (default: the kerf plus the lead-in, at "
                   "least 2 mm)")
        ->check(Between(1e-6, 1e9))
        ->group(group);
    CLI::Option* rotations = app.add_option("--rotations", command.rotations,
                                            "turns allowed: this many equal steps of the whole turn (default 4: 0, 90, 180, 270)")
                                 ->check(CLI::Range(1, 360))
                                 ->group(group);
    app.add_flag("--any-angle", command.anyAngle, "any turn, by whole degrees")->excludes(rotations)->group(group);
    app.add_flag("--mirror", command.mirror, "parts may also be mirrored")->group(group);
    app.add_option("--nest-seconds", command.seconds,
                   "how long the search improves the nest (default 10); Ctrl+C stops it and keeps the best so far")
        ->check(Between(0, 86400))
        ->group(group);
    app.add_option("--nest-evaluations", command.evaluations,
                   "stop the search after this many nests too: with the same --seed the nest is then the same on every run")
        ->check(CLI::Range(int64_t{1}, int64_t{1} << 40))
        ->group(group);
    app.add_option("--seed", command.seed, "the search's seed (default 1)")->group(group);
    command.threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
    app.add_option("--nest-threads", command.threads, "nests evaluated at once (default: 2, or 1 on one core)")
        ->check(CLI::Range(1, 64))
        ->group(group);
    completions[app.add_option("--strip-instance", command.stripInstance,
                               "instead of drawings: nest a strip-packing instance (JSON: items with demand, "
                               "allowed_orientations and a polygon, strip_height) and print the length used and the "
                               "utilisation")
                    ->group(group)] = {ValueCompletion::Kind::Files, "*.json", {}};
    app.add_option("--strip-height", command.stripHeight, "the strip's height, in place of the instance's")
        ->check(Between(1e-6, 1e12))
        ->group(group);
}

std::optional<std::string> MisusedNestOptions(const CLI::App& app, const NestCommand& command) {
    for (const char* name : kNestOptions) {
        if (!command.nest && app.get_option(name)->count() > 0) return std::string(name) + " needs --nest";
    }
    if (!command.nest) return std::nullopt;
    const bool strip = !command.stripInstance.empty();
    if (!strip && command.sheetSize.empty()) return "--nest needs --sheet-size WIDTHxHEIGHT (or --strip-instance FILE.json)";
    if (strip && !command.sheetSize.empty()) return "--sheet-size and --strip-instance: a strip has a height alone";
    if (!strip && command.stripHeight) return "--strip-height needs --strip-instance";
    if (strip && app.get_option("DRAWING.dxf")->count() > 0) return "drawings cannot be given with --strip-instance";
    for (const char* other : {"--job", "--part-file", "--preview"}) {
        if (app.get_option(other)->count() > 0) return std::string(other) + " cannot be used with --nest (each sheet has its preview)";
    }
    return std::nullopt;
}

int RunNest(const NestCommand& command, const NestSettings& settings) {
    if (!command.stripInstance.empty()) return RunStrip(command, settings);
    const std::optional<std::pair<double, double>> size = SheetSize(command.sheetSize);
    if (!size) return Fail(kUsage, "--sheet-size " + command.sheetSize + ": not WIDTHxHEIGHT, two lengths above 0");
    std::error_code error;
    if (settings.output.empty() || settings.output == "-" ||
        !(settings.output.ends_with('/') || fs::is_directory(settings.output, error))) {
        return Fail(kUsage, "--nest needs -o FOLDER/ (ending in /, or an existing folder) for its sheets' files");
    }
    int status = kDone;
    const JobOptions job = JobOptionsOf(settings, status);
    if (status != kDone) return status;
    Reading reading = ReadOrder(command, settings, job, *size);
    if (reading.status != kDone) return reading.status;
    const NestOrder& order = reading.order;
    const NestInput input = PrepareNest(order, Program().PI);
    for (size_t d = 0; d < input.sources.size(); ++d) {
        const DxfReadResult& read = input.sources[d].read;
        if (read.outcome != DxfReadOutcome::Loaded) status = std::max(status, Fail(ReadFailureStatus(read.outcome), order.drawings[d].name + ": " + ReadFailureText(read)));
    }
    if (status != kDone) return status;
    WarnAboutSources(settings, order, input);
    if (input.job.items.empty()) return Fail(kCannotRead, "nothing to nest: the drawings hold no closed contour");
    const fs::path folder = settings.output;
    fs::create_directories(folder, error);
    const NestResult nest = Search(input.job, command, settings.quiet);
    if (!nest.refusal.empty()) return Fail(kTooLarge, "the nest is refused: " + nest.refusal);
    if (const int outputs = CheckOutputs(folder, nest.status.sheets, order); outputs != kDone) return outputs;
    NestSummary summary{size->first, size->second, input.spacing, input.units, command.seed, nest.status.evaluations, nest.seconds,
                        nest.stopped, {}, LeftOff(input, nest, command)};
    if (const int written = WriteSheets(settings, order, input, nest, folder, summary); written != kDone) return written;
    WarnAboutEarlierSheets(folder, nest.status.sheets, settings.quiet);
    for (const NotPlaced& part : summary.notPlaced) {
        Fail(kNotAllPlaced, part.part + ": " + part.reason + ": " + std::to_string(part.copies) +
                                (part.copies == 1 ? " copy is" : " copies are") + " not placed");
    }
    if (!settings.summary.empty()) {
        std::fputs((settings.summary == "json" ? NestSummaryJson(summary) : NestSummaryText(summary)).c_str(), stdout);
    }
    return summary.notPlaced.empty() ? kDone : kNotAllPlaced;
}

}  // namespace zorvan
