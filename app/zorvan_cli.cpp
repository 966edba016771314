// zorvan-cli: the main job without a window. It does what an operator does: opens the drawing from the file
// list (reading, the preparation of the parts), presses "Calculate Lead Ins" and "G CODE", and saves the
// program; optionally the part file and a preview too. With --job it opens a job file instead, as the
// window's "Open job" does, and saves the program of the job's plan.
//
// Several drawings are converted one after the other, each in a Program of its own, so that one refused does
// not stop the others. "-" as the drawing reads it from standard input, "-" as an output writes to standard
// output; the notices then go to standard error, so that standard output holds the output's bytes alone.
//
// Exit status: 0 written; 1 usage; 2 drawing or job file cannot be read; 3 not a DXF file; 4 drawing holds a
// SPLINE; 5 drawing exceeds the tables; 6 output cannot be written. With several drawings, the highest of theirs.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bash_completion.h"
#include "draw/svg_surface.h"
#include "draw/view.h"
#include "gcode/job_file.h"
#include "gcode/job_summary.h"
#include "gcode/main_job.h"
#include "gcode/program_units.h"
#include "gcode/templates.h"
#include "large_pages.h"
#include "import/opening.h"
#include "model/number_text.h"
#include "model/program.h"
#include "model/text_file.h"
#include "nest_command.h"
#include "planning/lead_ins.h"
#include "read_failure.h"
#include "summary_json.h"

namespace {

using namespace zorvan;

// "-" as the drawing or as an output: standard input, standard output.
const std::string kStream = "-";
const std::string kStandardInput = "standard input";
const std::string kStandardOutput = "standard output";

// The values --summary= and --units take; the completion script offers the same.
const std::vector<std::string> kSummaryFormats = {"text", "json"};
const std::vector<std::string> kUnitNames = {"mm", "inch"};
const std::vector<std::string> kCompensationNames = {"controller", "program"};
const std::vector<std::string> kLeadInStyles = {"line", "arc"};
const std::vector<std::string> kArcCentreNames = {"absolute", "relative"};
const std::vector<std::string> kLeadOutStyles = {"none", "line", "arc"};

struct Options {
    std::vector<std::string> drawings;
    std::string job;  // a job file to open instead of a drawing
    std::string output;
    std::string templates;
    std::string leadIn = "0.25";
    std::string partFile;
    std::string preview;
    bool sheet = false;
    double curveTolerance = 0.01;
    std::string units;  // "mm", "inch", or "" where not given
    double kerf = 0;    // 0: not given
    std::string compensation = "controller";  // who allows for the kerf: "controller" (G41/G42) or "program"
    bool cutOpen = false;
    // How sheet mode's cuts enter and leave their contours, and how small holes are cut.
    std::string leadInStyle = "line", holeLeadInStyle;  // the holes' style: as the outlines' where not given
    double leadInRadius = 0;                             // 0: half the lead-in
    double overcut = 0;
    std::string leadOut = "none";
    std::optional<double> leadOutLength;  // the lead-in's length where not given
    double smallHoles = 0;
    std::string smallHoleFeed = "60%";
    std::string arcCentres;  // "absolute", "relative", or "" for what the templates' header says
    std::string summary;  // "", "text" or "json"
    bool quiet = false;
    std::string completion;  // "bash": print the completion script
    JobRates rates;
};

// A number from `low` to `high`. Written out rather than CLI11's ranges, which let "nan" through.
constexpr double kTiny = 1e-9, kHuge = 1e12;
CLI::Validator NumberFrom(double low, double high, const std::string& what) {
    return CLI::Validator(
        [low, high, what](const std::string& text) {
            double value = 0;
            const bool number = CLI::detail::lexical_cast(text, value);
            return number && value >= low && value <= high ? std::string() : "not a number " + what;
        },
        what);
}

// What the run says and where: errors and warnings on standard error, the lines saying what was written on
// the notice stream. --quiet holds each drawing's warnings back and shows them only when the drawing is then
// refused, before its error (they often say why); it drops the template files' warnings and what was written.
class Reporter {
public:
    Reporter(bool quiet, std::FILE* notices) : quiet_(quiet), notices_(notices) {}

    int Fail(int status, const std::string& file, const std::string& what) { return FailWith(status, file + ": " + what); }

    // A refusal whose text names the file itself.
    int FailWith(int status, const std::string& text) {
        for (const std::string& line : held_) std::fputs(line.c_str(), stderr);
        held_.clear();
        std::fprintf(stderr, "zorvan-cli: %s\n", text.c_str());
        error_ = text;
        return status;
    }

    void Warn(const std::string& file, const std::string& warning) {
        if (warning.empty()) return;
        const std::string line = "zorvan-cli: " + file + ": warning: " + warning + "\n";
        if (!quiet_) {
            std::fputs(line.c_str(), stderr);
        } else if (holding_) {
            held_.push_back(line);
        }
    }

