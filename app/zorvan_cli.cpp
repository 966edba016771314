// zorvan-cli: the main job without a window. It does what an operator does: opens the drawing from the file
// list (reading, the preparation of the parts), presses "Calculate Lead Ins" and "G CODE", and saves the
// program; optionally the part file and a preview too. With --job it opens a job file instead, as the
// window's "Open job" does, and saves the program of the job's plan.
//
// Exit status: 0 written; 1 usage; 2 drawing or job file cannot be read; 3 not a DXF file; 4 drawing holds a
// SPLINE; 5 drawing exceeds the tables; 6 output cannot be written.
#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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
#include "planning/lead_ins.h"
#include "read_failure.h"
#include "summary_json.h"

namespace {

using namespace zorvan;

struct Options {
    std::string drawing;
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
    bool cutOpen = false;
    std::string summary;  // "", "text" or "json"
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

int Fail(int status, const std::string& file, const std::string& what) {
    std::fprintf(stderr, "zorvan-cli: %s: %s\n", file.c_str(), what.c_str());
    return status;
}

// A refusal whose text names the file itself.
int FailWith(int status, const std::string& text) {
    std::fprintf(stderr, "zorvan-cli: %s\n", text.c_str());
    return status;
}

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
    RedrawView(program, partCount, preview, kBlue);
    if (program.readMode == ReadMode::Sheet) DrawRoute(program, preview);
    return preview.Svg();
}

std::string DefaultOutput(const std::string& drawing) {
    return std::filesystem::path(drawing).replace_extension(".nc").string();
}

void Warn(const std::string& file, const std::string& warning) {
    if (!warning.empty()) std::fprintf(stderr, "zorvan-cli: %s: warning: %s\n", file.c_str(), warning.c_str());
}

// What the operator must know before cutting: what the reading left out, open contours not cut, lead-ins
// that are not in the scrap.
void WarnAboutJob(const std::string& drawing, const Program& program, const JobResult& job, ReadMode mode) {
    Warn(drawing, LeftOutWarning(job.read.report, mode, "--sheet"));
    if (const int32_t open = program.openContoursLeftOut; open > 0) {
        const int32_t inside = program.openInsideParts;
        Warn(drawing, std::to_string(open) + (open == 1 ? " open contour is" : " open contours are") +
                          " not cut (--cut-open cuts them)" +
                          (inside == 0 ? "" : ", " + std::to_string(inside) + " of them inside parts (bend lines, "
                                                                               "centre marks and the like)") + ".");
    }
    if (const int32_t wrong = program.closedNotPlannedOnce; wrong > 0) {
        Warn(drawing, std::to_string(wrong) + " closed contours are not in the cutting order exactly once.");
    }
    Warn(drawing, UnclearLeadInWarning(job.unclearLeadIns));
    Warn(drawing, LeadInWarning(job.leadIns));
    Warn(drawing, KerfWarning(job.kerf));
    if (mode == ReadMode::Default) Warn(drawing, UnitsMismatchWarning(program));
}

// Where the notices of what was written go: standard output, except when it carries the JSON summary, which
// must be all a script reads there.
std::FILE* NoticeStream(const Options& options) { return options.summary == "json" ? stderr : stdout; }

int Save(const std::string& path, const std::string& bytes) {
    if (const auto failure = SaveTextFile(path, bytes)) return Fail(kCannotWrite, path, "cannot be written (" + *failure + ")");
    return kDone;
}

// A drawing the file checks refuse before a byte of it is read: status 5 for its size, else 2.
int RefuseDrawing(const std::string& drawing, const ReadProblem& problem) {
    if (problem.refusal == ReadRefusal::TooLarge) return Fail(kTooLarge, drawing, OpeningRefusalMessage(drawing, problem));
    return Fail(kCannotRead, drawing, "cannot be read: " + problem.reason);
}

struct Output {
    std::string option;  // "-o", "--preview", "--part-file"
    std::string path;
};

std::vector<Output> OutputsOf(const Options& options, const std::string& drawing) {
    std::vector<Output> outputs = {{"-o", options.output.empty() ? DefaultOutput(drawing) : options.output}};
    if (!options.preview.empty()) outputs.push_back({"--preview", options.preview});
    if (!options.partFile.empty()) outputs.push_back({"--part-file", options.partFile});
    return outputs;
}

struct Input {
    std::string path;
    std::string name;  // "the drawing", "the job file"
};

// Refuses, before anything is written, an output that is an input itself or the same file as another
// output: one write would destroy the other. Character devices (/dev/null) take any number of writes.
int CheckOutputs(const std::vector<Output>& outputs, const std::vector<Input>& inputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const Output& output = outputs[i];
        for (const Input& input : inputs) {
            if (IsSameFile(output.path, input.path)) {
                return Fail(kUsage, output.path, output.option + " names " + input.name + " itself; nothing was written");
            }
        }
        std::error_code error;
        if (std::filesystem::is_character_file(output.path, error)) continue;
        for (size_t j = 0; j < i; ++j) {
            if (IsSameFile(output.path, outputs[j].path)) {
                return Fail(kUsage, output.path, output.option + " names the same file as " + outputs[j].option +
                                                     "; nothing was written");
            }
        }
    }
    return kDone;
}

