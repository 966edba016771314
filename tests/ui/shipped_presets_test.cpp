// Finding the shipped presets from the program's folder, in the layouts the program is run from.
#include "ui/shipped_presets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

struct Layout {
    const char* name;
    std::vector<std::string> folders;   // made under the test's folder
    std::vector<std::string> files;     // made empty under the test's folder
    std::vector<std::pair<std::string, std::string>> folderLinks;  // link -> target, both under the test's folder
    std::string programFolder;          // under the test's folder
    std::string expected;               // under the test's folder; "" for none
};

TEST(ShippedPresetsTest, FindsThePresetsInEachLayout) {
    const std::vector<Layout> layouts = {
        {"installed", {"usr/bin", "usr/share/zorvan/presets/linuxcnc"}, {}, {}, "usr/bin", "usr/share/zorvan/presets"},
        {"built inside the sources", {"src/build/app", "src/presets/linuxcnc"}, {}, {}, "src/build/app", "src/presets"},
        {"beside the program", {"tools/zorvan/presets"}, {}, {}, "tools/zorvan", "tools/zorvan/presets"},
        {"installed wins over a stray folder",
         {"opt/bin/presets", "opt/share/zorvan/presets", "presets"}, {}, {}, "opt/bin", "opt/share/zorvan/presets"},
        {"a linked bin folder steps out from where it points",
         {"usr/bin", "usr/share/zorvan/presets"}, {}, {{"bin", "usr/bin"}}, "bin", "usr/share/zorvan/presets"},
        {"a file named presets is not a folder", {"usr/bin", "usr/share/zorvan"}, {"usr/share/zorvan/presets"}, {},
         "usr/bin", ""},
        {"none", {"usr/bin", "usr/share"}, {}, {}, "usr/bin", ""},
        {"the program's folder missing", {}, {}, {}, "gone/bin", ""},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const fs::path root = testing::FreshTestFolder("shipped_presets");
        for (const std::string& folder : layout.folders) fs::create_directories(root / folder);
        for (const std::string& file : layout.files) std::ofstream(root / file).put('\n');
        for (const auto& [link, target] : layout.folderLinks) fs::create_directory_symlink(root / target, root / link);

        const std::string found = ShippedPresetsFolder((root / layout.programFolder).string());
        EXPECT_EQ(found, layout.expected.empty() ? "" : fs::canonical(root / layout.expected).string());
        fs::remove_all(root);
    }
}

TEST(ShippedPresetsTest, AnEmptyProgramFolderFindsNothing) {
    // Not the working folder's neighbours: an empty name says nothing about where the program is.
    EXPECT_EQ(ShippedPresetsFolder(""), "");
}

}  // namespace
}  // namespace zorvan