    void Wrote(const std::string& text) {
        if (!quiet_) std::fprintf(notices_, "zorvan-cli: wrote %s\n", text.c_str());
    }

    // From here on the warnings are about this drawing; the text of its refusal, if any, is kept for the JSON
    // summary.
    void StartDrawing() {
        held_.clear();
        error_.clear();
        holding_ = true;
    }
    const std::string& Error() const { return error_; }

private:
    bool quiet_;
    std::FILE* notices_;
    bool holding_ = false;  // before the first drawing, warnings are about the template files
    std::vector<std::string> held_;
    std::string error_;
};

// The folder that holds this program, where the template files live by default.
std::string ProgramFolder(const char* argv0) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.parent_path().string();
    return std::filesystem::absolute(argv0, error).parent_path().string();
}

// The planned parts as the main view draws them, on an 800 x 600 picture fitted with margin to the extents;
// in sheet mode with the torch's route.
std::string PreviewSvg(Program& program, int32_t partCount) {
    SvgSurface preview(800, 600);
    FitView(program, preview, program.extMinX, program.extMaxY, program.extMaxX, program.extMinY, true);
    if (program.readMode == ReadMode::Sheet) {
        RedrawSheetPreview(program, partCount, preview);
    } else {
        RedrawView(program, partCount, preview, kBlue);
    }
    return preview.Svg();
}

// What the operator must know before cutting: what the reading left out, open contours not cut, lead-ins
// that are not in the scrap.
void WarnAboutJob(Reporter& report, const std::string& drawing, const Program& program, const JobResult& job,
                  ReadMode mode) {
    report.Warn(drawing, LeftOutWarning(job.read.report, mode, "--sheet"));
    if (const int32_t open = program.openContoursLeftOut; open > 0) {
        const int32_t inside = program.openInsideParts;
        report.Warn(drawing, std::to_string(open) + (open == 1 ? " open contour is" : " open contours are") +
                                 " not cut (--cut-open cuts them)" +
                                 (inside == 0 ? "" : ", " + std::to_string(inside) + " of them inside parts (bend "
                                                                                      "lines, centre marks and the like)") + ".");
    }
    if (const int32_t wrong = program.closedNotPlannedOnce; wrong > 0) {
        report.Warn(drawing, std::to_string(wrong) + " closed contours are not in the cutting order exactly once.");
    }
    report.Warn(drawing, UnclearLeadInWarning(job.unclearLeadIns));
    report.Warn(drawing, LeadInWarning(job.leadIns));
    report.Warn(drawing, KerfWarning(job.kerf));
    report.Warn(drawing, CompensationExpectationWarning(program, "give --compensation program with --kerf"));
    if (mode == ReadMode::Default) report.Warn(drawing, UnitsMismatchWarning(program));
}

// `bytes` saved at `path`, or written to standard output for "-".
int Save(Reporter& report, const std::string& path, const std::string& bytes) {
    if (path == kStream) {
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        if (!(std::fflush(stdout) == 0 && written)) {
            return report.Fail(kCannotWrite, kStandardOutput, std::string("cannot be written (") + std::strerror(errno) + ")");
        }
        return kDone;
    }
    if (const auto failure = SaveTextFile(path, bytes)) {
        return report.Fail(kCannotWrite, path, "cannot be written (" + *failure + ")");
    }
    return kDone;
}

std::string NameOfOutput(const std::string& path) { return path == kStream ? kStandardOutput : path; }

// A drawing the file checks refuse before a byte of it is read: status 5 for its size, else 2.
int RefuseDrawing(Reporter& report, const std::string& drawing, const ReadProblem& problem) {
    if (problem.refusal == ReadRefusal::TooLarge) {
        return report.Fail(kTooLarge, drawing, OpeningRefusalMessage(drawing, problem));
    }
    return report.Fail(kCannotRead, drawing, "cannot be read: " + problem.reason);
}

struct Output {
    std::string option;  // "-o", "--preview", "--part-file"
    std::string path;    // "-": standard output
    std::string source;  // with several drawings, the drawing it is written for
};

std::string Label(const Output& output) {
    return output.source.empty() ? output.option : output.option + " (for " + output.source + ")";
}

// Whether an output option names a folder to write one file per drawing into: a path ending in "/" does; with
// several drawings, an existing folder does too. (One drawing and an existing folder without "/": the output's
// own name, refused when written, as a folder is never written over.)
bool NamesFolder(const std::string& path, bool several) {
    std::error_code error;
    return path.ends_with('/') || (several && std::filesystem::is_directory(path, error));
}

