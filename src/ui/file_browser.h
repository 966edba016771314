// What the "Files" tab lists: the folders inside a folder and the drawings in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

// The names of the folders inside `folder`, sorted, hidden ones (starting with ".") left out. Nothing when
// `folder` cannot be listed.
std::optional<std::vector<std::string>> SubFolders(const std::string& folder);

// The names of the files in `folder` that end in ".dxf" in any case, sorted; empty when it cannot be listed.
std::vector<std::string> DxfFilesIn(const std::string& folder);

// `folder` and `name` joined by one "/" (none added when the folder already ends in one).
std::string JoinPath(std::string_view folder, std::string_view name);

// The folder that holds `folder`; the root is its own parent.
std::string ParentFolder(const std::string& folder);

}  // namespace zorvan
