// Checks before reading a drawing.
#include "import/opening.h"

#include "model/record_text.h"

namespace zorvan {

std::string OpeningRefusalMessage(const std::string& path, const ReadProblem& problem) {
    if (problem.refusal == ReadRefusal::TooLarge) {
        return "The drawing is too large: " + problem.reason + ". It was not loaded; the previous drawing is kept.";
    }
    return "Cannot open " + path + ": " + problem.reason + ".";
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
