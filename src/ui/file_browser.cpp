// Folder and drawing listings through std::filesystem; every failure gives an empty or missing listing.
#include "ui/file_browser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "import/opening.h"

namespace zorvan {

namespace fs = std::filesystem;

namespace {

// Every entry of `folder` for which `keep` holds, by name, sorted; nothing when the folder cannot be read.
template <typename Keep>
std::optional<std::vector<std::string>> NamesIn(const std::string& folder, Keep keep) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) return std::nullopt;
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        if (keep(*it, name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::optional<std::vector<std::string>> SubFolders(const std::string& folder) {
    return NamesIn(folder, [](const fs::directory_entry& entry, const std::string& name) {
        std::error_code error;
        return !name.starts_with(".") && entry.is_directory(error);
    });
}

std::vector<std::string> DxfFilesIn(const std::string& folder) {
    auto names = NamesIn(folder, [](const fs::directory_entry& entry, const std::string& name) {
        std::error_code error;
        return IsDxfPath(name) && name.back() != ' ' && !entry.is_directory(error);
    });
    return names ? std::move(*names) : std::vector<std::string>{};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    return path + std::string(name);
}

std::string ParentFolder(const std::string& folder) {
    std::error_code error;
    const fs::path absolute = fs::absolute(folder, error);  // so a relative folder has a parent too
    const fs::path path = (error ? fs::path(folder) : absolute).lexically_normal();
    fs::path parent = path.has_relative_path() && path.filename().empty() ? path.parent_path().parent_path()
                                                                          : path.parent_path();
    return parent.empty() ? folder : parent.string();
}

}  // namespace zorvan
