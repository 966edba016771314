// The command line run as a user runs it: through the shell, its output and errors caught in files.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace zorvan::testing {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// `text` in single quotes for the shell, its own quotes kept.
inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the shell command `command`, standard output and error caught in files of `folder`.
inline CliRun RunShell(const std::filesystem::path& folder, std::string command) {
    const std::filesystem::path out = folder / "stdout.txt", err = folder / "stderr.txt";
    command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(out), ReadBytes(err)};
}

// zorvan-cli with `arguments`; `shell` goes before the command ("ulimit -f 1; ", "timeout 20 "), `input` is the
// file on standard input.
inline CliRun RunCli(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                     const std::string& shell = "", const std::string& input = "") {
    std::string command = shell + ShellQuoted(ZORVAN_CLI);
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    if (!input.empty()) command += " <" + ShellQuoted(input);
    return RunShell(folder, command);
}

}  // namespace zorvan::testing
