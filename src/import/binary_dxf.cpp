// Decoding binary DXF into text DXF.
//
// After the sentinel come the groups: a group code, then its value in the binary form the code's range calls
// for. Files of release 13 and later store each code in two bytes, least significant first. Older files store
// it in one byte, and codes beyond one byte (those of extended data) as the escape byte 255 followed by the
// code in two bytes. The first group is always (0, "SECTION"), so its bytes tell the two layouts apart.
#include "import/binary_dxf.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace zorvan {

namespace {

constexpr std::string_view kSentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// The first group, (0, "SECTION"), as each layout stores it.
constexpr std::string_view kTwoByteFirstGroup{"\0\0SECTION\0", 10};
constexpr std::string_view kOneByteFirstGroup{"\0SECTION\0", 9};

// In one-byte files: the code byte that announces a two-byte code.
constexpr uint8_t kCodeEscape = 255;

enum class CodeWidth { OneByte, TwoBytes };

enum class ValueType { String, Double, Int16, Int32, Int64, Boolean, Chunk };

struct CodeRange {
    int first;
    int last;
    ValueType type;
};

// The value type of every group code a DXF file may hold; a code outside these ranges marks damaged data.
// 280-289 are 16-bit integers in binary files as in text ones.
constexpr CodeRange kCodeRanges[] = {
    {0, 9, ValueType::String},        {10, 59, ValueType::Double},      {60, 79, ValueType::Int16},
    {90, 99, ValueType::Int32},       {100, 102, ValueType::String},    {105, 105, ValueType::String},
    {110, 149, ValueType::Double},    {160, 169, ValueType::Int64},     {170, 179, ValueType::Int16},
    {210, 239, ValueType::Double},    {270, 289, ValueType::Int16},     {290, 299, ValueType::Boolean},
    {300, 309, ValueType::String},    {310, 319, ValueType::Chunk},     {320, 369, ValueType::String},
    {370, 389, ValueType::Int16},     {390, 399, ValueType::String},    {400, 409, ValueType::Int16},
    {410, 419, ValueType::String},    {420, 429, ValueType::Int32},     {430, 439, ValueType::String},
    {440, 459, ValueType::Int32},     {460, 469, ValueType::Double},    {470, 481, ValueType::String},
    {999, 999, ValueType::String},    {1000, 1003, ValueType::String},  {1004, 1004, ValueType::Chunk},
    {1005, 1009, ValueType::String},  {1010, 1059, ValueType::Double},  {1060, 1070, ValueType::Int16},
    {1071, 1071, ValueType::Int32},
};

std::optional<ValueType> TypeOfCode(int code) {
    for (const CodeRange& range : kCodeRanges) {
        if (code >= range.first && code <= range.last) return range.type;
    }
    return std::nullopt;
}

// The stored size of a fixed-size value; 0 for strings and chunks, whose size is read from the data.
size_t FixedSize(ValueType type) {
    switch (type) {
        case ValueType::Double: return 8;
        case ValueType::Int16: return 2;
        case ValueType::Int32: return 4;
        case ValueType::Int64: return 8;
        case ValueType::Boolean: return 1;
        case ValueType::String:
        case ValueType::Chunk: return 0;
    }
    return 0;
}

// Reads the bytes front to back; every read checks what is left first, and a read that does not fit gives
// nothing and consumes nothing.
class ByteCursor {
public:
    ByteCursor(std::string_view bytes, size_t pos) : bytes_(bytes), pos_(pos) {}

    std::optional<std::string_view> Take(size_t count) {
        if (count > bytes_.size() - pos_) return std::nullopt;
        const std::string_view taken = bytes_.substr(pos_, count);
        pos_ += count;
        return taken;
    }

    std::optional<uint8_t> Byte() {
        const auto taken = Take(1);
        if (!taken) return std::nullopt;
        return static_cast<uint8_t>((*taken)[0]);
    }

    // The bytes up to the next NUL, which is consumed but not returned.
    std::optional<std::string_view> NulTerminated() {
        const size_t end = bytes_.find('\0', pos_);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view text = bytes_.substr(pos_, end - pos_);
        pos_ = end + 1;
        return text;
    }

