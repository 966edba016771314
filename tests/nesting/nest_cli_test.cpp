// zorvan-cli --nest as an operator runs it: the sheets' files written, a part that fits no sheet named with
// its own exit status, options misused refused, a strip-packing instance measured.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "support/cli_run.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

using testing::CliRun;

class NestCliTest : public ::testing::Test {
protected:
    void SetUp() override { folder = testing::FreshTestFolder("nest"); }
    void TearDown() override { fs::remove_all(folder); }

    CliRun Cli(const std::vector<std::string>& arguments) const { return testing::RunCli(folder, arguments); }
    static std::string Sample(const std::string& name) { return std::string(ZORVAN_SOURCE_DIR) + "/samples/" + name; }
    std::string Out() const { return (folder / "sheets").string() + "/"; }

    fs::path folder;
};

TEST_F(NestCliTest, NestWritesAProgramAPreviewAndADrawingPerSheet) {
    const CliRun run = Cli({"--nest", "--sheet-size", "330x240", "--nest-evaluations", "5", "--templates",
                         std::string(ZORVAN_SOURCE_DIR) + "/presets/linuxcnc", "--lead-in", "3", "--summary=json",
                         "--kerf", "1", "--lead-in-style", "arc", "--lead-out", "arc",
                         Sample("plate_holes_slot.dxf") + ":3", Sample("gusset_lf.dxf") + ":4", "-o", Out()});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json summary = nlohmann::json::parse(run.out);
    EXPECT_EQ(summary["totals"]["parts_placed"], 7);
    EXPECT_EQ(summary["not_placed"].size(), 0u);
    ASSERT_GE(summary["sheets"].size(), 1u);
    for (const auto& sheet : summary["sheets"]) {
        for (const char* file : {"program", "preview", "drawing"}) EXPECT_TRUE(fs::is_regular_file(sheet[file].get<std::string>())) << file;
        EXPECT_GT(sheet["utilisation"].get<double>(), 0.05);
    }
    EXPECT_NE(testing::ReadBytes(folder / "sheets" / "sheet1.nc").find("G41"), std::string::npos);
    // The sheets are cut in sheet mode's cut style: the preview draws the arc lead-outs.
    EXPECT_NE(testing::ReadBytes(folder / "sheets" / "sheet1.svg").find("#C000C0"), std::string::npos);
    EXPECT_NE(run.err.find("nesting: "), std::string::npos);  // the progress line
}

TEST_F(NestCliTest, APartThatFitsNoSheetIsNamedAndTheRestWritten) {
    const CliRun run = Cli({"--nest", "--sheet-size", "100x70", "--nest-evaluations", "1", "--quiet", "--summary",
                         Sample("plate_holes_slot.dxf") + ":2", Sample("gusset_lf.dxf") + ":1", "-o", Out()});
    EXPECT_EQ(run.status, 7);
    EXPECT_NE(run.err.find("plate_holes_slot.dxf: fits no sheet in any allowed angle with the spacing: 2 copies are not placed"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("Not placed: "), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(folder / "sheets" / "sheet1.nc"));
}

TEST_F(NestCliTest, CopiesBeyondTheSheetsAllowedAreNamedWithTheReason) {
    const CliRun run = Cli({"--nest", "--sheet-size", "140x140", "--sheets", "1", "--nest-evaluations", "1", "--quiet",
                            "--summary=json", Sample("gusset_lf.dxf") + ":12", "-o", Out()});  // 12 cannot fit, by area
    EXPECT_EQ(run.status, 7);
    EXPECT_NE(run.err.find("gusset_lf.dxf: no room on the 1 sheet allowed (--sheets): "), std::string::npos) << run.err;
    const nlohmann::json summary = nlohmann::json::parse(run.out);
    const int placed = summary["sheets"][0]["parts"][Sample("gusset_lf.dxf")];
    EXPECT_EQ(summary["totals"]["parts_placed"], placed);
    EXPECT_EQ(summary["not_placed"][0]["copies"], 12 - placed);
    EXPECT_GT(placed, 2);
}

TEST_F(NestCliTest, CtrlCStopsTheSearchAndTheBestNestIsWritten) {
    const std::string out = (folder / "out.txt").string(), dir = Out(), drawing = Sample("gusset_lf.dxf") + ":6";
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {  // as from a terminal: Ctrl+C is not ignored
        signal(SIGINT, SIG_DFL);
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        execl(ZORVAN_CLI, ZORVAN_CLI, "--nest", "--sheet-size", "300x300", "--nest-seconds", "60", "--summary",
              drawing.c_str(), "-o", dir.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30);
    ASSERT_TRUE(WIFEXITED(status)) << testing::ReadBytes(out);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(testing::ReadBytes(out).find("(stopped)"), std::string::npos) << testing::ReadBytes(out);
    EXPECT_TRUE(fs::is_regular_file(folder / "sheets" / "sheet1.nc"));
}

TEST_F(NestCliTest, MisusedOptionsAreRefusedBeforeAnythingIsWritten) {
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } cases[] = {
        {{"--sheet-size", "100x100", Sample("gusset_lf.dxf")}, "--sheet-size needs --nest"},
        {{"--nest", Sample("gusset_lf.dxf"), "-o", Out()}, "--nest needs --sheet-size"},
        {{"--nest", "--sheet-size", "100", Sample("gusset_lf.dxf"), "-o", Out()}, "not WIDTHxHEIGHT"},
        {{"--nest", "--sheet-size", "100x100", Sample("gusset_lf.dxf")}, "--nest needs -o FOLDER/"},
        {{"--nest", "--sheet-size", "100x100", Sample("gusset_lf.dxf") + ":0", "-o", Out()}, "the count after"},
        {{"--nest", "--sheet-size", "100x100", "--preview", "p.svg", Sample("gusset_lf.dxf"), "-o", Out()}, "--preview cannot"},
        {{"--nest", "--sheet-size", "100x100", "--nest-seconds", "nan", Sample("gusset_lf.dxf"), "-o", Out()}, "not a number"},
        {{"--nest", "--strip-instance", "strip.json", Sample("gusset_lf.dxf")}, "drawings cannot be given with --strip-instance"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, 1) << c.error;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(folder / "sheets" / "sheet1.nc"));
}

TEST_F(NestCliTest, AStripInstanceGivesItsLengthAndUtilisation) {
    std::ofstream(folder / "strip.json") << R"({"name": "squares", "strip_height": 21, "items": [
        {"id": 0, "demand": 4, "allowed_orientations": [0, 90], "shape": {"type": "simple_polygon",
         "data": [[0, 0], [10, 0], [10, 10], [0, 10]]}}]})";
    const CliRun run = Cli({"--nest", "--strip-instance", (folder / "strip.json").string(), "--nest-evaluations", "3",
                         "--quiet", "--summary=json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json summary = nlohmann::json::parse(run.out);
    EXPECT_NEAR(summary["length"].get<double>(), 20, 0.01);  // two columns of two
    EXPECT_NEAR(summary["utilisation"].get<double>(), 400.0 / (21 * 20), 0.001);
    std::ofstream(folder / "bad.json") << R"({"strip_height": 20, "items": [{"demand": 1, "shape": {"type": "circle"}}]})";
    const CliRun bad = Cli({"--nest", "--strip-instance", (folder / "bad.json").string()});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("the shape is not a simple polygon"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace zorvan
