// Running cuts through LinuxCNC's rs274.
//
// The program numbers its rows N100 upwards, a hundred to a cut: cut k's reset row (G40) is N(100k + 100)
// and its row j is N(100k + 101 + j). rs274 prints "executing", then for each refusal the message and the
// text of the row it was reading, all on standard error; the row's number says whose refusal it is.
#include "support/rs274.h"

#include "support/temp_folder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

namespace zorvan::testing {
namespace {

constexpr size_t kRowsPerCut = 98;
constexpr double kRs274InchPerMm = 0.03937007874016;

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::string ProgramText(const std::vector<std::vector<std::string>>& cuts, size_t first, size_t count, bool inches) {
    std::string text = "T1 M6\n";
    text += inches ? "G20 G90 G90.1\nF40\n" : "G21 G90 G90.1\nF1000\n";
    for (size_t k = 0; k < count; ++k) {
        const size_t base = 100 * (k + 1);
        text += "N" + std::to_string(base) + " G40\n";
        const std::vector<std::string>& rows = cuts[first + k];
        for (size_t j = 0; j < rows.size(); ++j) text += "N" + std::to_string(base + 1 + j) + " " + rows[j] + "\n";
    }
    return text + "M2\n";
}

// The N number a row of rs274's report starts with, if it is one of ours.
std::optional<size_t> RowNumber(const std::string& line) {
    if (line.size() < 2 || line[0] != 'N') return std::nullopt;
    size_t number = 0;
    const auto [end, error] = std::from_chars(line.data() + 1, line.data() + line.size(), number);
    if (error != std::errc() || end == line.data() + 1 || number < 100) return std::nullopt;
    return number;
}

// Reads rs274's report into the verdicts of cuts first .. first + count - 1 (first refusal of each).
void ReadReport(const std::string& report, size_t first, size_t count, std::vector<Rs274Verdict>& verdicts) {
    std::istringstream lines(report);
    std::string line, message;
    std::vector<bool> refused(count, false);
    while (std::getline(lines, line)) {
        const std::optional<size_t> number = RowNumber(line);
        if (!number) {
            if (!line.empty() && line != "executing") message = line;
            continue;
        }
        const size_t cut = *number / 100 - 1, row = *number % 100;
        if (cut >= count || refused[cut]) continue;
        refused[cut] = true;
        Rs274Verdict& verdict = verdicts[first + cut];
        verdict.accepted = false;
        verdict.message = message;
        if (row == 0) verdict.trouble = "the reset before the cut was refused: " + message;
        verdict.row = row == 0 ? 0 : row - 1;
    }
}

struct Run {
    bool endedNormally = false;
    std::string report;
};

Run RunProgram(const std::string& program, const std::filesystem::path& table, bool goOn) {
    const std::filesystem::path folder = FreshTestFolder("rs274");
    const std::filesystem::path input = folder / "cut.ngc", report = folder / "report.txt";
    std::ofstream(input, std::ios::binary) << program;
    // rs274 keeps the tool table it loads in $HOME/.tool.mmap, shared by every rs274 of the user: runs side by
    // side (ctest -j) would read each other's tools. Each run gets a home of its own.
    // A bound on the run: rs274 told to go on after a refusal can loop on one (at a file's end without M2).
    const std::string command = "HOME=" + Quoted(folder) + " timeout 60 " + Quoted(*Rs274Path()) + (goOn ? " -n 0" : "") +
                                " -g -t " + Quoted(table) + " " + Quoted(input) + " " + Quoted(folder / "canon.txt") +
                                " < /dev/null > /dev/null 2> " + Quoted(report);
    const int status = std::system(command.c_str());
    Run run{status != -1 && WIFEXITED(status) && WEXITSTATUS(status) != 124, ReadBytes(report)};  // 124: timed out
    std::filesystem::remove_all(folder);
    return run;
}

}  // namespace

std::optional<std::string> Rs274Path() {
    for (const char* candidate : {"/usr/bin/rs274", "/usr/local/bin/rs274"}) {
        if (::access(candidate, X_OK) == 0) return std::string(candidate);
    }
    return std::nullopt;
}

Rs274Tool ToolForKerf(double kerfMm) {
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, kerfMm / 25.4, std::chars_format::general, 17);
    return ToolOfDiameter(std::string(text, written.ptr));
}