// The outputs for `source` (the drawing, or the job file), the program first. An option naming a folder gives
// the source's name with `extension` in it; the program without -o goes beside its source, its extension
// replaced by .nc.
std::vector<Output> OutputsOf(const Options& options, const std::string& source, bool several) {
    const auto named = [&](const std::string& option, const std::string& given, const char* extension) {
        std::filesystem::path path = given;
        if (given.empty()) {
            path = std::filesystem::path(source).replace_extension(extension);
        } else if (NamesFolder(given, several)) {
            path = (std::filesystem::path(given) / std::filesystem::path(source).filename()).replace_extension(extension);
        }
        return Output{option, path.string(), several ? source : ""};
    };
    std::vector<Output> outputs = {named("-o", options.output, ".nc")};
    if (!options.preview.empty()) outputs.push_back(named("--preview", options.preview, ".svg"));
    if (!options.partFile.empty()) outputs.push_back(named("--part-file", options.partFile, ".PAR"));
    return outputs;
}

struct Input {
    std::string path;
    std::string name;  // "the drawing itself", "the job file itself"
};

// Refuses, before anything is written, an output that is an input itself or the same file as another
// output: one write would destroy the other. Character devices (/dev/null) take any number of writes;
// standard output ("-") is checked for earlier.
int CheckOutputs(Reporter& report, const std::vector<Output>& outputs, const std::vector<Input>& inputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const Output& output = outputs[i];
        if (output.path == kStream) continue;
        for (const Input& input : inputs) {
            if (input.path != kStream && IsSameFile(output.path, input.path)) {
                return report.Fail(kUsage, output.path, Label(output) + " names " + input.name + "; nothing was written");
            }
        }
        std::error_code error;
        if (std::filesystem::is_character_file(output.path, error)) continue;
        for (size_t j = 0; j < i; ++j) {
            if (outputs[j].path != kStream && IsSameFile(output.path, outputs[j].path)) {
                return report.Fail(kUsage, output.path, Label(output) + " names the same file as " + Label(outputs[j]) +
                                                            "; nothing was written");
            }
        }
    }
    return kDone;
}

// One stream takes one output: "-" may stand for one of -o, --preview and --part-file.
int CheckStandardOutput(Reporter& report, const std::vector<Output>& outputs) {
    const Output* first = nullptr;
    for (const Output& output : outputs) {
        if (output.path != kStream) continue;
        if (first) {
            return report.Fail(kUsage, kStream, output.option + " and " + first->option +
                                                    " both name standard output; nothing was written");
        }
        first = &output;
    }
    return kDone;
}

// The template folder: one given with --templates must hold at least one of the three files; the program's
// own folder, the default, may hold none (its programs then have no header, footer or slot lines). Checked
// once for the run; each Program then loads the files.
int ChooseTemplates(Reporter& report, const Options& options, const char* argv0, std::string& folder) {
    const bool given = !options.templates.empty();
    folder = given ? options.templates : ProgramFolder(argv0);
    const TemplateFolderCheck check = CheckTemplateFolder(folder);
    if (given && check.refusal) return report.Fail(kUsage, folder, *check.refusal + " (--templates)");
    for (const auto& [file, warning] : check.warnings) report.Warn(file, warning);
    return kDone;
}

std::unique_ptr<Program> ProgramWithTemplates(const std::string& folder) {
    auto program = std::make_unique<Program>();
    program->templateFolder = folder;
    LoadTemplates(*program);
    return program;
}

// The cut style the options ask for; the feed small holes go back to is the templates' or --feed.
CutStyle CutStyleOf(const Options& options, const Program& program) {
    CutStyle style;
    style.outline = LeadInStyleNamed(options.leadInStyle).value_or(LeadInStyle::Line);
    style.hole = options.holeLeadInStyle.empty() ? style.outline
                                                 : LeadInStyleNamed(options.holeLeadInStyle).value_or(LeadInStyle::Line);
    style.arcRadius = options.leadInRadius;
    style.overcut = options.overcut;
    style.leadOut = LeadOutStyleNamed(options.leadOut).value_or(LeadOutStyle::None);
    style.leadOutLength = options.leadOutLength.value_or(LenientParse(options.leadIn));
    style.smallHoleDiameter = options.smallHoles;
    if (const auto feed = ParseSmallHoleFeed(options.smallHoleFeed)) {
        style.smallHoleFeed = feed->value;
        style.smallHoleFeedIsShare = feed->share;
    }
    style.feed = TemplateFeed(program);
    if (!style.feed) style.feed = options.rates.feed;
    return style;
}

// An option that takes one of `words`, and is completed with them.
void WordOption(CLI::App& app, CompletionTable& completions, const std::string& name, std::string& value,
                const std::vector<std::string>& words, const std::string& help) {
    completions[app.add_option(name, value, help)->check(CLI::IsMember(words))] = {ValueCompletion::Kind::Words, "", words};
}

