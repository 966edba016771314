// Inputs that broke a rule of the fuzz targets, kept in tests/data/fuzz/, run through the same rules the
// targets check: a drawing (.dxf) goes through the main job in memory (reading, contour list, preparation,
// lead-ins, program), a number text (.txt) through the number reader. Each must end soundly: no crash, no
// sanitizer report, every rule kept.
//
// The inputs and what each shows:
//   arc_radius_cell_key_overflow.dxf loose arcs of a huge radius: the grid key of their radius overflowed a
//                                    signed multiplication while arcs drawn twice were merged (sheet mode)
//   arc_start_point_overflow.dxf     an ARC of centre X 1E308 and radius 1E308: its start point X overflowed
//                                    and "inf" was written into the record (now refused as out of range)
//   circle_start_point_overflow.dxf  a CIRCLE of centre X -1E308 and radius 1E308: the start point cx - r
//                                    overflowed to "-inf" in the record (now refused as out of range)
//   lead_in_nan_from_huge_coordinates.dxf
//                                    a LINE from (1E308, 1E308) to (-1E308, -1E308): the lead-in angle of its
//                                    chord was NaN, the part entry's lead-in point read "-nan -nan" and the
//                                    rapid move went to X 0 Y 0 (now refused as out of range)
//   number_near_double_max_reads_back_as_zero.txt
//                                    1.7976931348623157E308 (the largest double) is written as
//                                    1.79769313486232E+308, which lies beyond the doubles and reads back as 0;
//                                    drawings are refused beyond 1E+307, so the round trip is held to that
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../../fuzz/fuzz_checks.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

const fs::path kFolder = ZORVAN_SOURCE_DIR "/tests/data/fuzz";
// The fuzz targets' own seeds of extreme values: huge and non-finite parameters, long runs of groups, wide
// arrays of inserts, nearly whole bulge arcs.
const fs::path kSeeds = ZORVAN_SOURCE_DIR "/fuzz/seeds";

std::vector<fs::path> InputsIn(const fs::path& folder) {
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::vector<fs::path> FoundInputs() { return InputsIn(kFolder); }

class FuzzRegressionTest : public ::testing::TestWithParam<fs::path> {};

TEST_P(FuzzRegressionTest, EndsSoundly) {
    const fs::path& path = GetParam();
    const std::string input = testing::ReadBytes(path);
    if (path.extension() == ".txt") {
        EXPECT_EQ(fuzz::CheckNumberText(input), std::nullopt);
        return;
    }
    auto program = std::make_unique<Program>();
    program->templateFolder = (kFolder / "no-templates").string();  // no template rows: the program's own only
    for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
        const fuzz::MainJobOutcome outcome = fuzz::RunMainJob(*program, input, mode);
        EXPECT_EQ(outcome.failure, std::nullopt) << (mode == ReadMode::Sheet ? "sheet mode" : "default mode");
    }
}

std::string TestName(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.stem().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(FoundInputs, FuzzRegressionTest, ::testing::ValuesIn(FoundInputs()), TestName);
INSTANTIATE_TEST_SUITE_P(ExtremeSeeds, FuzzRegressionTest, ::testing::ValuesIn(InputsIn(kSeeds)), TestName);

// An empty or missing folder would leave nothing above to run.
TEST(FuzzRegressionInputs, FolderHoldsTheInputs) { EXPECT_FALSE(FoundInputs().empty()) << kFolder; }

}  // namespace
}  // namespace zorvan
