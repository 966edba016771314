// Bad input, each with its stated outcome: records, or a clear message with the previous drawing intact;
// never a crash, a hang or a partial file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "gcode/main_job.h"
#include "gcode/templates.h"
#include "import/dxf_reader.h"
#include "model/part_entry.h"
#include "support/dxf_text.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using testing::DxfText;

class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("bad");
        ASSERT_EQ(LoadDxfText(*program, kPrevious).outcome, DxfReadOutcome::Loaded);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Reads `bytes` from a file through ReadDxf.
    DxfReadResult ReadBytesAsDrawing(const std::string& bytes) {
        const fs::path path = folder / "drawing.dxf";
        std::ofstream(path, std::ios::binary) << bytes;
        return ReadDxf(*program, path.string());
    }

    // The drawing loaded before each test: it must survive every refusal.
    void ExpectPreviousDrawing() const {
        EXPECT_EQ(program->store.n, 0);
        EXPECT_EQ(program->store.GetDATA(0), "0 0 0 7 0 0 D");
        EXPECT_EQ(program->contourChain, "0|:");
    }

    // What a load must always leave: every record in a contour, and numbers that read back.
    void ExpectSoundDrawing() const {
        for (const std::string_view record : program->store.Records()) {
            EXPECT_EQ(record.find("inf"), std::string::npos) << record;
            EXPECT_EQ(record.find("nan"), std::string::npos) << record;
        }
        EXPECT_LE(std::count(program->contourChain.begin(), program->contourChain.end(), ':'), program->store.n + 1);
    }

    static constexpr const char* kPrevious = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 11\n7\n  0\nEOF\n";
    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(BadInputTest, PathsThatAreNotReadableFiles) {
    EXPECT_EQ(ReadDxf(*program, (folder / "missing.dxf").string()).outcome, DxfReadOutcome::CannotRead);
    EXPECT_EQ(ReadDxf(*program, folder.string()).outcome, DxfReadOutcome::CannotRead);
    ExpectPreviousDrawing();

    // Without read permission: refused, unless the tests run as root, who reads it anyway.
    const fs::path locked = folder / "locked.dxf";
    std::ofstream(locked) << DxfText().Line(0, 0, 1, 1).Build();
    fs::permissions(locked, fs::perms::none);
    const DxfReadOutcome outcome = ReadDxf(*program, locked.string()).outcome;
    EXPECT_EQ(outcome, ::geteuid() == 0 ? DxfReadOutcome::Loaded : DxfReadOutcome::CannotRead);
}

TEST_F(BadInputTest, EmptyBinaryAndNulFilledFiles) {
    EXPECT_EQ(ReadBytesAsDrawing("").outcome, DxfReadOutcome::Empty);
    EXPECT_EQ(ReadBytesAsDrawing(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)).outcome, DxfReadOutcome::Binary);
    EXPECT_EQ(ReadBytesAsDrawing(std::string(4096, '\0')).outcome, DxfReadOutcome::Empty);
    ExpectPreviousDrawing();
    // NUL bytes inside values end nothing: the number before them is read.
    std::string withNuls = DxfText().Line(0, 0, 5, 0).Build();
    withNuls.insert(withNuls.find("\r\n5\r\n") + 3, std::string("\0\0", 2));
    ASSERT_EQ(ReadBytesAsDrawing(withNuls).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->store.GetDATA(0), "0 0 0 5 0 0 D");
}

TEST_F(BadInputTest, EveryPrefixOfASampleReadsOrIsRefused) {
    const std::string sample = testing::ReadBytes(fs::path(ZORVAN_SOURCE_DIR) / "samples" / "bracket_lwpolyline.dxf");
    int loaded = 0;
    for (size_t cut = 0; cut <= sample.size(); cut += 3) {
        const DxfReadResult result = LoadDxfText(*program, sample.substr(0, cut));
        ASSERT_TRUE(result.outcome == DxfReadOutcome::Loaded || result.outcome == DxfReadOutcome::Empty) << cut;
        ExpectSoundDrawing();
        if (result.outcome == DxfReadOutcome::Loaded) ++loaded;
    }
    EXPECT_GT(loaded, 10);
}

TEST_F(BadInputTest, ATenMegabyteLine) {
    std::string text = DxfText().Line(0, 0, 5, 0).Build();
    text.insert(text.find("ENTITIES"), std::string(10 << 20, '7'));  // a section name nobody knows
    EXPECT_EQ(LoadDxfText(*program, text).outcome, DxfReadOutcome::Empty);
    const std::string longNumber = DxfText().Pair("0", "LINE").Pair("10", std::string(10 << 20, '1')).Pair("11", "2").Build();
    EXPECT_EQ(LoadDxfText(*program, longNumber).outcome, DxfReadOutcome::Loaded);  // a number too large reads 0
    EXPECT_EQ(program->store.GetDATA(0), "0 0 0 2 0 0 D");
}

