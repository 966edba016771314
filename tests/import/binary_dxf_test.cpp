// Binary DXF decoding: the binary files of the corpus, every value type in both code layouts, and damaged data,
// which must give nothing. (The fuzz targets feed it random bytes through sheet mode.)
#include "import/binary_dxf.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

#include "support/corpus.h"

namespace zorvan {
namespace {

const std::string kSentinel("AutoCAD Binary DXF\r\n\x1a\0", 22);

std::string ReadCorpusFile(const std::string& name) {
    std::ifstream file(testing::ShippedDrawing(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// `size` bytes of `value`, least significant first.
std::string LittleEndian(uint64_t value, size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return bytes;
}

std::string Code(int code, bool twoBytes) {
    if (twoBytes) return LittleEndian(static_cast<uint64_t>(code), 2);
    if (code < 255) return std::string(1, static_cast<char>(code));
    return "\xFF" + LittleEndian(static_cast<uint64_t>(code), 2);
}

std::string Str(std::string_view text) { return std::string(text) + '\0'; }
std::string Dbl(double value) { return LittleEndian(std::bit_cast<uint64_t>(value), 8); }

// A whole file: the sentinel, (0, SECTION), the groups given, (0, EOF); and the text it should become.
std::string BinaryFile(const std::string& groups, bool twoBytes) {
    return kSentinel + Code(0, twoBytes) + Str("SECTION") + groups + Code(0, twoBytes) + Str("EOF");
}
std::string TextFile(const std::string& lines) { return "  0\r\nSECTION\r\n" + lines + "  0\r\nEOF\r\n"; }

using Pair = std::pair<std::string, std::string>;
using Pairs = std::vector<Pair>;

Pairs SplitPairs(const std::string& text) {
    Pairs pairs;
    for (size_t pos = 0; pos < text.size();) {
        const size_t codeEnd = text.find("\r\n", pos);
        const size_t valueEnd = codeEnd == std::string::npos ? codeEnd : text.find("\r\n", codeEnd + 2);
        if (valueEnd == std::string::npos) break;
        pairs.emplace_back(text.substr(pos, codeEnd - pos), text.substr(codeEnd + 2, valueEnd - codeEnd - 2));
        pos = valueEnd + 2;
    }
    return pairs;
}

// The value after the first pair (code, value).
std::string ValueAfter(const Pairs& pairs, const std::string& code, const std::string& value) {
    for (size_t i = 0; i + 1 < pairs.size(); ++i) {
        if (pairs[i] == Pair(code, value)) return pairs[i + 1].second;
    }
    return "(missing)";
}

// The names of the sections in order, or of the entities of the ENTITIES section.
std::vector<std::string> Names(const Pairs& pairs, bool entities) {
    std::vector<std::string> names;
    bool inEntities = false;
    for (size_t i = 0; i + 1 < pairs.size(); ++i) {
        if (pairs[i].first != "  0") continue;
        const std::string& name = pairs[i].second;
        if (name == "SECTION") {
            inEntities = pairs[i + 1].second == "ENTITIES";
            if (!entities) names.push_back(pairs[i + 1].second);
        } else if (name == "ENDSEC") {
            inEntities = false;
        } else if (entities && inEntities) {
            names.push_back(name);
        }
    }
    return names;
}

TEST(BinaryDxfTest, RecognisesOnlyTheWholeSentinel) {
    EXPECT_TRUE(IsBinaryDxf(kSentinel + "more"));
    EXPECT_FALSE(IsBinaryDxf(kSentinel.substr(0, 21)));
    EXPECT_FALSE(IsBinaryDxf("AutoCAD Binary DXF\r\n\x1a" "x"));
    EXPECT_FALSE(IsBinaryDxf("  0\r\nSECTION\r\n"));
}

struct CorpusCase {
    const char* file;
    const char* version;
    std::vector<std::string> sections;
    std::vector<std::string> entities;
};

TEST(BinaryDxfTest, DecodesTheCorpusFiles) {
    const CorpusCase cases[] = {
        {"binary_r12.dxf", "AC1009", {"HEADER", "TABLES", "BLOCKS", "ENTITIES"}, {"LINE", "LINE", "LINE"}},
        {"binary_r2000.dxf", "AC1015", {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}, {"TEXT"}},
    };
    for (const CorpusCase& corpus : cases) {
        SCOPED_TRACE(corpus.file);
        const auto text = BinaryDxfToText(ReadCorpusFile(corpus.file));
        ASSERT_TRUE(text);
        const Pairs pairs = SplitPairs(*text);
        EXPECT_EQ(pairs.front(), Pair("  0", "SECTION"));
        EXPECT_EQ(pairs.back(), Pair("  0", "EOF"));
        EXPECT_EQ(ValueAfter(pairs, "  9", "$ACADVER"), corpus.version);
        EXPECT_EQ(Names(pairs, false), corpus.sections);
        EXPECT_EQ(Names(pairs, true), corpus.entities);
    }
}

struct ValueCase {
    int code;
    std::string bytes;  // the value as stored
    std::string text;   // the two lines it becomes
};

const std::vector<ValueCase>& ValueCases() {
    static const std::vector<ValueCase> cases = {
        {1, Str("a b"), "  1\r\na b\r\n"},
        {8, Str(""), "  8\r\n\r\n"},
        {1, Str("x\r\ny"), "  1\r\nx^M^Jy\r\n"},  // a line break inside a value must not split its line
        {10, Dbl(-1.5), " 10\r\n-1.5\r\n"},
        {40, Dbl(0.1), " 40\r\n0.1\r\n"},
        {20, Dbl(1e300), " 20\r\n1e+300\r\n"},
        {70, LittleEndian(0xFFFF, 2), " 70\r\n-1\r\n"},
        {62, LittleEndian(256, 2), " 62\r\n256\r\n"},
        {90, LittleEndian(0x80000000, 4), " 90\r\n-2147483648\r\n"},
        {160, LittleEndian(0x7FFFFFFFFFFFFFFF, 8), "160\r\n9223372036854775807\r\n"},
        {280, LittleEndian(3, 2), "280\r\n3\r\n"},
        {290, "\x01", "290\r\n1\r\n"},
        {291, std::string(1, '\0'), "291\r\n0\r\n"},
        {310, std::string("\x03\x00\xAB\x7F", 4), "310\r\n00AB7F\r\n"},
        {999, Str("note"), "999\r\nnote\r\n"},
        {1004, "\x02\xFF\x10", "1004\r\nFF10\r\n"},
        {1010, Dbl(2.5), "1010\r\n2.5\r\n"},
        {1070, LittleEndian(7, 2), "1070\r\n7\r\n"},
        {1071, LittleEndian(999999, 4), "1071\r\n999999\r\n"},
    };
    return cases;
}

TEST(BinaryDxfTest, DecodesEveryValueTypeInBothCodeLayouts) {
    for (const bool twoBytes : {true, false}) {
        for (const ValueCase& value : ValueCases()) {
            SCOPED_TRACE(::testing::Message() << "code " << value.code << (twoBytes ? ", two-byte" : ", one-byte"));
            EXPECT_EQ(BinaryDxfToText(BinaryFile(Code(value.code, twoBytes) + value.bytes, twoBytes)),
                      TextFile(value.text));
        }
    }
}

TEST(BinaryDxfTest, StopsAfterTheEofGroup) {
    EXPECT_EQ(BinaryDxfToText(BinaryFile("", true) + "trailing junk"), TextFile(""));
}

TEST(BinaryDxfTest, GivesNothingForDamagedData) {
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"text DXF", "  0\r\nSECTION\r\n  0\r\nEOF\r\n"},
        {"sentinel only", kSentinel},
        {"first group not SECTION", kSentinel + Code(0, true) + Str("HEADER") + Code(0, true) + Str("EOF")},
        {"unknown two-byte code", BinaryFile(Code(81, true) + Str("x"), true)},
        {"unknown one-byte code", BinaryFile(Code(254, false) + Str("x"), false)},
        {"escape without its code", kSentinel + Code(0, false) + Str("SECTION") + "\xFF\x01"},
        {"string without NUL", kSentinel + Code(0, true) + Str("SECTION") + Code(0, true) + "EOF"},
        {"chunk longer than the data", BinaryFile(Code(310, true) + "\xC8" "abc", true)},
        {"not a number", BinaryFile(Code(10, true) + Dbl(std::nan("")), true)},
        {"infinity", BinaryFile(Code(10, true) + Dbl(std::numeric_limits<double>::infinity()), true)},
    };
    for (const auto& [what, bytes] : damaged) EXPECT_EQ(BinaryDxfToText(bytes), std::nullopt) << what;
}

// Data that ends between groups is read to its end, as a text file is; one cut inside a group is damaged
// there, and the byte where that group starts is named.
TEST(BinaryDxfTest, ReadsToTheEndOrNamesTheDamagedGroup) {
    EXPECT_EQ(BinaryDxfToText(kSentinel + Code(0, true) + Str("SECTION") + Code(0, true) + Str("ENDSEC")),
              "  0\r\nSECTION\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    for (const bool twoBytes : {true, false}) {
        std::vector<size_t> groupStarts{kSentinel.size()};
        std::string groups = Code(0, twoBytes) + Str("SECTION");
        for (const ValueCase& value : ValueCases()) {
            groupStarts.push_back(kSentinel.size() + groups.size());
            groups += Code(value.code, twoBytes) + value.bytes;
        }
        const std::string file = kSentinel + groups;
        groupStarts.push_back(file.size());
        for (size_t length = kSentinel.size() + 1; length <= file.size(); ++length) {
            size_t damagedAt = 0;
            const auto text = BinaryDxfToText(file.substr(0, length), &damagedAt);
            const auto next = std::lower_bound(groupStarts.begin(), groupStarts.end(), length);
            if (*next == length) {
                EXPECT_TRUE(text && text->ends_with("  0\r\nEOF\r\n")) << "cut at " << length;
            } else {
                EXPECT_EQ(text, std::nullopt) << "cut at " << length;
                EXPECT_EQ(damagedAt, *(next - 1)) << "cut at " << length;
            }
        }
    }
}

}  // namespace
}  // namespace zorvan
