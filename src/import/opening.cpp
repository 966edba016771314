// Checks before reading a drawing.
#include "import/opening.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "model/record_text.h"

namespace zorvan {

bool FileCanBeOpened(const std::string& path) { return !WhyFileCannotBeOpened(path); }

std::optional<std::string> WhyFileCannotBeOpened(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return "it is a folder";
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return errno != 0 ? std::strerror(errno) : "it cannot be read";
    std::fclose(file);
    return std::nullopt;
}

std::string NormalisePath(std::string_view path) {
    std::string normalised;
    for (size_t i = 0; i < path.size(); ++i) {
        normalised += path[i];
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
    }
    return normalised;
}

bool IsDxfPath(std::string_view path) {
    const std::string_view trimmed = TrimBlanks(path);
    if (trimmed.size() < 4) return false;
    std::string ending(trimmed.substr(trimmed.size() - 4));
    for (char& c : ending) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return ending == ".DXF";
}

}  // namespace zorvan