// The template folder: one given with --templates must hold at least one of the three files; the program's
// own folder, the default, may hold none (its programs then have no header, footer or slot lines).
int UseTemplates(Program& program, const Options& options, const char* argv0) {
    const bool given = !options.templates.empty();
    program.templateFolder = given ? options.templates : ProgramFolder(argv0);
    const TemplateFolderCheck check = CheckTemplateFolder(program.templateFolder);
    if (given && check.refusal) return Fail(kUsage, program.templateFolder, *check.refusal + " (--templates)");
    for (const auto& [file, warning] : check.warnings) Warn(file, warning);
    LoadTemplates(program);
    return kDone;
}

int Deliver(const Options& options, const std::string& output, Program& program, const JobResult& job);

int Run(const Options& options, const char* argv0) {
    const std::string drawing = NormalisePath(options.drawing);
    if (const auto problem = WhyFileCannotBeRead(drawing)) return RefuseDrawing(drawing, *problem);
    if (!IsDxfPath(drawing)) return Fail(kNotDxf, drawing, "not a DXF file (the name must end in .dxf)");
    const std::vector<Output> outputs = OutputsOf(options, drawing);
    if (const int status = CheckOutputs(outputs, {{drawing, "the drawing"}}); status != kDone) return status;
    auto program = std::make_unique<Program>();
    if (const int status = UseTemplates(*program, options, argv0); status != kDone) return status;

    std::optional<std::string> text = ReadWholeFile(drawing);
    if (!text) return Fail(kCannotRead, drawing, "cannot be read");
    JobOptions jobOptions{options.leadIn, !options.partFile.empty(), {}, options.cutOpen, true};
    jobOptions.read.mode = options.sheet ? ReadMode::Sheet : ReadMode::Default;
    jobOptions.read.curveTolerance = options.curveTolerance;
    std::optional<OutputUnits> asked;
    if (!options.units.empty()) asked = options.units == "inch" ? OutputUnits::Inches : OutputUnits::Millimetres;
    const SheetUnitsChoice units = ChooseSheetUnits(*program, asked, "--units " + options.units);
    if (options.sheet && !units.clash.empty()) return Fail(kUsage, drawing, units.clash);
    jobOptions.read.units = units.units;
    jobOptions.read.unitsSource = units.source;
    program->kerf = options.kerf;
    const JobResult job = RunMainJob(*program, std::move(*text), jobOptions);
    if (job.read.outcome != DxfReadOutcome::Loaded) {
        return Fail(ReadFailureStatus(job.read.outcome), drawing, ReadFailureText(job.read));
    }
    if (job.leadInRefused) {
        return Fail(kUsage, drawing, "--lead-in " + options.leadIn + " must be shorter than the drawing's larger side, " +
                                         DefaultNumber(LargerSideOfDrawing(*program).value_or(0)));
    }
    WarnAboutJob(drawing, *program, job, jobOptions.read.mode);
    if (job.partCount == 0) return Fail(kCannotRead, drawing, "nothing to cut: the program would hold no part");
    // A sheet holds any number of parts; the default planning makes one outside cut of a drawing.
    if (!options.sheet && job.outsideCuts >= 2) return Fail(kCannotWrite, drawing, "you can have just one outside cut!");

    return Deliver(options, outputs.front().path, *program, job);
}

