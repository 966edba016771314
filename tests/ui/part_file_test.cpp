// Part files: the one-line text of the planned parts and "SAVE PART".
#include "gcode/part_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "support/temp_folder.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class PartFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("part_file");
        program->openedDrawingPath = "/home/ann/parts/plate.dxf";
    }
    void TearDown() override { fs::remove_all(folder); }

    void AddPart(const std::string& entry) {
        program->partList[static_cast<size_t>(program->partCount++)] = entry;
        form.List2.AddItem(entry);
    }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    testing::ScriptedToolkit toolkit;
    RecordingSurface picture;
    Form1 form{*program, toolkit, picture};
};

TEST_F(PartFileTest, OneLineOfHeaderAndRecordsPerPart) {
    EXPECT_EQ(PartFileLine(*program, 0), "");

    program->partList[0] = "II 10 10 9.75 10:0 0 0 10 0 0 D|10 0 0 10 10 0 D|:NOTS NOTD 50:";
    EXPECT_EQ(PartFileLine(*program, 1), "II 10 10 9.75 10:0 0 0 10 0 0 D|10 0 0 10 10 0 D|#");

    program->partList[1] = "II 4 5 4 5:5 5 0 1 + 4 5 K|:SEL NOTD -3.14:";
    program->partList[2] = "II 6 5 6 5:7 5 0 1 + 6 5 K|:SEL DEL -3.14:";  // deleted parts are not cut
    program->partList[3] = "OO 0 0 0 0:0 0 0 1 0 0 D|:NOTS NOTD 0";
    program->partList[4] = "II 9 9 9 9:beyond the count|:NOTS NOTD 0";
    EXPECT_EQ(PartFileLine(*program, 4),
              "II 10 10 9.75 10:0 0 0 10 0 0 D|10 0 0 10 10 0 D|#II 4 5 4 5:5 5 0 1 + 4 5 K|#OO 0 0 0 0:0 0 0 1 0 0 D|#");
}

TEST_F(PartFileTest, SavePartWritesTheLineUnderTheChosenName) {
    AddPart("II 4 5 4 5:5 5 0 1 + 4 5 K|:NOTS NOTD -3.14:");
    AddPart("OO 0 0 0 0:0 0 0 1 0 0 D|:NOTS NOTD 0:");
    const fs::path target = folder / "plate.par";
    toolkit.fileAnswers.push_back(target.string());
    form.Command29_Click();

    EXPECT_EQ(toolkit.events, Lines{"save /home/ann/parts/PLATE.PAR"});
    std::ostringstream bytes;
    bytes << std::ifstream(target, std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), "II 4 5 4 5:5 5 0 1 + 4 5 K|#OO 0 0 0 0:0 0 0 1 0 0 D|#\r\n");
}

TEST_F(PartFileTest, CancelledSavePartWritesAndSaysNothing) {
    AddPart("OO 0 0 0 0:0 0 0 1 0 0 D|:NOTS NOTD 0:");
    form.Command29_Click();
    EXPECT_EQ(toolkit.events, Lines{"save /home/ann/parts/PLATE.PAR"});
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(PartFileTest, FailedSavePartNamesTheFile) {
    AddPart("OO 0 0 0 0:0 0 0 1 0 0 D|:NOTS NOTD 0:");
    const fs::path target = folder / "missing" / "plate.par";
    toolkit.fileAnswers.push_back(target.string());
    form.Command29_Click();
    const Lines messages = toolkit.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(target.string()), std::string::npos) << messages[0];
    EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
}  // namespace zorvan
