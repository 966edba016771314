// zorvan-cli --nest: the parts of several drawings nested on sheets, a program, a preview and a drawing per
// sheet; or, with --strip-instance, a strip-packing instance nested for a benchmark.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bash_completion.h"
#include "gcode/job_summary.h"
#include "model/program.h"

namespace zorvan {

// Exit status of a nest written with parts left off it: fitting no sheet, or beyond --sheets.
inline constexpr int kNotAllPlaced = 7;

struct NestCommand {
    bool nest = false;
    std::string sheetSize;  // "WIDTHxHEIGHT"
    int32_t sheets = 0;     // at most this many; 0: as many as needed
    std::optional<double> spacing;
    int32_t rotations = 4;
    bool anyAngle = false;
    bool mirror = false;
    double seconds = 10;
    int64_t evaluations = 0;
    uint64_t seed = 1;
    int threads = 2;
    std::string stripInstance;
    std::optional<double> stripHeight;
};

// What the nest takes from the rest of the command line.
struct NestSettings {
    std::vector<std::string> order;  // DRAWING.dxf:COUNT
    std::string output;              // the folder, ending in "/" or existing
    std::string templates;           // the template folder, checked
    std::string leadIn;
    double kerf = 0;
    bool kerfInProgram = false;
    // Gives a Program whose templates are loaded what the rest of the command line asks of every program (the
    // cut style, how arc centres are written); the refusal when the options clash with the templates.
    std::function<std::string(Program&)> prepare;
    double curveTolerance = 0.01;
    std::string units;    // "mm", "inch" or ""
    std::string summary;  // "", "text" or "json"
    bool quiet = false;
    JobRates rates;
};

// Adds --nest and its options to the command line's option table (and their completions).
void AddNestOptions(CLI::App& app, NestCommand& command, CompletionTable& completions);

// Whether the command line asks for a nest (--nest), and its options are used without it: the message, or
// nothing when they are used rightly.
std::optional<std::string> MisusedNestOptions(const CLI::App& app, const NestCommand& command);

// Runs the nest; the exit status (0 written; 1 usage; 2 to 5 a drawing refused as the main job refuses it;
// 6 an output not written; 7 written, but parts left off).
int RunNest(const NestCommand& command, const NestSettings& settings);

}  // namespace zorvan
