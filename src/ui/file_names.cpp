// Proposed file names.
#include "ui/file_names.h"

namespace zorvan {

std::string ProposedName(std::string_view drawingPath, std::string_view ending) {
    const size_t slash = drawingPath.find_last_of("/\\");
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::string name(drawingPath.substr(nameStart));
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (name.ends_with(".DXF")) name.replace(name.size() - 4, 4, ending);
    return std::string(drawingPath.substr(0, nameStart)) + name;
}

}  // namespace zorvan
