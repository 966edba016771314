// zorvan-cli as an operator runs it: golden programs, part files and previews of the samples, every corpus drawing,
// the exit statuses and their one-line errors, and arcs whose radii agree at both ends.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "gcode/templates.h"
#include "model/number_text.h"
#include "model/record_text.h"
#include "support/corpus.h"
#include "support/dxf_text.h"
#include "support/temp_folder.h"
#include "support/golden.h"
#include "support/cli_run.h"
#include "support/job_session.h"
#include "ui/form4.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

using testing::CliRun;

std::string Quoted(const std::string& text) { return testing::ShellQuoted(text); }

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("cli");
    }
    void TearDown() override { fs::remove_all(folder); }

    // `shell` goes before the command: "ulimit -f 1; ", "timeout 20 "; `input` is the file on standard input.
    CliRun Run(const std::vector<std::string>& arguments, const std::string& shell = "", const std::string& input = "") const {
        return testing::RunCli(folder, arguments, shell, input);
    }

    CliRun System(std::string command) const { return testing::RunShell(folder, std::move(command)); }

    static std::string Sample(const std::string& name) { return (fs::path(ZORVAN_SOURCE_DIR) / "samples" / name).string(); }
    static std::string Preset(const std::string& name) { return (fs::path(ZORVAN_SOURCE_DIR) / "presets" / name).string(); }

    fs::path folder;
};

const char* const kSamples[] = {"plate_holes_slot", "bracket_lwpolyline", "r12_polyline_plate", "gusset_lf"};

TEST_F(CliTest, SamplesGiveTheirGoldenProgramsAndPartFiles) {
    const fs::path plain = folder / "plain";  // the program's own defaults: 30 empty slots, empty header and footer
    fs::create_directories(plain);
    ASSERT_EQ(CreateMissingTemplateFiles(plain.string()), std::nullopt);
    for (const char* sample : kSamples) {
        SCOPED_TRACE(sample);
        const fs::path nc = folder / "out.nc", par = folder / "out.PAR";
        CliRun run = Run({"--templates", Preset("linuxcnc"), "--lead-in", "0.25", "-o", nc.string(), "--part-file",
                          par.string(), Sample(std::string(sample) + ".dxf")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        testing::ExpectMatchesGolden(std::string(sample) + ".linuxcnc.nc", testing::ReadBytes(nc));
        testing::ExpectMatchesGolden(std::string(sample) + ".PAR", testing::ReadBytes(par));

        const fs::path svg = folder / "out.svg";
        run = Run({"--templates", plain.string(), "-o", nc.string(), "--preview", svg.string(),
                   Sample(std::string(sample) + ".dxf")});
        ASSERT_EQ(run.status, 0) << run.err;
        testing::ExpectMatchesGolden(std::string(sample) + ".plain.nc", testing::ReadBytes(nc));
        testing::ExpectMatchesGolden(std::string(sample) + ".svg", testing::ReadBytes(svg));
    }
}

TEST_F(CliTest, OutputDefaultsToTheDrawingsPathWithNc) {
    fs::copy_file(Sample("gusset_lf.dxf"), folder / "Gusset.dxf");
    const CliRun run = Run({(folder / "Gusset.dxf").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder / "Gusset.nc"));
    EXPECT_NE(run.out.find("Gusset.nc"), std::string::npos);
}

// One line on stderr that names the file.
void ExpectOneLineNaming(const CliRun& run, const std::string& file) {
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
}

TEST_F(CliTest, ExitStatusesAndTheirMessages) {
    EXPECT_EQ(Run({}).status, 1);
    EXPECT_EQ(Run({"--no-such-option", Sample("gusset_lf.dxf")}).status, 1);
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--lead-in"), std::string::npos);
    const CliRun version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("zorvan-cli"), std::string::npos);

    const std::string missing = (folder / "missing.dxf").string();
    ExpectOneLineNaming(Run({missing}), missing);
    EXPECT_EQ(Run({missing}).status, 2);
    EXPECT_EQ(Run({(folder / "missing.txt").string()}).status, 2);  // readability is checked first
    EXPECT_EQ(Run({folder.string()}).status, 2);

    const fs::path text = folder / "notes.txt";
    std::ofstream(text) << "  0\nSECTION\n";
    CliRun run = Run({text.string()});
    EXPECT_EQ(run.status, 3);
    ExpectOneLineNaming(run, text.string());

    const std::string spline = testing::ShippedDrawing("r2010_spline_hatch.dxf");
    run = Run({"-o", (folder / "s.nc").string(), spline});
    EXPECT_EQ(run.status, 4);
    ExpectOneLineNaming(run, spline);
    EXPECT_FALSE(fs::exists(folder / "s.nc"));

    run = Run({"--preview", (folder / "p.svg").string(), "-o", (folder / "p.nc").string(), Sample("gusset_lf.dxf")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(testing::ReadBytes(folder / "p.svg").starts_with("<svg"));
}

TEST_F(CliTest, OutputThatCannotBeWrittenKeepsTheOldFile) {
    const fs::path target = folder / "keep.nc";
    std::ofstream(target, std::ios::binary) << "old program\r\n";
    CliRun run = Run({"-o", (folder / "no-such-folder" / "x.nc").string(), Sample("gusset_lf.dxf")});
    EXPECT_EQ(run.status, 6);
    ExpectOneLineNaming(run, "x.nc");

    fs::create_directories(folder / "a-folder.nc");
    run = Run({"-o", (folder / "a-folder.nc").string(), Sample("gusset_lf.dxf")});
    EXPECT_EQ(run.status, 6);
    EXPECT_TRUE(fs::is_directory(folder / "a-folder.nc"));

    // The program is written first; a part file that fails then gives status 6 and the program stays.
    run = Run({"-o", target.string(), "--part-file", (folder / "a-folder.nc").string(), Sample("gusset_lf.dxf")});
    EXPECT_EQ(run.status, 6);
    EXPECT_NE(testing::ReadBytes(target), "old program\r\n");

    // Past a file size limit the write fails, is reported, and the old file stays.
    std::ofstream(target, std::ios::binary) << "old program\r\n";
    run = Run({"--templates", Preset("linuxcnc"), "-o", target.string(), Sample("plate_holes_slot.dxf")}, "ulimit -f 1; ");
    EXPECT_EQ(run.status, 6);
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(testing::ReadBytes(target), "old program\r\n");
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename().string().find(".zt-"), std::string::npos) << entry.path();  // nothing left behind
    }
}

// A named pipe is refused unopened, so it cannot block; a drawing file too large is refused unread.
TEST_F(CliTest, DrawingsThatAreNotFilesOrTooLargeAreRefusedUnread) {
    const fs::path pipe = folder / "pipe.dxf", huge = folder / "huge.dxf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::ofstream(huge).close();
    fs::resize_file(huge, std::uintmax_t{2} << 30);
    CliRun run = Run({"-o", (folder / "x.nc").string(), pipe.string()}, "timeout 60 ");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zorvan-cli: " + pipe.string() + ": cannot be read: it is a named pipe, not a file\n");
    run = Run({"-o", (folder / "x.nc").string(), huge.string()});
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find(": The drawing is too large: it holds 2048 MB, more than 256 MB."), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "x.nc"));
}

