// Reading text files and splitting them into lines.
#include "model/text_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zorvan {

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return content;
}

std::optional<std::string_view> LineReader::ReadLine() {
    if (AtEnd()) return std::nullopt;
    const size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
        const std::string_view line = text_.substr(pos_);
        pos_ = text_.size();
        return line;
    }
    const std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return line;
}

}  // namespace zorvan