Rs274Tool ToolOfDiameter(std::string diameterInches) {
    Rs274Tool tool;
    tool.diameterInches = std::move(diameterInches);
    double diameter = 0;
    std::from_chars(tool.diameterInches.data(), tool.diameterInches.data() + tool.diameterInches.size(), diameter);
    const double diameterMm = diameter / kRs274InchPerMm;
    tool.radiusMm = diameterMm / 2.0;
    tool.radiusInches = diameterMm / 25.4 / 2.0;
    return tool;
}

std::vector<Rs274Verdict> RunRs274(const std::vector<std::vector<std::string>>& cuts, const Rs274Tool& tool,
                                   bool inches) {
    std::vector<Rs274Verdict> verdicts(cuts.size());
    if (!Rs274Path()) {
        for (Rs274Verdict& verdict : verdicts) verdict.trouble = "rs274 is not installed";
        return verdicts;
    }
    for (const std::vector<std::string>& rows : cuts) {
        if (rows.size() <= kRowsPerCut) continue;
        for (Rs274Verdict& verdict : verdicts) verdict.trouble = "not run: a cut has more than 98 rows";
        return verdicts;
    }
    const std::filesystem::path table =
        std::filesystem::path(::testing::TempDir()) / ("zorvan_rs274_" + std::to_string(::getpid()) + ".tbl");
    std::ofstream(table) << "T1 P1 D" << tool.diameterInches << "\n";

    const Run batch = RunProgram(ProgramText(cuts, 0, cuts.size(), inches), table, true);
    if (batch.endedNormally) ReadReport(batch.report, 0, cuts.size(), verdicts);
    for (size_t k = 0; k < cuts.size(); ++k) {  // on its own where the batch could not tell
        if (batch.endedNormally && verdicts[k].trouble.empty()) continue;
        verdicts[k] = {};
        const Run alone = RunProgram(ProgramText(cuts, k, 1, inches), table, false);
        if (!alone.endedNormally) verdicts[k].trouble = "rs274 did not end normally:\n" + alone.report;
        ReadReport(alone.report, k, 1, verdicts);
    }
    std::filesystem::remove(table);
    return verdicts;
}

// A whole program's rows are numbered from here, so RowNumber reads them.
constexpr size_t kFirstRowNumber = 1000;

std::vector<std::pair<int, Rs274Verdict>> RunRs274OnProgram(const std::string& program, const Rs274Tool& tool) {
    std::vector<std::pair<int, Rs274Verdict>> parts;
    if (!Rs274Path()) return parts;
    // Every row numbered by its place, so a refusal names its row; each part's comment opens it.
    std::string numbered = "T1 M6\nG21 G90 G90.1\nF1000\n";
    std::vector<int> partOfRow;
    std::istringstream rows(program);
    std::string row;
    int part = -1;
    while (std::getline(rows, row)) {
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.starts_with("(---")) {
            part = std::atoi(row.c_str() + row.find_first_of("0123456789"));
            parts.emplace_back(part, Rs274Verdict{});
            numbered += "G40\n";
        }
        partOfRow.push_back(static_cast<int>(parts.size()) - 1);
        numbered += "N" + std::to_string(kFirstRowNumber + partOfRow.size() - 1) + " " + row + "\n";
    }
    numbered += "M2\n";  // a program without a footer ends here; one with M2 has ended before
    const std::filesystem::path table =
        std::filesystem::path(::testing::TempDir()) / ("zorvan_rs274_" + std::to_string(::getpid()) + ".tbl");
    std::ofstream(table) << "T1 P1 D" << tool.diameterInches << "\n";
    const Run run = RunProgram(numbered, table, true);
    std::filesystem::remove(table);
    std::istringstream report(run.report);
    std::string line, message;
    while (std::getline(report, line)) {
        const std::optional<size_t> number = RowNumber(line);
        if (!number) {
            if (!line.empty() && line != "executing") message = line;
            continue;
        }
        const size_t at = *number - kFirstRowNumber;
        if (at >= partOfRow.size() || partOfRow[at] < 0) continue;
        Rs274Verdict& verdict = parts[static_cast<size_t>(partOfRow[at])].second;
        if (!verdict.accepted) continue;
        verdict = {false, message, at, {}};
    }
    if (!run.endedNormally) {
        for (auto& [number, verdict] : parts) verdict.trouble = "rs274 did not end normally:\n" + run.report;
    }
    return parts;
}

}  // namespace zorvan::testing