// An output that is the drawing, or the same file as another output, is refused before anything is written.
TEST_F(CliTest, OutputsThatAreTheDrawingOrEachOtherAreRefused) {
    const fs::path drawing = folder / "plate.dxf", nc = folder / "plate.nc";
    fs::copy_file(Sample("plate_holes_slot.dxf"), drawing);
    std::ofstream(nc) << "old";
    fs::create_hard_link(nc, folder / "hard.nc");
    const std::string dxf = drawing.string(), other = (folder / "other.svg").string();
    const std::vector<std::string> clashes[] = {
        {"-o", (folder / "." / "plate.dxf").string(), dxf},                 // the drawing itself
        {"--preview", (folder / "sub" / ".." / "plate.nc").string(), dxf},  // the default output, spelled otherwise
        {"--part-file", (folder / "hard.nc").string(), dxf},               // a hard link to the default output
        {"-o", (folder / "a.nc").string(), "--preview", other, "--part-file", other, dxf}};
    for (const std::vector<std::string>& arguments : clashes) {
        const CliRun run = Run(arguments);
        EXPECT_EQ(run.status, 1) << arguments[1];
        EXPECT_NE(run.err.find("; nothing was written"), std::string::npos) << run.err;
    }
    EXPECT_EQ(testing::ReadBytes(drawing), testing::ReadBytes(Sample("plate_holes_slot.dxf")));
    EXPECT_EQ(testing::ReadBytes(nc), "old");
    EXPECT_FALSE(fs::exists(folder / "a.nc"));
}

// A folder given with --templates must hold at least one of the three files; a file missing from it, or one
// that holds bytes that are not text, is named in a warning.
TEST_F(CliTest, TemplateFoldersThatServeNotAreRefusedAndFaultyFilesNamed) {
    const fs::path empty = folder / "empty", partial = folder / "partial";
    fs::create_directories(empty);
    fs::create_directories(partial);
    for (const fs::path& templates : {folder / "nowhere", empty}) {
        const CliRun run = Run({"--templates", templates.string(), "-o", (folder / "g.nc").string(), Sample("gusset_lf.dxf")});
        EXPECT_EQ(run.status, 1);
        ExpectOneLineNaming(run, templates.string());
    }
    std::ofstream(partial / "GCODES.TXT", std::ios::binary) << std::string("LINE011:M3\r\nLINE012:\0\r\n", 23);
    const CliRun run = Run({"--templates", partial.string(), "-o", (folder / "g.nc").string(), Sample("gusset_lf.dxf")});
    EXPECT_EQ(run.status, 0);
    const std::string prefix = "zorvan-cli: " + partial.string() + "/";
    EXPECT_EQ(run.err, prefix + "0_HEADER.TXT: warning: the template file is missing; it counts as empty\n" + prefix +
                           "0_FOOTER.TXT: warning: the template file is missing; it counts as empty\n" + prefix +
                           "GCODES.TXT: warning: the template file holds bytes that are not text (the first, 0x00, "
                           "on line 2); is it a template file?\n");
}

