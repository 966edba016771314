// Golden file comparison.
#include "support/golden.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zorvan::testing {

namespace {

std::filesystem::path GoldenPath(const std::string& name) {
    return std::filesystem::path(ZORVAN_SOURCE_DIR) / "tests" / "data" / name;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// "line N: expected ... / actual ..." for the first line that differs.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string el, al;
    for (int line = 1;; ++line) {
        const bool moreE = static_cast<bool>(std::getline(e, el));
        const bool moreA = static_cast<bool>(std::getline(a, al));
        if (!moreE && !moreA) return "the files differ in their line ends";
        if (!moreE || !moreA || el != al) {
            return "line " + std::to_string(line) + ":\n  golden: " + (moreE ? el : "(end of file)") +
                   "\n  actual: " + (moreA ? al : "(end of file)");
        }
    }
}

}  // namespace

void ExpectMatchesGolden(const std::string& name, const std::string& actual) {
    const std::filesystem::path golden = GoldenPath(name);
    const char* update = std::getenv("ZORVAN_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        WriteBytes(golden, actual);
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden << " is missing; run with ZORVAN_UPDATE_GOLDEN=1";
    const std::string expected = ReadBytes(golden);
    if (expected == actual) return;
    std::filesystem::path actualPath = golden;
    actualPath += ".actual";
    WriteBytes(actualPath, actual);
    ADD_FAILURE() << name << " differs from its golden file, " << FirstDifference(expected, actual)
                  << "\n  (whole output in " << actualPath << ")";
}

}  // namespace zorvan::testing