// How the program writes arc centres: as --arc-centres says, else as the header asks (absolute where it
// says nothing). A header whose G90.1 or G91.1 word says otherwise would have every arc cut about the wrong
// point: that is refused, and the refusal says why.
std::string ChooseArcCentres(const Options& options, Program& program) {
    const TemplateExpectations expects = ReadTemplateExpectations(program);
    program.arcCentres = options.arcCentres.empty() ? expects.arcCentres.value_or(ArcCentres::Absolute)
                         : options.arcCentres == "relative" ? ArcCentres::Relative
                                                            : ArcCentres::Absolute;
    if (!expects.arcCentresWord || *expects.arcCentresWord == program.arcCentres) return {};
    return "--arc-centres " + options.arcCentres + " contradicts the header's " +
           (*expects.arcCentresWord == ArcCentres::Absolute ? "G90.1 (absolute" : "G91.1 (relative") +
           " arc centres): the controller would cut every arc about the wrong point";
}

// The cut-style options given in the default mode, which plans its lead-ins as it always has: named, so the
// operator is not left thinking they were applied.
std::string SheetOnlyOptionsGiven(const Options& options) {
    std::string given;
    const auto add = [&given](bool set, std::string_view name) {
        if (set) given.append(given.empty() ? "" : ", ").append(name);
    };
    add(options.leadInStyle != "line" || !options.holeLeadInStyle.empty(), "--lead-in-style/--hole-lead-in-style");
    add(options.leadInRadius > 0, "--lead-in-radius");
    add(options.overcut > 0, "--overcut");
    add(options.leadOut != "none", "--lead-out");
    add(options.smallHoles > 0, "--small-holes");
    return given;
}

// The program written to the first output, then the preview and part file asked for.
int Deliver(Reporter& report, const std::vector<Output>& outputs, Program& program, const JobResult& job) {
    for (const Output& output : outputs) {
        if (output.option == "-o") {
            if (const int status = Save(report, output.path, job.programText); status != kDone) return status;
            report.Wrote(NameOfOutput(output.path) + " (" + std::to_string(job.partCount) + " parts, " +
                         std::to_string(job.programLines) + " lines)");
        } else {
            const std::string bytes = output.option == "--preview" ? PreviewSvg(program, job.partCount) : job.partFileLine + "\r\n";
            if (const int status = Save(report, output.path, bytes); status != kDone) return status;
            report.Wrote(NameOfOutput(output.path));
        }
    }
    return kDone;
}

// One drawing's run: its status, and its summary when it was written and one was asked for.
struct Conversion {
    int status = kDone;
    std::optional<JobSummary> summary;
};

// One drawing read (from standard input for "-"), planned and written, in a Program of its own.
Conversion Convert(Reporter& report, const Options& options, const std::string& argument,
                   const std::vector<Output>& outputs, const std::string& templates) {
    const auto refused = [](int status) { return Conversion{status, std::nullopt}; };
    std::optional<std::string> text;
    std::string drawing;
    if (argument == kStream) {
        drawing = kStandardInput;
        std::optional<ReadProblem> problem;
        text = ReadWholeStream(STDIN_FILENO, problem);
        if (!text) return refused(RefuseDrawing(report, drawing, *problem));
    } else {
        drawing = NormalisePath(argument);
        if (const auto problem = WhyFileCannotBeRead(drawing)) return refused(RefuseDrawing(report, drawing, *problem));
        if (!IsDxfPath(drawing)) return refused(report.Fail(kNotDxf, drawing, "not a DXF file (the name must end in .dxf)"));
        text = ReadWholeFile(drawing);
        if (!text) return refused(report.Fail(kCannotRead, drawing, "cannot be read"));
    }
    const std::unique_ptr<Program> program = ProgramWithTemplates(templates);
    JobOptions jobOptions{options.leadIn, !options.partFile.empty(), {}, options.cutOpen, true, {}};
    jobOptions.read.mode = options.sheet ? ReadMode::Sheet : ReadMode::Default;
    jobOptions.read.curveTolerance = options.curveTolerance;
    std::optional<OutputUnits> asked;
    if (!options.units.empty()) asked = options.units == "inch" ? OutputUnits::Inches : OutputUnits::Millimetres;
    const SheetUnitsChoice units = ChooseSheetUnits(*program, asked, "--units " + options.units);
    if (options.sheet && !units.clash.empty()) return refused(report.Fail(kUsage, drawing, units.clash));
    jobOptions.read.units = units.units;
    jobOptions.read.unitsSource = units.source;
    program->kerf = options.kerf;
    program->kerfInProgram = options.compensation == "program";
    program->cutStyle = CutStyleOf(options, *program);
    if (const std::string clash = ChooseArcCentres(options, *program); !clash.empty()) {
        return refused(report.Fail(kUsage, drawing, clash));
    }
    const JobResult job = RunMainJob(*program, std::move(*text), jobOptions);
    if (job.read.outcome != DxfReadOutcome::Loaded) {
        return refused(report.Fail(ReadFailureStatus(job.read.outcome), drawing, ReadFailureText(job.read)));
    }
    if (job.leadInRefused) {
        return refused(report.Fail(kUsage, drawing, "--lead-in " + options.leadIn + " must be shorter than the drawing's "
                                                    "larger side, " + DefaultNumber(LargerSideOfDrawing(*program).value_or(0))));
    }
    WarnAboutJob(report, drawing, *program, job, jobOptions.read.mode);
    if (job.partCount == 0) return refused(report.Fail(kCannotRead, drawing, "nothing to cut: the program would hold no part"));
    // A sheet holds any number of parts; the default planning makes one outside cut of a drawing.
    if (!options.sheet && job.outsideCuts >= 2) return refused(report.Fail(kCannotWrite, drawing, "you can have just one outside cut!"));

    if (const int status = Deliver(report, outputs, *program, job); status != kDone) return refused(status);
    if (options.summary.empty()) return {};
    return {kDone, SummarizeJob(*program, options.rates)};
}

