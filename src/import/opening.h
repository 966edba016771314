// The checks made before a drawing is read: can the file be opened, and is it named as a DXF file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

// True when the file opens for reading (a folder or a missing or unreadable file gives false).
bool FileCanBeOpened(const std::string& path);

// Why the file does not open for reading: "it is a folder", or the system's reason ("No such file or
// directory", "Permission denied"); nothing when it opens.
std::optional<std::string> WhyFileCannotBeOpened(const std::string& path);

// Every "\\" (two backslashes) replaced by one, so a folder ending in a backslash joined with "\" and a name
// comes out right.
std::string NormalisePath(std::string_view path);

// Whether the path ends in ".DXF" in any case, judged by the four characters before any trailing blanks.
//   IsDxfPath("PART.Dxf") and IsDxfPath("part.dxf ") are true; IsDxfPath("dxf") is false.
bool IsDxfPath(std::string_view path);

// The message for a path that does not end in ".DXF".
inline constexpr std::string_view kNotDxfMessage = "Not a DXF file";

}  // namespace zorvan