// The program written to `output`, then the preview and part file asked for, and the summary.
int Deliver(const Options& options, const std::string& output, Program& program, const JobResult& job) {
    std::FILE* notices = NoticeStream(options);
    if (const int status = Save(output, job.programText); status != kDone) return status;
    std::fprintf(notices, "zorvan-cli: wrote %s (%d parts, %lld lines)\n", output.c_str(), job.partCount,
                 static_cast<long long>(job.programLines));

    if (!options.preview.empty()) {
        if (const int status = Save(options.preview, PreviewSvg(program, job.partCount)); status != kDone) return status;
        std::fprintf(notices, "zorvan-cli: wrote %s\n", options.preview.c_str());
    }
    if (!options.partFile.empty()) {
        if (const int status = Save(options.partFile, job.partFileLine + "\r\n"); status != kDone) return status;
        std::fprintf(notices, "zorvan-cli: wrote %s\n", options.partFile.c_str());
    }
    if (!options.summary.empty()) {
        const JobSummary summary = SummarizeJob(program, options.rates);
        std::fputs((options.summary == "json" ? SummaryJson(summary) : SummaryText(summary)).c_str(), stdout);
    }
    return kDone;
}

// --job: the job's drawing read again in the job's mode, the job's plan put in place, and its program written
// as the window's "G CODE" writes it.
int RunJob(const Options& options, const char* argv0) {
    const JobRead read = ReadJobFile(options.job);
    if (!read.job) return FailWith(kCannotRead, read.error);
    const JobFile& job = *read.job;
    const std::string& drawing = job.drawingPath;
    if (const auto problem = WhyFileCannotBeRead(drawing)) return RefuseDrawing(drawing, *problem);
    if (!IsDxfPath(drawing)) return Fail(kNotDxf, drawing, "not a DXF file (the name must end in .dxf)");
    const std::vector<Output> outputs = OutputsOf(options, options.job);
    if (const int status = CheckOutputs(outputs, {{options.job, "the job file"}, {drawing, "the job's drawing"}});
        status != kDone) {
        return status;
    }
    auto program = std::make_unique<Program>();
    if (const int status = UseTemplates(*program, options, argv0); status != kDone) return status;

    std::optional<std::string> text = ReadWholeFile(drawing);
    if (!text) return Fail(kCannotRead, drawing, "cannot be read");
    if (FingerprintOf(*text) != job.fingerprint) Warn(drawing, ChangedDrawingWarning(drawing));
    const JobResult result = RunJobFile(*program, job, std::move(*text), !options.partFile.empty());
    if (result.read.outcome != DxfReadOutcome::Loaded) {
        return Fail(ReadFailureStatus(result.read.outcome), drawing, ReadFailureText(result.read));
    }
    WarnAboutJob(drawing, *program, result, job.read.mode);
    if (result.partCount == 0) return Fail(kCannotRead, options.job, "nothing to cut: the program would hold no part");
    if (job.read.mode == ReadMode::Default && result.outsideCuts >= 2) {
        return Fail(kCannotWrite, options.job, "you can have just one outside cut!");
    }
    return Deliver(options, outputs.front().path, *program, result);
}

}  // namespace

