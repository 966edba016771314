// The checks made before a drawing is read: can the file be read, and is it named as a DXF file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/text_file.h"

namespace zorvan {

// The operator's words for a drawing file refused before it is read (WhyFileCannotBeRead: not a regular file,
// missing or unreadable, or too large):
//   "Cannot open /p/x.dxf: it is a named pipe, not a file."
//   "The drawing is too large: it holds 300 MB, more than 256 MB. It was not loaded; the previous drawing is kept."
std::string OpeningRefusalMessage(const std::string& path, const ReadProblem& problem);

// Every "\\" (two backslashes) replaced by one, so a folder ending in a backslash joined with "\" and a name
// comes out right.
std::string NormalisePath(std::string_view path);

// Whether the path ends in ".DXF" in any case, judged by the four characters before any trailing blanks.
//   IsDxfPath("PART.Dxf") and IsDxfPath("part.dxf ") are true; IsDxfPath("dxf") is false.
bool IsDxfPath(std::string_view path);

// The message for a path that does not end in ".DXF".
inline constexpr std::string_view kNotDxfMessage = "Not a DXF file";

}  // namespace zorvan
