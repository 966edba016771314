// Files for tests: a fresh, empty folder for the running test, and a file's bytes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace zorvan::testing {

// TempDir()/zorvan_<prefix>_<test name>_<process id>, emptied and created; the test removes it when done.
inline std::filesystem::path FreshTestFolder(std::string_view prefix) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) /
                                         ("zorvan_" + std::string(prefix) + "_" + test->name() + "_" +
                                          std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Every byte of the file at `path`; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

}  // namespace zorvan::testing