// Where the summary goes: standard output, unless that carries an output's bytes.
std::FILE* SummaryStream(const Options& options) {
    const bool outputOnStdout = options.output == kStream || options.preview == kStream || options.partFile == kStream;
    return outputOnStdout ? stderr : stdout;
}

// Where the lines saying what was written go: standard output, unless it carries the JSON summary or an
// output's bytes, which must be all a script reads there.
std::FILE* NoticeStream(const Options& options) {
    return options.summary == "json" || SummaryStream(options) == stderr ? stderr : stdout;
}

// The drawings given, each converted on its own; the status is the highest of theirs. Whatever would make
// the run go wrong as a whole (standard input where no program can be named after it, one output file for
// several drawings, two outputs that are one file, a template folder that serves not) is refused first, with
// nothing written.
int RunDrawings(Reporter& report, const Options& options, const char* argv0) {
    const std::vector<std::string>& drawings = options.drawings;
    const bool several = drawings.size() > 1;
    const bool fromStdin = std::find(drawings.begin(), drawings.end(), kStream) != drawings.end();
    if (fromStdin && several) {
        return report.Fail(kUsage, kStream, "standard input must be the only drawing: no program can be named after "
                                            "it; nothing was written");
    }
    std::vector<std::vector<Output>> outputsOf;  // per drawing
    std::vector<Output> outputs;                 // all of them
    std::vector<Input> inputs;
    for (const std::string& drawing : drawings) {
        const std::string path = drawing == kStream ? kStream : NormalisePath(drawing);
        outputsOf.push_back(OutputsOf(options, path, several));
        outputs.insert(outputs.end(), outputsOf.back().begin(), outputsOf.back().end());
        inputs.push_back({path, several ? "the drawing " + path : "the drawing itself"});
    }
    const std::pair<const char*, const std::string&> given[] = {
        {"-o", options.output}, {"--preview", options.preview}, {"--part-file", options.partFile}};
    for (const auto& [option, path] : given) {
        const bool namedAfterDrawing = path.empty() ? std::string_view(option) == "-o" : NamesFolder(path, false);
        if (fromStdin && namedAfterDrawing) {
            const bool program = std::string_view(option) == "-o";
            return report.Fail(kUsage, kStream, std::string(option) + " must name a file: the drawing from standard input "
                               "has no name to give it" + (program ? " (-o - writes the program to standard output)" : "") +
                               "; nothing was written");
        }
        if (several && !path.empty() && !NamesFolder(path, true)) {
            return report.Fail(kUsage, path, std::string(option) + (path == kStream ? " names standard output" : " names one file") +
                               ", but " + std::to_string(drawings.size()) + " drawings are given: name a folder (ending "
                               "in /) to write one file per drawing; nothing was written");
        }
    }
    if (const int status = CheckStandardOutput(report, outputs); status != kDone) return status;
    if (const int status = CheckOutputs(report, outputs, inputs); status != kDone) return status;
    std::string templates;
    if (const int status = ChooseTemplates(report, options, argv0, templates); status != kDone) return status;

    int worst = kDone;
    std::vector<DrawingSummary> summaries;  // --summary=json with several drawings: one array at the end
    bool summaryWritten = false;
    for (size_t i = 0; i < drawings.size(); ++i) {
        report.StartDrawing();
        Conversion conversion = Convert(report, options, drawings[i], outputsOf[i], templates);
        worst = std::max(worst, conversion.status);
        if (options.summary == "json" && several) {
            summaries.push_back({drawings[i], conversion.status, report.Error(), outputsOf[i].front().path,
                                 std::move(conversion.summary)});
        } else if (conversion.summary) {
            // Text summaries of several drawings: each under the drawing's name, a blank line between them.
            const std::string heading = several ? (summaryWritten ? "\nDrawing: " : "Drawing: ") + drawings[i] + "\n" : "";
            const std::string text = options.summary == "json" ? SummaryJson(*conversion.summary) : SummaryText(*conversion.summary);
            std::fputs((heading + text).c_str(), SummaryStream(options));
            summaryWritten = true;
        }
    }
    if (options.summary == "json" && several) std::fputs(SummaryJson(summaries).c_str(), SummaryStream(options));
    return worst;
}

