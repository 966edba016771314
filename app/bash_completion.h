// A bash completion script made from a command line's own option table, so that it lists what --help lists.
#pragma once

#include <CLI/CLI.hpp>

#include <map>
#include <string>
#include <vector>

namespace zorvan {

// How the value of an option, or a positional argument, is completed.
struct ValueCompletion {
    enum class Kind { Files, Folders, Words };
    Kind kind = Kind::Files;
    std::string pattern;             // Files: the glob the names must match ("*.zjob"); empty: any file
    std::vector<std::string> words;  // Words: the values allowed
};

// Options and positionals not in the table have no completion of their value (numbers, free text).
using CompletionTable = std::map<const CLI::Option*, ValueCompletion>;

// The script for `command`: a function that completes the option names the help shows (its hidden options
// left out), the values of those in `values`, and the positional in `values` where no option is being
// completed. An option that takes a value only after "=" (a flag with a default value, "--summary[=json]") is
// offered both bare and with "="; the value after "=" is completed whether bash splits the word at "=" or not.
std::string BashCompletion(const CLI::App& app, const CompletionTable& values, const std::string& command);

}  // namespace zorvan
