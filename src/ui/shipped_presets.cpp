// Finding the shipped presets.
#include "ui/shipped_presets.h"

#include <filesystem>
#include <system_error>

namespace zorvan {

std::string ShippedPresetsFolder(const std::string& programFolder) {
    if (programFolder.empty()) return "";
    namespace fs = std::filesystem;
    const fs::path program(programFolder);
    for (const fs::path& candidate :
         {program / ".." / "share" / "zorvan" / "presets", program / ".." / ".." / "presets", program / "presets"}) {
        std::error_code error;
        if (!fs::is_directory(candidate, error)) continue;
        // Resolved rather than joined by text: "bin/.." may step out of a linked bin folder elsewhere.
        const fs::path resolved = fs::canonical(candidate, error);
        if (!error) return resolved.string();
    }
    return "";
}

}  // namespace zorvan