// --job: the job's drawing read again in the job's mode, the job's plan and cut style put in place, and its
// program written as the window's "G CODE" writes it.
int RunJob(Reporter& report, const Options& options, const char* argv0) {
    const JobRead read = ReadJobFile(options.job);
    if (!read.job) return report.FailWith(kCannotRead, read.error);
    const JobFile& job = *read.job;
    const std::string& drawing = job.drawingPath;
    if (const auto problem = WhyFileCannotBeRead(drawing)) return RefuseDrawing(report, drawing, *problem);
    if (!IsDxfPath(drawing)) return report.Fail(kNotDxf, drawing, "not a DXF file (the name must end in .dxf)");
    const std::vector<Output> outputs = OutputsOf(options, options.job, false);
    if (const int status = CheckStandardOutput(report, outputs); status != kDone) return status;
    if (const int status = CheckOutputs(report, outputs, {{options.job, "the job file itself"}, {drawing, "the job's drawing itself"}});
        status != kDone) {
        return status;
    }
    std::string templates;
    if (const int status = ChooseTemplates(report, options, argv0, templates); status != kDone) return status;
    report.StartDrawing();
    const std::unique_ptr<Program> program = ProgramWithTemplates(templates);
    if (const std::string clash = ChooseArcCentres(options, *program); !clash.empty()) {
        return report.Fail(kUsage, options.job, clash);
    }

    std::optional<std::string> text = ReadWholeFile(drawing);
    if (!text) return report.Fail(kCannotRead, drawing, "cannot be read");
    if (FingerprintOf(*text) != job.fingerprint) report.Warn(drawing, ChangedDrawingWarning(drawing));
    // The job's cut style; its small holes go back to the templates' feed, else to --feed, as without --job.
    const JobResult result = RunJobFile(*program, job, std::move(*text), !options.partFile.empty(), options.rates.feed);
    if (result.read.outcome != DxfReadOutcome::Loaded) {
        return report.Fail(ReadFailureStatus(result.read.outcome), drawing, ReadFailureText(result.read));
    }
    WarnAboutJob(report, drawing, *program, result, job.read.mode);
    if (result.partCount == 0) return report.Fail(kCannotRead, options.job, "nothing to cut: the program would hold no part");
    if (job.read.mode == ReadMode::Default && result.outsideCuts >= 2) {
        return report.Fail(kCannotWrite, options.job, "you can have just one outside cut!");
    }
    if (const int status = Deliver(report, outputs, *program, result); status != kDone) return status;
    if (!options.summary.empty()) {
        const JobSummary summary = SummarizeJob(*program, options.rates);
        std::fputs((options.summary == "json" ? SummaryJson(summary) : SummaryText(summary)).c_str(), SummaryStream(options));
    }
    return kDone;
}

// --nest: the template folder checked as for drawings, then the nest with the options it shares.
int RunNesting(Reporter& report, const Options& options, const NestCommand& nest, const char* argv0) {
    std::string templates;
    if (const int status = ChooseTemplates(report, options, argv0, templates); status != kDone) return status;
    const auto prepare = [&options](Program& program) {
        program.cutStyle = CutStyleOf(options, program);
        return ChooseArcCentres(options, program);
    };
    const NestSettings settings{options.drawings, options.output, templates, options.leadIn, options.kerf,
                                options.compensation == "program", prepare, options.curveTolerance, options.units,
                                options.summary, options.quiet, options.rates};
    return RunNest(nest, settings);
}

}  // namespace

