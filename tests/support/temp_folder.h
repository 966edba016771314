// A fresh, empty folder for the running test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
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

}  // namespace zorvan::testing