    size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

private:
    std::string_view bytes_;
    size_t pos_;
};

// The unsigned number stored least significant byte first in `raw` (at most 8 bytes).
uint64_t LittleEndian(std::string_view raw) {
    uint64_t value = 0;
    for (size_t i = raw.size(); i-- > 0;) value = (value << 8) | static_cast<uint8_t>(raw[i]);
    return value;
}

std::optional<CodeWidth> DetectCodeWidth(std::string_view groups) {
    if (groups.starts_with(kTwoByteFirstGroup)) return CodeWidth::TwoBytes;
    if (groups.starts_with(kOneByteFirstGroup)) return CodeWidth::OneByte;
    return std::nullopt;
}

std::optional<int> ReadGroupCode(ByteCursor& cursor, CodeWidth width) {
    if (width == CodeWidth::OneByte) {
        const auto code = cursor.Byte();
        if (!code || *code != kCodeEscape) return code;
    }
    const auto raw = cursor.Take(2);
    if (!raw) return std::nullopt;
    return static_cast<int>(LittleEndian(*raw));
}

// The value's bytes as stored: a string without its NUL, a chunk without its length byte.
std::optional<std::string_view> ReadRawValue(ByteCursor& cursor, ValueType type) {
    switch (type) {
        case ValueType::String: return cursor.NulTerminated();
        case ValueType::Chunk: {
            const auto length = cursor.Byte();
            if (!length) return std::nullopt;
            return cursor.Take(*length);
        }
        default: return cursor.Take(FixedSize(type));
    }
}

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendCodeLine(std::string& out, int code) {
    if (code < 100) out.push_back(' ');
    if (code < 10) out.push_back(' ');
    AppendNumber(out, code);
    out.append("\r\n");
}

// A CR or LF would end the value's line early and pair every later line with the wrong partner, so they are
// written in the caret form text DXF uses for control characters.
void AppendString(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '\r') {
            out.append("^M");
        } else if (c == '\n') {
            out.append("^J");
        } else {
            out.push_back(c);
        }
    }
}

void AppendHex(std::string& out, std::string_view chunk) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (const char c : chunk) {
        const auto byte = static_cast<uint8_t>(c);
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 0x0F]);
    }
}

// Appends the value's text; false for a double that is not a finite number, which text DXF cannot hold and
// the reader would take for 0.
bool AppendValue(std::string& out, ValueType type, std::string_view raw) {
    const uint64_t bits = LittleEndian(raw.substr(0, FixedSize(type)));  // 0 for strings and chunks
    switch (type) {
        case ValueType::String: AppendString(out, raw); break;
        case ValueType::Chunk: AppendHex(out, raw); break;
        case ValueType::Int16: AppendNumber(out, static_cast<int16_t>(bits)); break;
        case ValueType::Int32: AppendNumber(out, static_cast<int32_t>(bits)); break;
        case ValueType::Int64: AppendNumber(out, static_cast<int64_t>(bits)); break;
        case ValueType::Boolean: out.push_back(bits != 0 ? '1' : '0'); break;
        case ValueType::Double: {
            const double value = std::bit_cast<double>(bits);
            if (!std::isfinite(value)) return false;
            AppendNumber(out, value);
            break;
        }
    }
    out.append("\r\n");
    return true;
}

}  // namespace

bool IsBinaryDxf(std::string_view bytes) { return bytes.starts_with(kSentinel); }

std::optional<std::string> BinaryDxfToText(std::string_view bytes, size_t* damagedAt) {
    const auto damaged = [damagedAt](size_t at) -> std::optional<std::string> {
        if (damagedAt) *damagedAt = at;
        return std::nullopt;
    };
    if (!IsBinaryDxf(bytes)) return damaged(0);
    const auto width = DetectCodeWidth(bytes.substr(kSentinel.size()));
    if (!width) return damaged(kSentinel.size());

    ByteCursor cursor(bytes, kSentinel.size());
    std::string text;
    text.reserve(bytes.size() * 2);
    while (true) {
        // Data that ends between groups ends the drawing, as the end of a text file does.
        if (cursor.AtEnd()) return text + "  0\r\nEOF\r\n";
        const size_t group = cursor.Position();
        const auto code = ReadGroupCode(cursor, *width);
        if (!code) return damaged(group);
        const auto type = TypeOfCode(*code);
        if (!type) return damaged(group);
        const auto raw = ReadRawValue(cursor, *type);
        if (!raw) return damaged(group);
        AppendCodeLine(text, *code);
        if (!AppendValue(text, *type, *raw)) return damaged(group);
        if (*code == 0 && *raw == "EOF") return text;
    }
}

}  // namespace zorvan