// A lead-in is 0 or more and shorter than the drawing's larger side, 120 for this plate.
TEST_F(CliTest, LeadInsMustBeLengthsWithinTheDrawing) {
    const std::string nc = (folder / "plate.nc").string();
    const std::pair<const char*, int> cases[] = {{"-1", 1}, {"1e400", 1}, {"120", 1}, {"119.9", 0}, {"0", 0}};
    for (const auto& [leadIn, status] : cases) {
        const CliRun run = Run({"--lead-in", leadIn, "-o", nc, Sample("plate_holes_slot.dxf")});
        EXPECT_EQ(run.status, status) << leadIn << run.err;
    }
    EXPECT_EQ(Run({"--lead-in", "120", "-o", nc, Sample("plate_holes_slot.dxf")}).err,
              "zorvan-cli: " + Sample("plate_holes_slot.dxf") + ": --lead-in 120 must be shorter than the drawing's "
              "larger side, 120\n");
}

TEST_F(CliTest, EveryCorpusDrawingGivesAProgramOrItsDocumentedStatus) {
    const std::map<std::string, int> refused = {{"r14_fusion_splines_crlf.dxf", 4},
                                                {"r2010_spline_hatch.dxf", 4},
                                                {"r2000_spline_in_blocks_only.dxf", 4},
                                                {"r2004_site_plan_large.dxf", 5},
                                                {"binary_r12.dxf", 2},
                                                {"binary_r2000.dxf", 2}};
    for (const fs::path& drawing : testing::CorpusDrawings()) {
        const fs::directory_entry entry(drawing);
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const fs::path nc = folder / "corpus.nc";
        fs::remove(nc);
        const CliRun run = Run({"-o", nc.string(), "--templates", Preset("linuxcnc"), entry.path().string()});
        const auto expected = refused.find(name);
        if (expected == refused.end()) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_TRUE(testing::ReadBytes(nc).starts_with("(Generated by"));
        } else {
            EXPECT_EQ(run.status, expected->second);
            ExpectOneLineNaming(run, name);
            EXPECT_FALSE(fs::exists(nc));
        }
    }
}

// Every G2/G3 row starts where the move before it ended; its centre must be as far from that point as from
// its own end, or a controller refuses the arc.
// Sheet mode's arcs fitted to ellipses and splines too.
TEST_F(CliTest, ArcsHaveTheSameRadiusAtBothEnds) {
    std::vector<std::vector<std::string>> runs;
    for (const char* sample : kSamples) runs.push_back({Sample(std::string(sample) + ".dxf")});
    // The flange's open lines branch where its ellipses meet them: each open contour is cut as runs that join.
    for (const char* curves : {"r14_fusion_splines_crlf.dxf", "r13_duplicate_handles.dxf", "r2018_forms_lwpolyline_ellipse.dxf",
                               "r2013_flange_crlf.dxf"}) {
        runs.push_back({"--sheet", "--cut-open", testing::ShippedDrawing(curves)});
    }
    int arcs = 0;
    for (std::vector<std::string> run : runs) {
        SCOPED_TRACE(run.back());
        const fs::path nc = folder / "arcs.nc";
        run.insert(run.begin(), {"-o", nc.string()});
        ASSERT_EQ(Run(run).status, 0);
        std::istringstream program(testing::ReadBytes(nc));
        double x = 0, y = 0;
        std::string row;
        while (std::getline(program, row)) {
            if (!row.empty() && row.back() == '\r') row.pop_back();
            const auto words = SplitFields(row);
            if (words.size() < 5 || (words[0] != "G0" && words[0] != "G1" && words[0] != "G2" && words[0] != "G3")) continue;
            if (words[0] == "G2" || words[0] == "G3") {
                // "G3 I cx  J cy X x Y y": words 2, 5, 7, 9.
                const double cx = LenientParse(words[2]), cy = LenientParse(words[5]);
                const double ex = LenientParse(words[7]), ey = LenientParse(words[9]);
                const double startRadius = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
                const double endRadius = std::sqrt((ex - cx) * (ex - cx) + (ey - cy) * (ey - cy));
                EXPECT_NEAR(startRadius, endRadius, 0.001) << row;
                x = ex;
                y = ey;
                ++arcs;
            } else {
                x = LenientParse(words[2]);
                y = LenientParse(words[4]);
            }
        }
    }
    EXPECT_GE(arcs, 1000);
}