TEST_F(BadInputTest, OddNumbersReadByTheLenientRule) {
    const std::string text = DxfText()
                                 .Pair("0", "LINE").Pair("10", "1e400").Pair("20", "nan").Pair("11", "-0").Pair("21", "1D3")
                                 .Pair("0", "LINE").Pair("10", "1e-320").Pair("11", "5")
                                 .Build();
    ASSERT_EQ(LoadDxfText(*program, text).outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->store.GetDATA(0), "0 0 0 0 1000 0 D");
    EXPECT_EQ(program->store.GetDATA(1), "9.99988867182683E-321 0 0 5 0 0 D");
}

TEST_F(BadInputTest, CoordinatesOfAnyFiniteMagnitude) {
    // A drawing up to 100 m across and up to 100 km from its origin is read, in either mode.
    for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
        ReadOptions options;
        options.mode = mode;
        options.cutOpen = true;
        const double far = 9.9e7, wide = 9.9e4;
        ASSERT_EQ(LoadDxfText(*program, DxfText().Line(far, far, far - wide, far).Line(far - wide, far, far, far).Build(), options)
                      .outcome,
                  DxfReadOutcome::Loaded);
        ExpectSoundDrawing();
    }
    // Larger than any table, or farther out, the drawing is refused, saying why; so is one whose numbers
    // or arithmetic leave the doubles. The previous drawing is kept.
    const std::pair<std::string, const char*> beyond[] = {
        {DxfText().Line(0, 0, 1.01e5, 0).Build(), "The drawing is 101 m across, larger than any cutting table (100 m)."},
        {DxfText().Line(-1e307, 1e307, 1e307, 1e307).Build(), "m across, larger than any cutting table"},
        {DxfText().Line(1.01e8, 0, 1.01e8, 10).Build(), "more than 100 km from its origin"},
    };
    for (const auto& [text, message] : beyond) {
        const DxfReadResult result = LoadDxfText(*program, text);
        EXPECT_EQ(result.outcome, DxfReadOutcome::OutOfRange);
        EXPECT_NE(ReadOutcomeMessage(result).find(message), std::string::npos) << ReadOutcomeMessage(result);
    }
    for (const std::string& text :
         {DxfText().Line(0, 0, 1.5e308, 0).Build(), DxfText().Line(1e308, 1e308, -1e308, -1e308).Build(),
          DxfText().Arc(1e307, 0, 1e307, 0, 90).Build(), DxfText().Circle(-1e307, 0, 1e307).Build(),
          DxfText().LwPolyline({{-1e307, 0, 1e-5}, {1e307, 0}}).Build()}) {
        const std::unique_ptr<Program> kept = std::make_unique<Program>();
        ASSERT_EQ(LoadDxfText(*kept, kPrevious).outcome, DxfReadOutcome::Loaded);
        EXPECT_EQ(LoadDxfText(*kept, text).outcome, DxfReadOutcome::OutOfRange) << text.substr(0, 120);
        EXPECT_EQ(kept->store.GetDATA(0), "0 0 0 7 0 0 D");
    }
}

TEST_F(BadInputTest, FarArcAnglesStillGiveAProgram) {
    const JobResult job = RunMainJob(*program, DxfText().Arc(0, 0, 5, 0, 1e12).Build());
    ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
    EXPECT_GT(job.programLines, 6);
    EXPECT_EQ(job.programText.find('E'), std::string::npos) << job.programText;
}

TEST_F(BadInputTest, TemplateFilesOfAnyLengthAndShape) {
    program->templateFolder = folder.string();
    const auto slotsEmitted = [this](const std::string& gcodes) {
        std::ofstream(folder / "GCODES.TXT", std::ios::binary) << gcodes;
        LoadTemplates(*program);
        std::vector<std::string> listing;
        for (int slot = 1; slot <= 30; ++slot) {
            char name[16];
            std::snprintf(name, sizeof name, "LINE%03d", slot);
            EmitSlot(*program, name, listing);
        }
        return listing;
    };
    std::string lines;
    for (int i = 1; i <= 102; ++i) lines += "LINE" + std::string(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i) + ":M" + std::to_string(i) + "\r\n";
    EXPECT_TRUE(slotsEmitted("").empty());
    EXPECT_EQ(slotsEmitted(lines.substr(0, lines.find("LINE030"))).size(), 29u);  // 29 lines: 29 slots
    EXPECT_EQ(slotsEmitted(lines.substr(0, lines.find("LINE036"))).size(), 30u);  // 35 lines: the first 30
    EXPECT_EQ(slotsEmitted(lines).size(), 30u);                                     // 102 lines: 101 read, 30 used
    EXPECT_TRUE(slotsEmitted("LINE001 M3\r\nG90\r\n").empty());                    // lines without ":"
    EXPECT_EQ(slotsEmitted("LINE001:G4 P1:5\r\n"), std::vector<std::string>{"G4 P1"});  // a value with ":"

    // A header whose last line ends with LF alone still gives every line.
    std::ofstream(folder / "0_HEADER.TXT", std::ios::binary) << "G21\r\nG90\n";
    EXPECT_EQ(ReadTemplateFileLines(*program, kHeaderFile), (std::vector<std::string>{"G21", "G90"}));
}

}  // namespace
}  // namespace zorvan
