// Number texts in G-code, contour rows, compensation and whole programs.
#include "gcode/program_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <locale>
#include <memory>
#include <sstream>

#include "gcode/gcode_numbers.h"
#include "gcode/templates.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(GcodeNumbers, FixedAndDefaultForms) {
    struct Case {
        double value;
        const char* fixed;
        const char* gcode;
    };
    const Case cases[] = {
        {10, "10.000000", "10"},
        {0.25, "0.250000", "0.25"},
        {-2.5, "-2.500000", "-2.5"},
        {-0.0, "0.000000", "0"},
        {-0.0000001, "0.000000", "0.000000"},  // rounds to zero: no minus
        {5E-11, "0.000000", "0.000000"},
        {0.0001, "0.000100", "0.0001"},
        {0.00001, "0.000010", "0.000010"},
        {123456.5, "123456.500000", "123456.5"},
        {1e15, "1000000000000000.000000", "1000000000000000.000000"},
        {-1e20, "-100000000000000000000.000000", "-100000000000000000000.000000"},
        {1e300, nullptr, nullptr},  // only checked for having no exponent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string fixed = FixedNumber(c.value), gcode = GcodeNumber(c.value);
        EXPECT_EQ(fixed.find_first_of("eE"), std::string::npos) << fixed;
        EXPECT_EQ(gcode.find_first_of("eE"), std::string::npos) << gcode;
        if (c.fixed == nullptr) continue;
        EXPECT_EQ(fixed, c.fixed);
        EXPECT_EQ(gcode, c.gcode);
    }
}

struct CommaDecimalPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(GcodeNumbers, TheGlobalLocaleNeverReachesAProgram) {
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimalPoint));
    std::ostringstream stream;
    stream << 2.5;
    const std::string streamed = stream.str();
    const std::string fixed = FixedNumber(2.5), gcode = GcodeNumber(2.5);
    Lines rows;
    AppendContourRows("0 0 0 1.5 2.5 0 D", rows);
    std::locale::global(previous);

    ASSERT_EQ(streamed, "2,5");  // the locale is in effect
    EXPECT_EQ(fixed, "2.500000");
    EXPECT_EQ(gcode, "2.5");
    EXPECT_EQ(rows, Lines{"G1 X 1.500000 Y 2.500000"});
}