TEST_F(CliTest, SheetModeReadsWhatTheDefaultLeavesOutAndTheDefaultSaysSo) {
    const std::string ellipses = testing::ShippedDrawing("r2018_forms_lwpolyline_ellipse.dxf");
    const std::string nc = (folder / "sheet.nc").string();
    CliRun run = Run({"-o", nc, ellipses});
    EXPECT_EQ(run.status, 0);
    // The default planning cuts every part of this sheet but the largest as a hole: their lead-ins point
    // into them, and the check names the 21 parts, by the first three and the last.
    EXPECT_EQ(run.err, "zorvan-cli: " + ellipses +
                           ": warning: Not read: 2 ELLIPSE; --sheet reads blocks, ellipses and splines.\n"
                           "zorvan-cli: " + ellipses + ": warning: Lead-ins that pierce part material: 21 parts: "
                           "0, 1, 2 \u2026 32.\n");
    run = Run({"-o", nc, "--sheet", ellipses});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--curve-tolerance", "0"},
                                                  {"--curve-tolerance", "nan"}, {"--units", "feet"},
                                                  {"--lead-in", "5mm"}, {"--feed", "nan"}}) {
        std::vector<std::string> arguments = wrong;
        arguments.insert(arguments.end(), {"--sheet", ellipses});
        EXPECT_EQ(Run(arguments).status, 1) << wrong[0] << " " << wrong[1];
    }
}