int main(int argc, char** argv) {
    UseLargePagesForTheHeap();
    CLI::App app{"Converts a DXF drawing into a G-code program for a plasma cutting table: the parts are planned\n"
                 "(inside cuts first, the largest contour last as the outside cut), given lead-ins and written\n"
                 "between the header, footer and slot lines of the template files.",
                 "zorvan-cli"};
    Options options;
    CLI::Option* drawing = app.add_option("DRAWING.dxf", options.drawing, "the drawing to convert");
    CLI::Option* job =
        app.add_option("--job", options.job,
                       "open a job file saved by the window's \"Save job\" instead of a drawing and write the program "
                       "of its plan: its drawing is read again, and its mode, cutting order, lead-ins, marks, "
                       "transforms and kerf are the job's (-o defaults to the job's path with .nc)")
            ->excludes(drawing);
    app.add_option("-o,--output", options.output,
                   "program to write (default: the drawing's path, or with --job the job's, with the extension replaced "
                   "by .nc)");
    app.add_option("--templates", options.templates,
                   "folder of 0_HEADER.TXT, 0_FOOTER.TXT, GCODES.TXT (default: the program's own folder); one "
                   "that does not exist or holds none of them is refused");
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
    app.add_option("--part-file", options.partFile, "also write the part file of the planned parts");
    app.add_option("--preview", options.preview, "also write an SVG picture of the planned parts");
    app.add_flag("--sheet", options.sheet,
                 "sheet mode: read the drawing as a CAD user means it (model space, blocks, ellipses, splines, units)");
    app.add_option("--curve-tolerance", options.curveTolerance,
                   "sheet mode: how far the arcs and lines made of ellipses and splines may stray from them, in mm "
                   "(in drawing units where the drawing declares none; 0.0001 to 10, default 0.01)")
        ->check(NumberFrom(0.0001, 10.0, "from 0.0001 to 10"));
    app.add_option("--units", options.units,
                   "sheet mode: the units to write a drawing in that declares its units (default: the units the "
                   "header's G20 or G21 sets, else mm; a clash with the header is refused)")
        ->check(CLI::IsMember({"mm", "inch"}));
    app.add_option("--kerf", options.kerf,
                   "the torch's kerf width in the program's units, for the kerf checks and sheet mode's lead-ins "
                   "(0 or absent: not given, no kerf checks); the controller's tool table holds it for the cut")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    app.add_flag("--cut-open", options.cutOpen,
                 "sheet mode: also cut the contours that do not close, last, without compensation or lead-in");
    // A flag whose format comes only after "=", so that "--summary plate.dxf" never takes the drawing's name.
    app.add_flag("--summary{text}", options.summary,
                 "also print the job summary: units, size, parts, pierces, cut and travel length, estimated time; "
                 "the format only after \"=\": --summary=json for scripts (then standard output holds the JSON "
                 "alone, the notices go to standard error)")
        ->check(CLI::IsMember({"text", "json"}));
    app.add_option("--feed", options.rates.feed,
                   "cutting feed per minute in the program's units, for the time estimate where the templates have "
                   "no F word")
        ->check(NumberFrom(kTiny, kHuge, "above 0"));
    app.add_option("--pierce-delay", options.rates.pierceDelay,
                   "pierce delay in seconds, for the time estimate where the templates have no G4 P word")
        ->check(NumberFrom(0, kHuge, "of 0 or more"));
    app.add_option("--rapid", options.rates.rapid, "rapid rate per minute in the program's units, for the time estimate")
        ->check(NumberFrom(kTiny, kHuge, "above 0"));
    // A job decides how its drawing is read and planned; these options would be silently overruled.
    for (const char* decided : {"--lead-in", "--sheet", "--curve-tolerance", "--units", "--kerf", "--cut-open"}) {
        job->excludes(app.get_option(decided));
    }
    app.set_version_flag("--version", "zorvan-cli " ZORVAN_VERSION);
    app.footer("Exit status: 0 written; 1 usage; 2 drawing or job file cannot be read; 3 not a DXF file; 4 drawing\n"
               "holds a SPLINE; 5 drawing exceeds the tables; 6 output cannot be written.");
    try {
        app.parse(argc, argv);
        if (options.drawing.empty() && options.job.empty()) throw CLI::RequiredError("DRAWING.dxf (or --job FILE)");
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kDone : kUsage;
    }
    // A file size limit makes a write fail with EFBIG, reported as status 6, rather than end the program; an
    // interrupted save leaves no temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    RemoveTemporaryFileOnSignals();
    return options.job.empty() ? Run(options, argv[0]) : RunJob(options, argv[0]);
}