TEST(ProgramWriter, ContourRowsOfEachRecordType) {
    struct Case {
        const char* record;
        Lines rows;
    };
    const Case cases[] = {
        {"0 0 0 10 0 0 D", {"G1 X 10.000000 Y 0.000000"}},
        {"5 5 0 2.5 0 90 + 7.5 5 5 7.5 A", {"G3 I 5.000000  J 5.000000 X 5.000000 Y 7.500000"}},
        {"5 5 0 2.5 90 0 - 5 7.5 7.5 5 A", {"G2 I 5.000000  J 5.000000 X 7.500000 Y 5.000000"}},
        {"5 5 0 2.5 0 90 ? 7.5 5 5 7.5 A", {"G3 I 5.000000  J 5.000000 X 5.000000 Y 7.500000"}},
        {"10 5 0 2 + 8 5 K",
         {"G3 I 10.000000  J 5.000000 X 12.000000 Y 5.000000", "G3 I 10.000000  J 5.000000 X 8.000000 Y 5.000000"}},
        {"-1 .5 0 .25 - -1.25 .5 K",
         {"G2 I -1.000000  J 0.500000 X -0.750000 Y 0.500000", "G2 I -1.000000  J 0.500000 X -1.250000 Y 0.500000"}},
        {"", {}},
        {"1 2 3", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        Lines rows;
        AppendContourRows(c.record, rows);
        EXPECT_EQ(rows, c.rows);
    }
}

TEST(ProgramWriter, CompensationFollowsMarkerAndAreaSign) {
    EXPECT_EQ(CompensationLine("OO", 12.5), "G41");
    EXPECT_EQ(CompensationLine("OO", -12.5), "G42");
    EXPECT_EQ(CompensationLine("II", 12.5), "G42");
    EXPECT_EQ(CompensationLine("II", -12.5), "G41");
    EXPECT_EQ(CompensationLine("OO", 0), std::nullopt);
    EXPECT_EQ(CompensationLine("II", 0), std::nullopt);
}

TEST(ProgramWriter, MarkedPointOfARow) {
    using Point = std::optional<std::pair<double, double>>;
    EXPECT_EQ(MarkedPoint("G0 X 1.5 Y 2"), (Point{{1.5, 2}}));
    EXPECT_EQ(MarkedPoint("G1 X -3.000000 Y 4.250000"), (Point{{-3, 4.25}}));
    // An arc row's words 2 and 4 are the centre's x and the "J" (read as 0).
    EXPECT_EQ(MarkedPoint("G3 I 5.000000  J 5.000000 X 5.000000 Y 7.500000"), (Point{{5, 0}}));
    EXPECT_EQ(MarkedPoint("G92X0Y0"), std::nullopt);
    EXPECT_EQ(MarkedPoint("G0 X 1 2"), std::nullopt);  // no Y
    EXPECT_EQ(MarkedPoint(""), std::nullopt);
}

class WholeProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("program");
        program->templateFolder = folder.string();
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(std::string_view file, const std::string& bytes) {
        std::ofstream(folder / file, std::ios::binary) << bytes;
    }

    Lines Written(int32_t cutCount) const {
        Lines listing;
        WriteProgram(*program, cutCount, listing);
        return listing;
    }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(WholeProgramTest, PartsBetweenHeaderAndFooterWithTheirSlots) {
    Write("0_HEADER.TXT", "G90\r\nG21\r\n");
    Write("0_FOOTER.TXT", "M30");
    Write("GCODES.TXT", "LINE001:M07\r\nLINE010:P10\r\nLINE011:M03\r\nLINE020:DLY\r\nLINE021:M05\r\nLINE030:END\r\n");
    LoadTemplates(*program);
    // The select mark is not consulted: a selected part is written like any other.
    program->partList[0] = "II 3 5 3.25 5:5 5 0 2 + 3 5 K|:SEL NOTD -12.566370614:";
    program->partList[1] = "OO 0 0 -0.25 0:0 0 0 0 10 0 D|0 10 0 10 10 0 D|:NOTS NOTD 0:";
    program->partList[2] = "II 1 1 1 1:1 1 0 2 2 0 D|:NOTS NOTD 1:";  // beyond cutCount

    const Lines expected = {
        std::string(kProgramComment), "G90", "G21", "", "", "",
        "(------------------- 0 ------------------------)", "M07", "P10", "G0 X 3.25 Y 5", "G41", "M03", "DLY",
        "G1 X 3 Y 5", "G3 I 5.000000  J 5.000000 X 7.000000 Y 5.000000",
        "G3 I 5.000000  J 5.000000 X 3.000000 Y 5.000000", "M05", "END",
        "(------------------- 1 ------------------------)", "M07", "P10", "G0 X -0.25 Y 0", "M03", "DLY",
        "G1 X 0 Y 0", "G1 X 0.000000 Y 10.000000", "G1 X 10.000000 Y 10.000000", "M05", "END",
        "", "", "", "M30"};
    EXPECT_EQ(Written(2), expected);

    Lines listing = {"kept"};
    WriteProgram(*program, 2, listing);
    ASSERT_EQ(listing.size(), expected.size() + 1);
    EXPECT_EQ(listing[0], "kept");
    EXPECT_EQ(listing[1], kProgramComment);
}

TEST_F(WholeProgramTest, WithoutTemplateFilesOrLeadInsTheTorchPiercesAtTheStart) {
    program->partList[0] = "OO 8 5 8 5:10 5 0 2 - 8 5 K|:NOTS NOTD 12.566370614";
    EXPECT_EQ(Written(1), (Lines{std::string(kProgramComment), "", "", "",
                                 "(------------------- 0 ------------------------)", "G0 X 8 Y 5", "G41",
                                 "G1 X 8 Y 5", "G2 I 10.000000  J 5.000000 X 12.000000 Y 5.000000",
                                 "G2 I 10.000000  J 5.000000 X 8.000000 Y 5.000000", "", "", ""}));
    EXPECT_EQ(Written(0), (Lines{std::string(kProgramComment), "", "", "", "", "", ""}));
}

}  // namespace
}  // namespace zorvan