int main(int argc, char** argv) {
    UseLargePagesForTheHeap();
    CLI::App app{"Converts DXF drawings into G-code programs for a plasma cutting table: the parts are planned\n"
                 "(inside cuts first, the largest contour last as the outside cut), given lead-ins and written\n"
                 "between the header, footer and slot lines of the template files.",
                 "zorvan-cli"};
    Options options;
    CompletionTable completions;
    CLI::Option* drawing =
        app.add_option("DRAWING.dxf", options.drawings,
                       "the drawings to convert, each on its own; - reads the one drawing from standard input");
    completions[drawing] = {ValueCompletion::Kind::Files, "*.[dD][xX][fF]", {}};
    CLI::Option* job =
        app.add_option("--job", options.job,
                       "open a job file saved by the window's \"Save job\" instead of a drawing and write the program "
                       "of its plan: its drawing is read again, and its mode, cutting order, lead-ins, marks, "
                       "transforms, kerf and cut style are the job's (-o defaults to the job's path with .nc)")
            ->excludes(drawing);
    completions[job] = {ValueCompletion::Kind::Files, "*.zjob", {}};
    CLI::Option* output =
        app.add_option("-o,--output", options.output,
                       "program to write, - for standard output (default: the drawing's path, or with --job the job's, "
                       "with the extension replaced by .nc); a folder (ending in /, or any existing folder when several "
                       "drawings are given) takes one program per drawing, named after it");
    completions[output] = {};
    CLI::Option* templates =
        app.add_option("--templates", options.templates,
                       "folder of 0_HEADER.TXT, 0_FOOTER.TXT, GCODES.TXT (default: the program's own folder); one "
                       "that does not exist or holds none of them is refused");
    completions[templates] = {ValueCompletion::Kind::Folders, "", {}};
    app.add_option("--lead-in", options.leadIn, "lead-in length, 0 or more and shorter than the drawing's larger side "
                                                "(default 0.25); like the window's box, a text that is not a number is "
                                                "refused")
        ->check(CLI::Validator(
            [](const std::string& text) {
                const std::optional<double> length = ParseWholeNumber(text);
                if (!length) return "not a number: \"" + text + "\"";
                return *length >= 0 ? std::string() : "not a length of 0 or more: \"" + text + "\"";
            },
            "NUMBER"));
    completions[app.add_option("--part-file", options.partFile,
                               "also write the part file of the planned parts (- for standard output; a folder as "
                               "with -o, DRAWING.PAR in it)")] = {};
    completions[app.add_option("--preview", options.preview,
                               "also write an SVG picture of the planned parts (- for standard output; a folder as "
                               "with -o, DRAWING.svg in it)")] = {};
    app.add_flag("--sheet", options.sheet,
                 "sheet mode: read the drawing as a CAD user means it (model space, blocks, ellipses, splines, units)");
    app.add_option("--curve-tolerance", options.curveTolerance,
                   "sheet mode: how far the arcs and lines made of ellipses and splines may stray from them, in mm "
                   "(in drawing units where the drawing declares none; 0.0001 to 10, default 0.01)")
        ->check(NumberFrom(0.0001, 10.0, "from 0.0001 to 10"));
    WordOption(app, completions, "--units", options.units, kUnitNames,
               "sheet mode: the units to write a drawing in that declares its units (default: the "
               "units the header's G20 or G21 sets, else mm; a clash with the header is refused)");
    app.add_option("--kerf", options.kerf,
                   "the torch's kerf width in the program's units, for the kerf checks and sheet mode's lead-ins "
                   "(0 or absent: not given, no kerf checks); the controller's tool table holds it for the cut")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    WordOption(app, completions, "--compensation", options.compensation, kCompensationNames,
               "who allows for the kerf: controller (default: G41/G42, the kerf in the controller's "
               "tool table) or program (each closed contour written half the --kerf towards the "
               "scrap, no G41/G42, for controllers without cutter compensation)");
    WordOption(app, completions, "--arc-centres", options.arcCentres, kArcCentreNames,
               "how arcs' I and J are written: absolute (the centre; the header sets G90.1) or "
               "relative (the offset from the arc's start, for controllers without G90.1); default: "
               "as the templates' header says, else absolute");
    app.add_flag("--cut-open", options.cutOpen,
                 "sheet mode: also cut the contours that do not close, last, without compensation or lead-in");
    WordOption(app, completions, "--lead-in-style", options.leadInStyle, kLeadInStyles,
               "sheet mode: the outside cuts' lead-in: line (default) or arc (a straight entry, then a "
               "quarter arc onto the contour; a line where no arc fits the scrap)");
    WordOption(app, completions, "--hole-lead-in-style", options.holeLeadInStyle, kLeadInStyles,
               "sheet mode: the holes' lead-in, line or arc (default: as --lead-in-style)");
    app.add_option("--lead-in-radius", options.leadInRadius,
                   "sheet mode: an arc lead-in's radius (default: half the lead-in; the straight entry is the other half)")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    app.add_option("--overcut", options.overcut,
                   "sheet mode: how far each closed cut runs on along its contour past its start (default 0)")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    WordOption(app, completions, "--lead-out", options.leadOut, kLeadOutStyles,
               "sheet mode: how each closed cut leaves its contour: none (default), line (45 degrees "
               "into the scrap) or arc (a quarter arc into it); shortened or left off where the "
               "scrap has no room, and said");
    app.add_option("--lead-out-length", options.leadOutLength,
                   "sheet mode: a lead-out line's length or arc's radius (default: the lead-in's length)")
        ->check(NumberFrom(kTiny, kHuge, "above 0"));
    app.add_option("--small-holes", options.smallHoles,
                   "sheet mode: holes of a smaller diameter (a circle's, else their larger side) are cut at the "
                   "small-hole feed, between the templates' \"small hole start\" and \"small hole end\" slots "
                   "(default 0: none)")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    app.add_option("--small-hole-feed", options.smallHoleFeed,
                   "the small holes' feed: a share of the cutting feed (60%, the default) or an F value (900)")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseSmallHoleFeed(text) ? std::string() : "not a share from 0% to 100% or an F value: \"" + text + "\"";
            },
            "FEED"));
    // A flag whose format comes only after "=", so that "--summary plate.dxf" never takes the drawing's name.
    completions[app.add_flag("--summary{text}", options.summary,
                             "also print the job summary: units, size, parts, pierces, cut and travel length, "
                             "estimated time; the format only after \"=\": --summary=json for scripts (then standard "
                             "output holds the JSON alone, the notices go to standard error; with several drawings "
                             "one JSON array of an object per drawing)")
                    ->check(CLI::IsMember(kSummaryFormats))] = {ValueCompletion::Kind::Words, "", kSummaryFormats};
    app.add_flag("--quiet", options.quiet,
                 "no notices: neither the lines saying what was written nor warnings, except those about a drawing "
                 "that is then refused, before its error; errors and the summary asked for are still written");
    app.add_option("--feed", options.rates.feed,
                   "cutting feed per minute in the program's units, for the time estimate where the templates have "
                   "no F word")
        ->check(NumberFrom(kTiny, kHuge, "above 0"));
    app.add_option("--pierce-delay", options.rates.pierceDelay,
                   "pierce delay in seconds, for the time estimate where the templates have no G4 P word")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    app.add_option("--rapid", options.rates.rapid, "rapid rate per minute in the program's units, for the time estimate")
        ->check(NumberFrom(kTiny, kHuge, "above 0"));
    // Hidden: the bash completion script, made from this option table (the build installs it).
    app.add_option("--completion", options.completion, "print the completion script for the shell")
        ->check(CLI::IsMember({"bash"}))
        ->group("");
    // A job decides how its drawing is read and planned; these options would be silently overruled.
    for (const char* decided :
         {"--lead-in", "--sheet", "--curve-tolerance", "--units", "--kerf", "--compensation", "--cut-open",
          "--lead-in-style", "--hole-lead-in-style", "--lead-in-radius", "--overcut", "--lead-out", "--lead-out-length",
          "--small-holes", "--small-hole-feed"}) {
        job->excludes(app.get_option(decided));
    }
    NestCommand nest;
    AddNestOptions(app, nest, completions);
    app.set_version_flag("--version", "zorvan-cli " ZORVAN_VERSION);
    app.footer("Exit status: 0 written; 1 usage; 2 drawing or job file cannot be read; 3 not a DXF file; 4 drawing\n"
               "holds a SPLINE; 5 drawing exceeds the tables; 6 output cannot be written. With several drawings,\n"
               "the highest status of them (each drawing's error is on standard error). --nest: 7 written, but\n"
               "parts not placed (each named on standard error).");
    try {
        app.parse(argc, argv);
        const bool strip = nest.nest && !nest.stripInstance.empty();
        if (options.completion.empty() && options.drawings.empty() && options.job.empty() && !strip) {
            throw CLI::RequiredError("DRAWING.dxf (or --job FILE)");
        }
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kDone : kUsage;
    }
    if (const std::string given = SheetOnlyOptionsGiven(options);
        !given.empty() && !options.sheet && options.job.empty() && !nest.nest) {  // a nest is cut in sheet mode
        std::fprintf(stderr, "%s: %s apply in sheet mode only (--sheet); the default mode keeps its line lead-ins\n",
                     argv[0], given.c_str());
        return kUsage;
    }
    if (!options.completion.empty()) {
        std::fputs(BashCompletion(app, completions, "zorvan-cli").c_str(), stdout);
        return std::fflush(stdout) == 0 ? kDone : kCannotWrite;
    }
    // A file size limit makes a write fail with EFBIG, reported as status 6, rather than end the program; an
    // interrupted save leaves no temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    RemoveTemporaryFileOnSignals();
    if (const std::optional<std::string> misuse = MisusedNestOptions(app, nest)) {
        std::fprintf(stderr, "zorvan-cli: %s\n", misuse->c_str());
        return kUsage;
    }
    Reporter report(options.quiet, NoticeStream(options));
    const int status = nest.nest            ? RunNesting(report, options, nest, argv[0])
                       : options.job.empty() ? RunDrawings(report, options, argv[0])
                                             : RunJob(report, options, argv[0]);
    // What standard output was to carry (a summary, the lines saying what was written) and could not is a
    // failure too, not a success with nothing to read.
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (!flushed || std::ferror(stdout)) {
        const std::string reason = flushed ? "" : std::string(" (") + std::strerror(error) + ")";
        return std::max(status, report.Fail(kCannotWrite, kStandardOutput, "cannot be written" + reason));
    }
    return status;
}
