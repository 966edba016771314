// The real drawings the tests read: those that travel with the project (tests/data/corpus) and, where a fuller
// copy of the corpus lies beside the project (../shared/corpus/dxf), its drawings too. A clone alone has all
// it needs; the fuller copy only adds drawings whose licences keep them out of the project.
#pragma once

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zorvan::testing {

// Every .dxf of both folders, a name found in both once (the shipped copy), sorted by name.
inline std::vector<std::filesystem::path> CorpusDrawings() {
    std::vector<std::filesystem::path> drawings;
    std::set<std::string> names;
    for (const std::filesystem::path folder : {ZORVAN_CORPUS_DIR, ZORVAN_EXTRA_CORPUS_DIR}) {
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == ".dxf" && names.insert(entry.path().filename().string()).second) {
                drawings.push_back(entry.path());
            }
        }
    }
    std::sort(drawings.begin(), drawings.end(),
              [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
    return drawings;
}

// Corpus drawing `name`, shipped or in the fuller copy; nothing when neither holds it.
inline std::optional<std::filesystem::path> CorpusDrawing(const std::string& name) {
    for (const std::filesystem::path folder : {ZORVAN_CORPUS_DIR, ZORVAN_EXTRA_CORPUS_DIR}) {
        if (std::filesystem::is_regular_file(folder / name)) return folder / name;
    }
    return std::nullopt;
}

// The shipped drawing `name`, which every clone has.
inline std::string ShippedDrawing(const std::string& name) {
    return (std::filesystem::path(ZORVAN_CORPUS_DIR) / name).string();
}

}  // namespace zorvan::testing