// The summary of plate_holes_slot.dxf at lead-in 5, figured by hand: a 120 x 80 plate, two holes of radius
// 6 and a slot of two half circles of radius 10 joined by two 30 mm edges; the feed and pierce delay come
// from the templates, the rapid rate from the command line. Travel runs from the corner (0, 0) to each
// pierce, from each contour's end to the next pierce.
TEST_F(CliTest, SummaryFiguresAreThoseFiguredByHand) {
    const fs::path templates = folder / "templates";
    fs::create_directories(templates);
    std::ofstream(templates / "0_HEADER.TXT") << "G21\r\nG1 F1000 (cutting feed)\r\n";
    std::ofstream(templates / "0_FOOTER.TXT") << "M2\r\n";
    std::ofstream(templates / "GCODES.TXT") << "LINE011:M3\r\nLINE012:G4 P0.5\r\nLINE021:M5\r\n";
    const CliRun run = Run({"-o", (folder / "plate.nc").string(), "--templates", templates.string(), "--lead-in", "5",
                            "--rapid", "5000", "--feed", "3000", "--summary=json", Sample("plate_holes_slot.dxf")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto summary = nlohmann::json::parse(run.out);  // the JSON alone: what was written is said on stderr
    EXPECT_EQ(run.err, "zorvan-cli: wrote " + (folder / "plate.nc").string() + " (4 parts, 50 lines)\n");
    const double pi = std::acos(-1.0), h = 5 / std::sqrt(2.0);
    const double cut = 2 * (120 + 80) + 2 * 2 * pi * 6 + 2 * pi * 10 + 2 * 30 + 4 * 5;
    const double travel = std::hypot(75 - h, 40 + h) + std::hypot(75 - 19, 40 - 20) + (99 - 14) + std::hypot(120 + h - 94, h + 20);
    EXPECT_NEAR(summary["cut_length"].get<double>(), cut, 1e-6);
    EXPECT_NEAR(summary["travel_length"].get<double>(), travel, 1e-6);
    EXPECT_EQ(summary["pierces"], 4);
    EXPECT_EQ(summary["outside_cuts"], 1);
    EXPECT_EQ(summary["holes"], 3);
    EXPECT_EQ(summary["width"], 120.0);
    EXPECT_EQ(summary["feed_per_minute"]["source"], "templates");  // the template's F wins over --feed
    EXPECT_EQ(summary["pierce_delay_seconds"]["value"], 0.5);
    EXPECT_EQ(summary["rapid_per_minute"]["source"], "--rapid");
    EXPECT_NEAR(summary["minutes"].get<double>(), cut / 1000 + 4 * 0.5 / 60 + travel / 5000, 1e-9);
}

// The format is only taken after "=": "--summary json plate.dxf" is one drawing too many. The JSON holds any
// drawing: names of what was left out that are not UTF-8. Lengths too large for a double (four circles of
// radius 9E306) no longer reach the summary: the drawing is larger than any table.
TEST_F(CliTest, SummaryFormatFollowsEqualsAndTheJsonHoldsAnyDrawing) {
    const std::string nc = (folder / "s.nc").string();
    EXPECT_EQ(Run({"--summary", "json", "-o", nc, Sample("gusset_lf.dxf")}).status, 1);
    const fs::path strange = folder / "strange.dxf", huge = folder / "huge.dxf";
    std::ofstream(strange) << "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n10\n"
                              "0\nODD\xff\n8\n0\n0\nENDSEC\n0\nEOF\n";
    CliRun run = Run({"--sheet", "--summary=json", "-o", nc, strange.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["left_out_reasons"], nlohmann::json::parse(R"({"ODD\ufffd": 1})"));

    std::string circles;
    for (int i = 0; i < 4; ++i) circles += "0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n9E306\n";
    std::ofstream(huge) << "0\nSECTION\n2\nENTITIES\n" + circles + "0\nENDSEC\n0\nEOF\n";
    run = Run({"--summary=json", "--feed", "1000", "-o", nc, huge.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("larger than any cutting table (100 m)"), std::string::npos) << run.err;
}

// Lines that branch (a grid of two by three squares, and the half section of a pipe tee where the fuller corpus
// has it): sheet mode cuts every region they enclose and says they are drawn edge to edge, where the default
// planning cuts one outline with holes. An open line is left out and said so, or cut last without
// compensation or lead-in.
TEST_F(CliTest, SheetModeCutsEveryPartAndSaysWhatItLeavesOut) {
    const fs::path grid = folder / "grid.dxf";
    testing::DxfText lines;
    for (const double y : {0.0, 10.0, 20.0}) lines.Line(0, y, 30, y);
    for (const double x : {0.0, 10.0, 20.0, 30.0}) lines.Line(x, 0, x, 20);
    std::ofstream(grid) << lines.Build();
    struct Case {
        std::string drawing;
        int parts;
    };
    std::vector<Case> cases = {{grid.string(), 6}};
    if (const auto tPart = testing::CorpusDrawing("r2000_t_part.dxf")) cases.push_back({tPart->string(), 21});
    const std::string nc = (folder / "t.nc").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drawing);
        CliRun run = Run({"-o", nc, "--sheet", "--summary", c.drawing});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("Parts: " + std::to_string(c.parts) + " outside cuts, 0 holes\n"), std::string::npos)
            << run.out;
        EXPECT_NE(run.err.find(std::to_string(c.parts) + " parts are drawn edge to edge"), std::string::npos) << run.err;
    }
    if (cases.size() > 1) {
        EXPECT_NE(Run({"-o", nc, "--summary", cases[1].drawing}).out.find("Parts: 1 outside cut, 17 holes\n"),
                  std::string::npos);
    }

    const fs::path drawing = folder / "open.dxf";
    std::ofstream(drawing) << "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n10\n"
                              "0\nLINE\n8\n0\n10\n-20\n20\n0\n11\n20\n21\n0\n0\nENDSEC\n0\nEOF\n";
    CliRun run = Run({"-o", nc, "--sheet", drawing.string()});
    EXPECT_EQ(run.err, "zorvan-cli: " + drawing.string() + ": warning: 1 open contour is not cut (--cut-open cuts "
                       "them), 1 of them inside parts (bend lines, centre marks and the like).\n");
    EXPECT_EQ(testing::ReadBytes(nc).find("G40"), std::string::npos);
    run = Run({"-o", nc, "--sheet", "--cut-open", drawing.string()});
    EXPECT_EQ(run.err, "");
    const std::string program = testing::ReadBytes(nc);
    const size_t line = program.find("(------------------- 1");
    ASSERT_NE(line, std::string::npos);
    const std::string open = program.substr(line).substr(program.substr(line).find('\n') + 1);
    EXPECT_TRUE(open.starts_with("G40\r\nG0 X 20 Y 0\r\nG1 X -20.000000 Y 0.000000\r\n\r\n") ||
                open.starts_with("G40\r\nG0 X -20 Y 0\r\nG1 X 20.000000 Y 0.000000\r\n\r\n")) << open;

    // Only the line: nothing to cut, refused and said so, unless open contours are to be cut.
    std::ofstream(drawing) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n-20\n20\n0\n11\n20\n21\n0\n0\nENDSEC\n0\nEOF\n";
    fs::remove(nc);
    run = Run({"-o", nc, "--sheet", drawing.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zorvan-cli: " + drawing.string() + ": The drawing holds no closed contour to cut, only 1 open "
                       "contour. It was not loaded; the previous drawing is kept. --cut-open cuts open contours.\n");
    EXPECT_FALSE(fs::exists(nc));
    EXPECT_EQ(Run({"-o", nc, "--sheet", "--cut-open", drawing.string()}).status, 0);
}

// A drawing with its units in the header and one closed square polyline of side 10 (its flag is a group 70
// too, which must not be read as the units).
std::string SquareIn(int insUnits) {
    return "0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n" + std::to_string(insUnits) +
           "\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n4\n70\n1\n10\n0\n20\n0\n10\n10\n20\n0\n"
           "10\n10\n20\n10\n10\n0\n20\n10\n0\nENDSEC\n0\nEOF\n";
}

// The program's numbers are in the units the header's G20 or G21 sets: the default mode warns where the
// drawing declares others, sheet mode converts to them and refuses a --units that clashes.
TEST_F(CliTest, ProgramUnitsFollowTheHeaderAndTheSummarySaysWhere) {
    const fs::path nc = folder / "out.nc", drawing = folder / "square.dxf";
    std::ofstream(drawing) << SquareIn(4);
    CliRun run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--summary", drawing.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Units: millimetres (as the drawing declares them)\n"), std::string::npos) << run.out;

    std::ofstream(drawing) << SquareIn(1);
    run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), drawing.string()});
    EXPECT_EQ(run.err, "zorvan-cli: " + drawing.string() + ": warning: The drawing is in inches; the header sets "
                       "millimetres (G21): the parts would come out 25.4 times too small. Sheet mode converts.\n");

    run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--sheet", "--units", "inch", drawing.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zorvan-cli: " + drawing.string() + ": --units inch asks for inches, but the header's line "
                       "\"G21\" sets millimetres: the program must be written in the header's units.\n");
    run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--sheet", "--summary", drawing.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Units: millimetres (the header's G21; the drawing's: inches)\n"), std::string::npos);
    EXPECT_NE(testing::ReadBytes(nc).find("G1 X 254.000000 Y 0.000000"), std::string::npos);

    const fs::path plain = folder / "plain";  // no header: --units decides
    fs::create_directories(plain);
    ASSERT_EQ(CreateMissingTemplateFiles(plain.string()), std::nullopt);
    run = Run({"--templates", plain.string(), "-o", nc.string(), "--sheet", "--units", "inch", "--summary=json",
               drawing.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto summary = nlohmann::json::parse(run.out.substr(run.out.find('{')));
    EXPECT_EQ(summary["units"], "inches");
    EXPECT_EQ(summary["units_source"], "--units inch");
}

// With the kerf given, what the controller would refuse is named before it refuses it: on stderr, in the
// summary and in its JSON; without it, the summary says no kerf checks were made.
TEST_F(CliTest, TheKerfIsCheckedWhereItIsGiven) {
    const fs::path nc = folder / "out.nc";
    CliRun run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--summary", Sample("plate_holes_slot.dxf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nKerf: not given: no kerf checks\n"), std::string::npos) << run.out;

    // The default lead-in of 0.25 is shorter than half a 1.5 kerf; lead-ins of 2 are long enough, but the
    // holes of radius 6 are too small for a kerf of 13 (the slot's ends of radius 10 are not).
    run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--kerf", "1.5", Sample("plate_holes_slot.dxf")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "zorvan-cli: " + Sample("plate_holes_slot.dxf") + ": warning: With a kerf of 1.5 the "
                       "controller would refuse: lead-ins not longer than half the kerf: parts 0, 1, 2, 3.\n");
    run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--kerf", "1.5", "--lead-in", "2", "--summary",
               Sample("plate_holes_slot.dxf")});
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\nKerf: 1.5\n"), std::string::npos) << run.out;
    run = Run({"--templates", Preset("linuxcnc"), "-o", nc.string(), "--kerf", "13", "--lead-in", "7",
               "--summary=json", Sample("plate_holes_slot.dxf")});
    const auto summary = nlohmann::json::parse(run.out.substr(run.out.find('{')));
    EXPECT_EQ(summary["kerf"], 13.0);
    EXPECT_EQ(summary["kerf_refusals"]["small_arcs"], nlohmann::json::array({1, 2}));
    EXPECT_NE(run.err.find("arcs smaller than half the kerf: parts 1, 2."), std::string::npos) << run.err;
}

