// Binary DXF files: recognising them and turning them into the text form the DXF reader reads.
//
// A binary DXF file holds the same (group code, value) pairs as a text one, each value stored in the binary
// form its group code calls for. Writing the pairs out as text lines lets the one text reader serve both.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

// Whether the bytes start with the 22-byte binary DXF sentinel "AutoCAD Binary DXF\r\n\x1a\0".
bool IsBinaryDxf(std::string_view bytes);

// The binary DXF file as text DXF: for every group, the group code right-aligned in three columns on one line
// ("  0", " 10", "999", "1010") and its value on the next, every line ended by CR LF, ending with the EOF group.
// Strings are copied as they are, except that a CR or LF inside one is written as ^M or ^J, as text DXF writes
// control characters, so that it cannot split the value's line. 16/32/64-bit integers are written in decimal,
// doubles with the shortest text that reads back to the same double ("." always), booleans as 0/1, binary
// chunks as upper-case hex. Anything after the EOF group is ignored.
//
// Data that ends between two groups without an EOF group is read to its end, as a text file is. Nothing when
// the data is damaged: not binary DXF, an unknown layout (the first group is not (0, "SECTION")), an unknown
// group code, a group cut short, a string without its terminating NUL, or a double that is not a finite
// number; `damagedAt`, where given, is then set to the byte where the damaged group starts. Never reads out of
// bounds, whatever the bytes.
//   BinaryDxfToText(sentinel + "\0\0SECTION\0" + "\0\0EOF\0") == "  0\r\nSECTION\r\n  0\r\nEOF\r\n"
std::optional<std::string> BinaryDxfToText(std::string_view bytes, size_t* damagedAt = nullptr);

}  // namespace zorvan
