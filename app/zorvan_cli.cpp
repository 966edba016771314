// zorvan-cli: the main job without a window. It does what an operator does: opens the drawing from the file
// list (reading, the preparation of the parts), presses "Calculate Lead Ins" and "G CODE", and saves the
// program; optionally the part file too.
//
// Exit status: 0 written; 1 usage; 2 drawing cannot be read; 3 not a DXF file; 4 drawing holds a SPLINE;
// 5 drawing exceeds the tables; 6 output cannot be written.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "console_toolkit.h"
#include "gcode/templates.h"
#include "import/dxf_reader.h"
#include "import/opening.h"
#include "model/program.h"
#include "model/text_file.h"
#include "ui/form1.h"
#include "ui/form4.h"
#include "ui/part_file.h"
#include "ui/null_surface.h"
#include "ui/svg_surface.h"
#include "ui/view.h"

namespace {

using namespace zorvan;

enum ExitStatus : int {
    kWritten = 0,
    kUsage = 1,
    kCannotRead = 2,
    kNotDxf = 3,
    kHasSpline = 4,
    kTooLarge = 5,
    kCannotWrite = 6,
};

struct Options {
    std::string drawing;
    std::string output;
    std::string templates;
    std::string leadIn = "0.25";
    std::string partFile;
    std::string preview;
};

int Fail(int status, const std::string& file, const std::string& what) {
    std::fprintf(stderr, "zorvan-cli: %s: %s\n", file.c_str(), what.c_str());
    return status;
}

// The folder that holds this program, where the template files live by default.
std::string ProgramFolder(const char* argv0) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.parent_path().string();
    return std::filesystem::absolute(argv0, error).parent_path().string();
}

// The planned parts as the main view draws them, on an 800 x 600 picture fitted with margin to the extents.
std::string PreviewSvg(Program& program, int32_t partCount) {
    SvgSurface preview(800, 600);
    FitView(program, preview, program.extMinX, program.extMaxY, program.extMaxX, program.extMinY, true);
    RedrawView(program, partCount, preview, kBlue);
    return preview.Svg();
}

std::string DefaultOutput(const std::string& drawing) {
    return std::filesystem::path(drawing).replace_extension(".nc").string();
}

int ReadDrawing(Program& program, Surface& view, ConsoleToolkit& toolkit, const std::string& path) {
    if (!FileCanBeOpened(path)) return Fail(kCannotRead, path, "cannot be read");
    if (!IsDxfPath(path)) return Fail(kNotDxf, path, "not a DXF file (the name must end in .dxf)");
    const DxfReadResult result = ReadDxf(program, view, toolkit, path);
    switch (result.outcome) {
        case DxfReadOutcome::Loaded: return kWritten;
        case DxfReadOutcome::CannotRead: return Fail(kCannotRead, path, "cannot be read");
        case DxfReadOutcome::HasSpline:
            return Fail(kHasSpline, path, "the drawing holds a SPLINE, which cannot be cut; nothing was written");
        case DxfReadOutcome::TooLarge: return Fail(kTooLarge, path, TableLimitMessage(result.limit));
        case DxfReadOutcome::Binary: return Fail(kCannotRead, path, std::string(kBinaryDxfMessage));
        case DxfReadOutcome::Empty: return Fail(kCannotRead, path, std::string(kEmptyDrawingMessage));
        case DxfReadOutcome::OutOfRange: return Fail(kCannotRead, path, std::string(kOutOfRangeMessage));
    }
    return kCannotRead;
}

int Run(const Options& options, const char* argv0) {
    const std::string drawing = NormalisePath(options.drawing);
    auto program = std::make_unique<Program>();
    program->templateFolder = options.templates.empty() ? ProgramFolder(argv0) : options.templates;
    LoadTemplates(*program);

    NullSurface picture;  // the window's redraws have no one to look at here
    ConsoleToolkit toolkit;
    Form1 form(*program, toolkit, picture);
    if (const int status = ReadDrawing(*program, picture, toolkit, drawing); status != kWritten) return status;

    // The file-list route: contour list, part entries, cut order, orientation, areas; then the lead-ins.
    form.FillContourList();
    form.PrepareParts();
    program->openedDrawingPath = drawing;
    form.Text6 = options.leadIn;
    form.Command32_Click();

    const int32_t cutCount = form.List2.ListCount();
    if (CountOutsideCuts(*program, cutCount) >= 2) return Fail(kCannotWrite, drawing, "you can have just one outside cut!");
    Form4 gcodeWindow(*program, toolkit, picture, cutCount);
    gcodeWindow.Form_Activate();

    const std::string output = options.output.empty() ? DefaultOutput(drawing) : options.output;
    if (const auto failure = SaveTextFile(output, JoinCrLf(gcodeWindow.List1.rows))) {
        return Fail(kCannotWrite, output, "cannot be written (" + *failure + ")");
    }
    std::printf("zorvan-cli: wrote %s (%d parts, %zu lines)\n", output.c_str(), cutCount, gcodeWindow.List1.rows.size());

    if (!options.preview.empty()) {
        if (const auto failure = SaveTextFile(options.preview, PreviewSvg(*program, cutCount))) {
            return Fail(kCannotWrite, options.preview, "cannot be written (" + *failure + ")");
        }
        std::printf("zorvan-cli: wrote %s\n", options.preview.c_str());
    }
    if (!options.partFile.empty()) {
        if (const auto failure = SaveTextFile(options.partFile, PartFileLine(*program, cutCount) + "\r\n")) {
            return Fail(kCannotWrite, options.partFile, "cannot be written (" + *failure + ")");
        }
        std::printf("zorvan-cli: wrote %s\n", options.partFile.c_str());
    }
    return kWritten;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Converts a DXF drawing into a G-code program for a plasma cutting table: the parts are planned\n"
                 "(inside cuts first, the largest contour last as the outside cut), given lead-ins and written\n"
                 "between the header, footer and slot lines of the template files.",
                 "zorvan-cli"};
    Options options;
    app.add_option("DRAWING.dxf", options.drawing, "the drawing to convert")->required();
    app.add_option("-o,--output", options.output,
                   "program to write (default: the drawing's path with the extension replaced by .nc)");
    app.add_option("--templates", options.templates,
                   "folder of 0_HEADER.TXT, 0_FOOTER.TXT, GCODES.TXT (default: the program's own folder)");
    app.add_option("--lead-in", options.leadIn, "lead-in length, read like the lead-in box (default 0.25)");
    app.add_option("--part-file", options.partFile, "also write the part file of the planned parts");
    app.add_option("--preview", options.preview, "also write an SVG picture of the planned parts");
    app.set_version_flag("--version", "zorvan-cli 0.1.0");
    app.footer("Exit status: 0 written; 1 usage; 2 drawing cannot be read; 3 not a DXF file; 4 drawing holds a\n"
               "SPLINE; 5 drawing exceeds the tables; 6 output cannot be written.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kWritten : kUsage;
    }
    return Run(options, argv[0]);
}