// A job saved in the window gives, with --job, the very program the window's "G CODE" saves for that plan, in
// the job's mode and units whatever the command line's defaults; options the job decides are refused beside it.
TEST_F(CliTest, AJobGivesTheProgramTheWindowSaves) {
    const std::string job = (folder / "plan.zjob").string(), windowNc = (folder / "window.nc").string();
    for (const auto& [sample, sheet] : {std::pair{"plate_holes_slot.dxf", false}, {"sheet_brackets_inch.dxf", true}}) {
        SCOPED_TRACE(sample);
        fs::copy_file(Sample(sample), folder / sample);
        testing::Window window;
        window.program->templateFolder = Preset("linuxcnc");
        LoadTemplates(*window.program);
        ASSERT_NO_FATAL_FAILURE(testing::PlanAndSave(window, (folder / sample).string(), sheet, job));
        window.form.Command17_Click();
        Form4 gcode(*window.program, window.toolkit, window.picture, window.form.cutCount);
        gcode.Form_Activate();
        window.toolkit.fileAnswers = {windowNc};
        gcode.Command2_Click();

        const CliRun run = Run({"--templates", Preset("linuxcnc"), "--job", job, "--summary"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(testing::ReadBytes(folder / "plan.nc"), testing::ReadBytes(windowNc));
        EXPECT_NE(run.out.find(sheet ? "\nUnits: millimetres (the header's G21; the drawing's: inches)\n"
                                     : "\nUnits: millimetres (as the drawing declares them)\n"),
                  std::string::npos)
            << run.out;
    }

    EXPECT_EQ(Run({"--job", job, Sample("gusset_lf.dxf")}).status, 1);
    EXPECT_EQ(Run({"--job", job, "--kerf", "1"}).status, 1);
    EXPECT_EQ(Run({"--job", job, "-o", job}).status, 1);
    const std::string bad = (folder / "bad.zjob").string();
    std::ofstream(bad) << "G90\n";
    const CliRun run = Run({"--job", bad});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zorvan-cli: " + bad + " is not a job file.\n");
    EXPECT_TRUE(testing::ReadBytes(job).starts_with("ZORVAN job 3\r\n"));  // not overwritten by -o
}

// "-" reads the drawing from standard input, as bytes (a binary drawing too), and "-o -" writes the program
// to standard output with nothing else on it: the notices, the summary among them, go to standard error.
TEST_F(CliTest, StandardInputAndOutputCarryTheDrawingAndTheProgram) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, Sample("plate_holes_slot.dxf")},
        {{"--sheet", "--cut-open"}, testing::ShippedDrawing("binary_r12.dxf")}};
    const std::string nc = (folder / "file.nc").string();
    for (const auto& [options, drawing] : cases) {
        SCOPED_TRACE(drawing);
        const auto with = [&](std::vector<std::string> arguments) {
            arguments.insert(arguments.begin(), options.begin(), options.end());
            return arguments;
        };
        ASSERT_EQ(Run(with({"--templates", Preset("linuxcnc"), "-o", nc, drawing})).status, 0);
        const std::string program = testing::ReadBytes(nc);
        const CliRun run = Run(with({"--templates", Preset("linuxcnc"), "-o", "-", "--summary=json", "-"}), "", drawing);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, program);
        EXPECT_TRUE(run.err.starts_with("zorvan-cli: wrote standard output (")) << run.err;
        EXPECT_NE(run.err.find("\"pierces\""), std::string::npos) << run.err;
    }
    // A summary that standard output could not take is a failure, not a success with nothing to read.
    const CliRun full = System("{ " + Quoted(ZORVAN_CLI) + " --summary=json -o " + Quoted(nc) + " " +
                               Quoted(Sample("gusset_lf.dxf")) + " >/dev/full; }");
    EXPECT_EQ(full.status, 6);
    EXPECT_TRUE(full.err.ends_with("\nzorvan-cli: standard output: cannot be written (No space left on device)\n")) << full.err;
}

