// The programs as the controller runs them: LinuxCNC's rs274 with a 1.5 mm kerf in its tool table. The kerf
// check must name exactly the parts the controller refuses, on the samples and on the real drawings, in both
// modes; with lead-ins long enough, the samples' programs run whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "gcode/main_job.h"
#include "gcode/templates.h"
#include "model/text_file.h"
#include "planning/outlines.h"
#include "planning/sheet_plan.h"
#include "support/corpus.h"
#include "support/golden.h"
#include "support/temp_folder.h"
#include "support/rs274.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

constexpr double kKerf = 1.5;

// Under the sanitizers the largest drawings take minutes to plan: the plain build checks them.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uintmax_t kLargestDrawing = 1'000'000;
#else
constexpr std::uintmax_t kLargestDrawing = UINTMAX_MAX;
#endif

std::vector<fs::path> Drawings() {
    std::vector<fs::path> drawings;
    for (const auto& file : fs::directory_iterator(fs::path(ZORVAN_SOURCE_DIR) / "samples")) {
        if (file.path().extension() == ".dxf") drawings.push_back(file.path());
    }
    for (const fs::path& file : testing::CorpusDrawings()) {
        if (fs::file_size(file) <= kLargestDrawing) drawings.push_back(file);
    }
    std::sort(drawings.begin(), drawings.end());
    return drawings;
}

struct Planned {
    bool loaded = false;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    JobResult job;
};

Planned Plan(const fs::path& drawing, ReadMode mode, const std::string& leadIn) {
    Planned planned;
    planned.program->templateFolder = (fs::path(ZORVAN_SOURCE_DIR) / "presets" / "linuxcnc").string();
    LoadTemplates(*planned.program);
    // The kerf as rs274 takes it from its tool table (0.74999999999995 for a radius of 0.75): features exactly as
    // wide as the kerf are decided alike.
    planned.program->kerf = 2 * testing::ToolForKerf(kKerf).radiusMm;
    std::optional<std::string> text = ReadWholeFile(drawing.string());
    if (!text) return planned;
    JobOptions options;
    options.leadIn = leadIn;
    options.read.mode = mode;
    planned.job = RunMainJob(*planned.program, std::move(*text), options);
    planned.loaded = planned.job.read.outcome == DxfReadOutcome::Loaded;
    return planned;
}

struct Tally {
    int accepted = 0, refused = 0, disagreements = 0;
};

// The controller's verdict on every part of the program against the check's.
void Compare(const std::string& programText, const KerfCheck& check, Tally& tally) {
    for (const auto& [part, verdict] : testing::RunRs274OnProgram(programText, testing::ToolForKerf(kKerf))) {
        ASSERT_EQ(verdict.trouble, "");
        const bool named = check.Names(part);
        EXPECT_EQ(named, !verdict.accepted) << "part " << part << ": " << verdict.message;
        if (named != !verdict.accepted) ++tally.disagreements;
        ++(verdict.accepted ? tally.accepted : tally.refused);
    }
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::Rs274Path()) GTEST_SKIP() << "rs274 is missing: install linuxcnc-uspace (make test does)";
    }
};

// Lead-ins of 2 in both modes, the kerf given: the check warns where the controller refuses, and only there;
// every closed contour is planned once.
TEST_F(ControllerTest, TheKerfCheckNamesThePartsTheControllerRefuses) {
    Tally tally;
    int programs = 0;
    for (const fs::path& drawing : Drawings()) {
        for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
            SCOPED_TRACE(drawing.filename().string() + (mode == ReadMode::Sheet ? " in sheet mode" : ""));
            const Planned planned = Plan(drawing, mode, "2");
            if (!planned.loaded) continue;
            ++programs;
            EXPECT_EQ(planned.program->closedNotPlannedOnce, 0);  // no part lost, none cut twice
            Compare(planned.job.programText, planned.job.kerf, tally);
        }
    }
    std::printf("rs274 and the kerf check on %d programs: %d parts accepted, %d refused, %d disagreements\n",
                programs, tally.accepted, tally.refused, tally.disagreements);
}

// The samples' programs run whole with a real kerf: in the default mode with lead-ins of 2, in sheet mode with
// the default 0.25, which the search lengthens for the kerf, its pierces a kerf clear of every contour. The
// golden programs, with the default lead-in of 0.25, are refused part by part, and the check says so first.
TEST_F(ControllerTest, SamplesRunWithARealKerfAndTheGoldenProgramsAreRefusedAsTheCheckSays) {
    for (const fs::path& drawing : Drawings()) {
        if (drawing.parent_path().filename() != "samples") continue;
        for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
            SCOPED_TRACE(drawing.filename().string() + (mode == ReadMode::Sheet ? " in sheet mode" : ""));
            const Planned planned = Plan(drawing, mode, mode == ReadMode::Sheet ? "0.25" : "2");
            if (!planned.loaded) continue;
            EXPECT_TRUE(planned.job.kerf.Clean()) << KerfWarning(planned.job.kerf);
            const OutlineIndex outlines = PartOutlines(*planned.program);
            for (int32_t part = 0; mode == ReadMode::Sheet && part < planned.job.partCount; ++part) {
                const PartLeadIn leadIn = LeadInOf(planned.program->partList[static_cast<size_t>(part)]);
                EXPECT_GT(Distance(leadIn.pierce, leadIn.start), kKerf / 2) << "part " << part;
                EXPECT_FALSE(outlines.Near(leadIn.pierce, kKerf * 0.999)) << "part " << part;
            }
            for (const auto& [part, verdict] :
                 testing::RunRs274OnProgram(planned.job.programText, testing::ToolForKerf(kKerf))) {
                EXPECT_TRUE(verdict.accepted) << "part " << part << ": " << verdict.message;
            }
        }
        const fs::path golden = fs::path(ZORVAN_SOURCE_DIR) / "tests" / "data" / drawing.filename().replace_extension(".linuxcnc.nc");
        if (!fs::exists(golden)) continue;
        const Planned planned = Plan(drawing, ReadMode::Default, "0.25");
        ASSERT_TRUE(planned.loaded);
        const std::string program = testing::ReadBytes(golden);
        ASSERT_EQ(planned.job.programText, program);
        EXPECT_EQ(static_cast<int32_t>(planned.job.kerf.shortLeadIns.size()), planned.job.partCount);
        Tally tally;
        Compare(program, planned.job.kerf, tally);
        EXPECT_EQ(tally.accepted, 0);
    }
}

}  // namespace
}  // namespace zorvan
