// Reading files whole, within bounds, and splitting text into lines.
#include "model/text_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zorvan {

namespace {

std::string MegabytesText(std::uintmax_t bytes) {
    constexpr std::uintmax_t kMegabyte = std::uintmax_t{1} << 20;
    return std::to_string(bytes / kMegabyte + (bytes % kMegabyte == 0 ? 0 : 1)) + " MB";  // rounded up
}

// What a status says against reading the file whole; nothing for a regular file of at most `mostBytes`.
std::optional<ReadProblem> ProblemOfStatus(const struct stat& status, std::uintmax_t mostBytes) {
    const mode_t type = status.st_mode & S_IFMT;
    if (type == S_IFDIR) return ReadProblem{ReadRefusal::NotAFile, "it is a folder"};
    if (type == S_IFIFO) return ReadProblem{ReadRefusal::NotAFile, "it is a named pipe, not a file"};
    if (type == S_IFCHR || type == S_IFBLK) return ReadProblem{ReadRefusal::NotAFile, "it is a device, not a file"};
    if (type == S_IFSOCK) return ReadProblem{ReadRefusal::NotAFile, "it is a socket, not a file"};
    if (type != S_IFREG) return ReadProblem{ReadRefusal::NotAFile, "it is not a file"};
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (size > mostBytes) {
        return ReadProblem{ReadRefusal::TooLarge, "it holds " + MegabytesText(size) + ", more than " + MegabytesText(mostBytes)};
    }
    return std::nullopt;
}

ReadProblem SystemProblem() { return {ReadRefusal::CannotOpen, std::strerror(errno)}; }

// The file opened for reading once its status allows it; never blocks, even on a pipe swapped in after the
// check. A descriptor of -1 with the problem when it is refused.
int OpenForReading(const std::string& path, std::uintmax_t mostBytes, std::optional<ReadProblem>& problem) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        problem = SystemProblem();
        return -1;
    }
    problem = ProblemOfStatus(status, mostBytes);
    if (problem) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem = SystemProblem();
        return -1;
    }
    problem = ::fstat(fd, &status) == 0 ? ProblemOfStatus(status, mostBytes) : SystemProblem();
    if (!problem) return fd;
    ::close(fd);
    return -1;
}

}  // namespace

std::optional<ReadProblem> WhyFileCannotBeRead(const std::string& path, std::uintmax_t mostBytes) {
    std::optional<ReadProblem> problem;
    const int fd = OpenForReading(path, mostBytes, problem);
    if (fd >= 0) ::close(fd);
    return problem;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::uintmax_t mostBytes) {
    std::optional<ReadProblem> problem;
    const int fd = OpenForReading(path, mostBytes, problem);
    if (fd < 0) return std::nullopt;
    std::string content;
    struct stat status {};
    if (::fstat(fd, &status) == 0) content.reserve(static_cast<size_t>(status.st_size));
    char buffer[1 << 16];
    bool failed = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        content.append(buffer, static_cast<size_t>(n));
        if (content.size() > mostBytes) {  // grew since it was checked
            failed = true;
            break;
        }
    }
    ::close(fd);
    if (failed) return std::nullopt;
    return content;
}

std::optional<std::string> ReadWholeStream(int fd, std::optional<ReadProblem>& problem, std::uintmax_t mostBytes) {
    problem.reset();
    std::string content;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {  // a stream left non-blocking: wait for it
            pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
        }
        if (n < 0) {
            problem = SystemProblem();
            return std::nullopt;
        }
        if (n == 0) return content;
        // Checked before the bytes are kept, so the text never holds more than the bound.
        if (static_cast<std::uintmax_t>(n) > mostBytes - content.size()) {
            problem = ReadProblem{ReadRefusal::TooLarge, "it holds more than " + MegabytesText(mostBytes)};
            return std::nullopt;
        }
        content.append(buffer, static_cast<size_t>(n));
    }
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    const std::optional<std::string> content = ReadWholeFile(path);
    if (!content) return std::nullopt;
    std::vector<std::string> lines;
    LineReader reader(*content);
    while (const auto line = reader.ReadLine()) lines.emplace_back(*line);
    return lines;
}

std::optional<size_t> FirstNonTextByte(std::string_view bytes) {
    for (size_t at = 0; at < bytes.size(); ++at) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        const bool control = c < 0x20 || c == 0x7F;
        if (!control || c == '\t' || c == '\n' || c == '\f' || c == '\r') continue;
        if (c == 0x1A && at + 1 == bytes.size()) continue;
        return at;
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
