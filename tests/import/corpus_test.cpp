// Every drawing of the shared corpus (written by other programs) reads without a crash, in either mode, and
// gives records or one message; the sample drawings all read.
#include <gtest/gtest.h>

#include "support/corpus.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "import/dxf_reader.h"
#include "model/record_text.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

enum class Expect { Records, Binary, Spline, TooManyContours, NothingToCut, OnlyOpenContours };

// Drawings that do not simply read into records, and why.
const std::map<std::string, Expect> kSpecialCases = {
    {"binary_r12.dxf", Expect::Binary},  // binary DXF: refused with a message saying so
    {"binary_r2000.dxf", Expect::Binary},
    {"r14_fusion_splines_crlf.dxf", Expect::Spline},
    {"r2010_spline_hatch.dxf", Expect::Spline},
    {"r2000_spline_in_blocks_only.dxf", Expect::Spline},  // a SPLINE anywhere in the file refuses it
    {"r2004_site_plan_large.dxf", Expect::TooManyContours},
};

// Checks what a successful load must always leave: every record in some contour, sane tables.
void ExpectConsistentDrawing(const Program& program) {
    std::set<int32_t> inChain;
    for (const std::string_view element : SplitFields(program.contourChain, '|')) {
        const std::string_view number = element.starts_with(":") ? element.substr(1) : element;
        if (!number.empty()) inChain.insert(std::stoi(std::string(number)));
    }
    EXPECT_EQ(static_cast<int32_t>(inChain.size()), program.store.n + 1);
    if (!inChain.empty()) {
        EXPECT_EQ(*inChain.begin(), 0);
        EXPECT_EQ(*inChain.rbegin(), program.store.n);
    }
    EXPECT_LE(std::count(program.contourChain.begin(), program.contourChain.end(), ':'), kMaxContours);
    for (const std::string_view record : program.store.Records()) {
        EXPECT_EQ(record.find("inf"), std::string::npos) << record;
        EXPECT_EQ(record.find("nan"), std::string::npos) << record;
    }
}

void ReadAndCheck(const fs::path& path, Expect expect, const ReadOptions& options = {}) {
    SCOPED_TRACE(path.filename().string());
    auto program = std::make_unique<Program>();
    const DxfReadResult result = ReadDxf(*program, path.string(), options);
    const std::string message = ReadOutcomeMessage(result);
    switch (expect) {
        case Expect::Records:
            ASSERT_EQ(result.outcome, DxfReadOutcome::Loaded);
            EXPECT_GE(program->store.n, 0);
            ExpectConsistentDrawing(*program);
            break;
        case Expect::Binary:
            EXPECT_EQ(result.outcome, DxfReadOutcome::Binary);
            EXPECT_EQ(message, kBinaryDxfMessage);
            break;
        case Expect::Spline:
            EXPECT_EQ(result.outcome, DxfReadOutcome::HasSpline);
            EXPECT_EQ(message, kSplineMessage);
            break;
        case Expect::TooManyContours:
            EXPECT_EQ(result.outcome, DxfReadOutcome::TooLarge);
            EXPECT_EQ(result.limit, TableLimit::Contours);
            EXPECT_EQ(message, TableLimitMessage(TableLimit::Contours));
            EXPECT_EQ(program->store.n, -1);
            break;
        case Expect::NothingToCut:
            EXPECT_EQ(result.outcome, DxfReadOutcome::Empty);
            EXPECT_TRUE(message.starts_with(kEmptyDrawingMessage)) << message;
            break;
        case Expect::OnlyOpenContours:
            EXPECT_EQ(result.outcome, DxfReadOutcome::Empty);
            EXPECT_GT(result.openContours, 0);
            EXPECT_TRUE(message.starts_with("The drawing holds no closed contour to cut, only ")) << message;
            break;
    }
}

TEST(Corpus, EveryDrawingReadsOrIsRefusedWithItsMessage) {
    int files = 0;
    for (const fs::path& file : testing::CorpusDrawings()) {
        const fs::directory_entry entry(file);
        const auto special = kSpecialCases.find(entry.path().filename().string());
        ReadAndCheck(entry.path(), special == kSpecialCases.end() ? Expect::Records : special->second);
        ++files;
    }
    EXPECT_GE(files, 26);  // those shipped, and more where the fuller corpus lies beside the project
}

// Sheet mode reads what the default reading refuses (binary files, splines); what it still cannot use is
// refused with one message each.
TEST(Corpus, EveryDrawingReadsInSheetModeOrIsRefusedWithOneMessage) {
    const std::map<std::string, Expect> refused = {
        {"binary_r2000.dxf", Expect::NothingToCut},      // only a TEXT
        {"binary_r12.dxf", Expect::OnlyOpenContours},    // a triangle that does not close
        {"r2013_us_map_10k_lines.dxf", Expect::OnlyOpenContours},  // lines that do not close
        {"r12_polylines_bulges.dxf", Expect::NothingToCut},  // every polyline on a tilted plane
        {"r2000_architecture_crlf.dxf", Expect::TooManyContours},  // its blocks hold thousands of shapes
        {"r2004_site_plan_large.dxf", Expect::TooManyContours},
    };
    ReadOptions sheet;
    sheet.mode = ReadMode::Sheet;
    for (const fs::path& file : testing::CorpusDrawings()) {
        const fs::directory_entry entry(file);
        const auto special = refused.find(entry.path().filename().string());
        ReadAndCheck(entry.path(), special == refused.end() ? Expect::Records : special->second, sheet);
    }
    // The binary R12 file reads as the open triangle it holds, when open contours are to be cut.
    auto program = std::make_unique<Program>();
    sheet.cutOpen = true;
    ASSERT_EQ(ReadDxf(*program, testing::ShippedDrawing("binary_r12.dxf"), sheet).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->contourChain, "0|1|2|:");
}

TEST(Samples, EverySampleDrawingReadsIntoClosedContours) {
    const std::map<std::string, std::string> chains = {
        {"plate_holes_slot.dxf", "0|3|2|1|:6|9|8|7|:4|:5|:"},
        {"bracket_lwpolyline.dxf", "0|11|10|9|8|7|6|5|4|3|2|1|:12|15|14|13|:16|17|:"},
        {"r12_polyline_plate.dxf", "0|3|2|1|:4|9|8|7|6|5|:"},
        {"gusset_lf.dxf", "0|2|1|:3|:"},
    };
    for (const auto& [name, chain] : chains) {
        SCOPED_TRACE(name);
        const fs::path path = fs::path(ZORVAN_SOURCE_DIR) / "samples" / name;
        ReadAndCheck(path, Expect::Records);
        auto program = std::make_unique<Program>();
        ASSERT_EQ(ReadDxf(*program, path.string()).outcome, DxfReadOutcome::Loaded);
        EXPECT_EQ(program->contourChain, chain);
    }
}

}  // namespace
}  // namespace zorvan