// Refused before anything is read or written: a program that cannot be named, two outputs on one stream, one
// output file for several drawings.
TEST_F(CliTest, OutputsThatCannotBeNamedOrShareAStreamAreRefused) {
    const std::string plate = Sample("plate_holes_slot.dxf"), nc = (folder / "x.nc").string();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-"}, "zorvan-cli: -: -o must name a file: the drawing from standard input has no name to give it"},
        {{"-o", folder.string() + "/", "-"}, "-o must name a file"},
        {{"-o", nc, "--preview", folder.string() + "/", "-"}, "--preview must name a file"},
        {{"-o", nc, "-", "-"}, "zorvan-cli: -: standard input must be the only drawing"},
        {{"-o", "-", "--part-file", "-", plate}, "zorvan-cli: -: --part-file and -o both name standard output"},
        {{"-o", nc, plate, plate}, "zorvan-cli: " + nc + ": -o names one file, but 2 drawings are given"},
        {{"-o", "-", plate, plate}, "-o names standard output, but 2 drawings"},
        {{"-o", folder.string(), plate, plate}, "-o (for " + plate + ") names the same file as -o (for " + plate + ")"}};
    for (const auto& [arguments, error] : cases) {
        const CliRun run = Run(arguments, "", plate);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
        EXPECT_TRUE(run.err.ends_with("; nothing was written\n")) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);  // stdout.txt, stderr.txt
}

// Each drawing is converted as if alone, into the folder -o names; one refused stops none of the others, and
// the status is the highest (4: sheet_brackets_inch.dxf holds a SPLINE). The JSON summary is one array, an
// object per drawing holding the keys of a single drawing's object after "drawing", "status" and "program".
TEST_F(CliTest, SeveralDrawingsAreEachConvertedAsAloneIntoAFolder) {
    const fs::path out = folder / "out", notes = folder / "notes.txt";
    fs::create_directories(out);
    std::ofstream(notes) << "not a drawing\n";
    std::vector<std::string> arguments = {"--templates", Preset("linuxcnc"), "--summary=json", "-o", out.string(),
                                          "--preview", out.string() + "/"};
    std::vector<std::string> drawings;
    for (const auto& entry : fs::directory_iterator(fs::path(ZORVAN_SOURCE_DIR) / "samples")) drawings.push_back(entry.path().string());
    std::sort(drawings.begin(), drawings.end());
    drawings.insert(drawings.end(), {(folder / "missing.dxf").string(), notes.string()});
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    const CliRun run = Run(arguments);
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3 + 2 * 4) << run.err;  // 3 errors, 4 programs and previews
    const auto summaries = nlohmann::json::parse(run.out);
    ASSERT_TRUE(summaries.is_array());
    ASSERT_EQ(summaries.size(), drawings.size());
    for (size_t i = 0; i < drawings.size(); ++i) {
        SCOPED_TRACE(drawings[i]);
        nlohmann::json summary = summaries[i];
        EXPECT_EQ(summary["drawing"], drawings[i]);
        const fs::path nc = out / fs::path(drawings[i]).filename().replace_extension(".nc");
        const CliRun alone = Run({"--templates", Preset("linuxcnc"), "--summary=json", "-o", (folder / "alone.nc").string(),
                                  drawings[i]});
        EXPECT_EQ(summary["status"], alone.status);
        if (alone.status != 0) {
            EXPECT_EQ("zorvan-cli: " + summary["message"].get<std::string>() + "\n", alone.err);
            EXPECT_FALSE(fs::exists(nc));
            continue;
        }
        EXPECT_EQ(summary["program"], nc.string());
        EXPECT_EQ(testing::ReadBytes(nc), testing::ReadBytes(folder / "alone.nc"));
        EXPECT_TRUE(fs::exists(fs::path(nc).replace_extension(".svg")));
        summary.erase("drawing");
        summary.erase("status");
        summary.erase("program");
        EXPECT_EQ(summary.dump(), nlohmann::json::parse(alone.out).dump());
    }
}

