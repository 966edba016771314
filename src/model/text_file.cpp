// Reading text files and splitting them into lines.
#include "model/text_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    const std::optional<std::string> content = ReadWholeFile(path);
    if (!content) return std::nullopt;
    std::vector<std::string> lines;
    LineReader reader(*content);
    while (const auto line = reader.ReadLine()) lines.emplace_back(*line);
    return lines;
}

namespace {

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::optional<std::string> SaveTextFile(const std::string& path, const std::string& bytes) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return path + " is a folder";
    const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return Reason("cannot create", temporary);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const std::string writeFailure = written ? "" : Reason("cannot write", temporary);
    if (std::fclose(file) != 0 && written) {
        std::remove(temporary.c_str());
        return Reason("cannot write", temporary);
    }
    if (!written) {
        std::remove(temporary.c_str());
        return writeFailure;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string failure = Reason("cannot replace", path);
        std::remove(temporary.c_str());
        return failure;
    }
    return std::nullopt;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string SaveFailedMessage(const std::string& path, const std::string& reason) {
    return "Could not save " + path + " (" + reason + "). The file was not changed.";
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