// --quiet leaves standard error to errors; the summary asked for is still written.
TEST_F(CliTest, QuietSaysNothingButErrors) {
    const std::string nc = (folder / "q.nc").string();
    const std::string ellipses = testing::ShippedDrawing("r2018_forms_lwpolyline_ellipse.dxf");
    CliRun run = Run({"--quiet", "-o", nc, ellipses});  // warned about without --quiet
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
    run = Run({"--quiet", "--summary", "-o", folder.string(), Sample("plate_holes_slot.dxf"), (folder / "missing.dxf").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zorvan-cli: " + (folder / "missing.dxf").string() + ": cannot be read: No such file or directory\n");
    EXPECT_TRUE(run.out.starts_with("Drawing: " + Sample("plate_holes_slot.dxf") + "\nUnits: ")) << run.out;
}

// The completion script the build installs is the one the command line makes from its option table: it parses,
// offers exactly the options --help lists, and completes their values and the drawings.
TEST_F(CliTest, BashCompletionOffersWhatTheHelpLists) {
    const std::string script = testing::ReadBytes(ZORVAN_BASH_COMPLETION);
    EXPECT_EQ(script, Run({"--completion=bash"}).out);
    EXPECT_EQ(System("bash -n " + Quoted(ZORVAN_BASH_COMPLETION)).status, 0);

    std::set<std::string> listed;  // "  -o,--output TEXT ...", "  --summary{text} ..."
    std::istringstream help(Run({"--help"}).out);
    for (std::string line; std::getline(help, line);) {
        if (!line.starts_with("  -")) continue;
        std::istringstream names(line.substr(2, line.find_first_of(" {", 2) - 2));
        for (std::string name; std::getline(names, name, ',');) listed.insert(name);
    }
    EXPECT_TRUE(listed.contains("--quiet") && listed.contains("-o") && listed.contains("--summary")) << listed.size();

    fs::create_directories(folder / "sub");
    for (const char* file : {"a.dxf", "B.DXF", "notes.txt", "plan.zjob"}) std::ofstream(folder / file).close();
    const auto complete = [&](const std::string& words) {
        const CliRun run = System("cd " + Quoted(folder.string()) + " && bash -c " + Quoted(
            "source " + Quoted(ZORVAN_BASH_COMPLETION) + "; COMP_WORDS=(zorvan-cli " + words + "); "
            "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); f=$(complete -p zorvan-cli); f=${f#*-F }; ${f%% *}; "
            "printf '%s\\n' \"${COMPREPLY[@]}\""));
        std::set<std::string> replies;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) replies.insert(line);  // printf prints one empty line for no reply
        }
        return replies;
    };
    std::set<std::string> options;
    for (const std::string& reply : complete("-")) options.insert(reply.ends_with('=') ? reply.substr(0, reply.size() - 1) : reply);
    EXPECT_EQ(options, listed);
    const std::pair<std::string, std::set<std::string>> cases[] = {
        {"--su", {"--summary", "--summary="}}, {"--summary = ''", {"text", "json"}}, {"--summary=j", {"--summary=json"}},
        {"--units ''", {"mm", "inch"}},       {"--job ''", {"sub", "plan.zjob"}},   {"--templates ''", {"sub"}},
        {"--kerf ''", {}},                    {"''", {"sub", "a.dxf", "B.DXF"}}};
    for (const auto& [words, replies] : cases) EXPECT_EQ(complete(words), replies) << words;
}

TEST_F(CliTest, CutQualityOptionsAndPresetsSayWhatTheyCannotDo) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string err, out;  // what standard error holds (or must not hold, with a leading "!"), and output
    };
    const std::string plate = Sample("plate_holes_slot.dxf"), nc = (folder / "p.nc").string();
    const Case cases[] = {
        {{"--lead-in-style", "arc", "-o", nc, plate}, 1, "apply in sheet mode only", ""},
        {{"--sheet", "--templates", Preset("linuxcnc"), "--arc-centres", "relative", "-o", nc, plate}, 1,
         "contradicts the header's G90.1", ""},
        {{"--sheet", "--templates", Preset("grbl"), "--kerf", "1.5", "-o", nc, plate}, 0,
         "The templates expect the program to allow for the kerf", ""},
        {{"--sheet", "--templates", Preset("grbl"), "--kerf", "1.5", "--compensation", "program", "--summary", "-o", nc,
          plate},
         0, "!expect", "Arc centres: relative"},
        {{"--sheet", "--small-hole-feed", "120%", "-o", nc, plate}, 1, "small-hole-feed", ""},
    };
    for (const Case& c : cases) {
        const CliRun run = Run(c.arguments);
        SCOPED_TRACE(c.arguments.front() + " ... " + run.err);
        EXPECT_EQ(run.status, c.status);
        if (c.err.starts_with("!")) {
            EXPECT_EQ(run.err.find(c.err.substr(1)), std::string::npos);
        } else {
            EXPECT_NE(run.err.find(c.err), std::string::npos);
        }
        EXPECT_NE(run.out.find(c.out), std::string::npos);
    }
}

}  // namespace
}  // namespace zorvan
