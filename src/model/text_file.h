// Text files read byte for byte, split into lines at CR LF, at CR alone or at LF alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

// The most bytes a file is read whole with: 256 MB. A drawing at the table limits takes a few megabytes; the
// bound keeps a huge file, or one that never ends, out of memory.
inline constexpr std::uintmax_t kMostBytesReadWhole = std::uintmax_t{256} << 20;

// Why a file is not read.
enum class ReadRefusal {
    CannotOpen,  // missing, unreadable: the system's reason
    NotAFile,    // a folder, a named pipe, a device or a socket
    TooLarge,    // more than the bytes allowed
};

struct ReadProblem {
    ReadRefusal refusal = ReadRefusal::CannotOpen;
    // Words that follow "cannot be read: ": "No such file or directory", "it is a folder", "it is a named pipe,
    // not a file", "it holds 300 MB, more than 256 MB".
    std::string reason;
};

// Why ReadWholeFile would refuse the file at `path`, judged from its status before it is opened: whatever is
// not a regular file is never opened (so a named pipe cannot block and a device is never touched), and a file
// of more than `mostBytes` is refused unread. A regular file is then opened, without blocking, to learn whether
// it may be read. Nothing when it can be read.
std::optional<ReadProblem> WhyFileCannotBeRead(const std::string& path,
                                               std::uintmax_t mostBytes = kMostBytesReadWhole);

// The whole content of the regular file at `path`, or nothing when WhyFileCannotBeRead refuses it or reading
// fails. The checks are made again on the opened file, and reading stops past `mostBytes`, so a file that is
// swapped or grows meanwhile is refused all the same.
std::optional<std::string> ReadWholeFile(const std::string& path, std::uintmax_t mostBytes = kMostBytesReadWhole);

// Every byte still to come from the open descriptor `fd` (standard input, a pipe), read to its end as bytes,
// or nothing with the problem: reading failed (the system's reason), or more than `mostBytes` follow (the
// reading stops there, so a stream that never ends cannot fill the memory).
std::optional<std::string> ReadWholeStream(int fd, std::optional<ReadProblem>& problem,
                                           std::uintmax_t mostBytes = kMostBytesReadWhole);

// The lines of the file at `path` (line ends as LineReader reads them), or nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Writes `bytes` to a temporary file beside `path` and renames it over `path` once complete, so the old file
// stays whole when anything fails. Returns nothing on success, or the reason it failed, such as
// "cannot create /parts/.zt-1234-0: Permission denied". A symbolic link at `path` stays: the file it leads to
// is the one replaced. The temporary file has a short name of its own (".zt-<process>-<count>"), so any name
// the folder allows can be saved, and it is removed whenever the save fails.
// What is at `path` and is not a regular file is never renamed over: a character device (/dev/null) or a
// named pipe is written in place, and a folder, a socket or a block device is refused.
std::optional<std::string> SaveTextFile(const std::string& path, const std::string& bytes);

// Whether the two paths name the same file: the same device and inode where both exist, else the same path
// once symbolic links are followed and "." and ".." resolved. Two outputs that are one file would overwrite
// each other.
bool IsSameFile(const std::string& first, const std::string& second);

// From now on SIGINT, SIGTERM and SIGHUP first remove the temporary file of a save under way (SaveTextFile),
// then end the process as the signal would have. For programs that save and may be interrupted.
void RemoveTemporaryFileOnSignals();

// Where the first byte lies that has no place in a text file: NUL, DEL and the control characters other than
// tab, line feed, form feed and carriage return. A Ctrl-Z as the very last byte (the end mark old DOS editors
// write) is allowed, and so is every byte from 0x80 up (8-bit or UTF-8 text). Nothing when all may be text.
//   FirstNonTextByte("G90\r\nM3\x1A") is nothing;   FirstNonTextByte("G9\0") == 2
std::optional<size_t> FirstNonTextByte(std::string_view bytes);

// The lines joined with CR LF after each one, as every text file is written.
std::string JoinCrLf(const std::vector<std::string>& lines);

// The message an operator sees when a save failed: names the file and the reason.
std::string SaveFailedMessage(const std::string& path, const std::string& reason);

// Hands out the lines of a text one at a time. A line ends at CR LF, CR or LF; the line end is not part of
// the line. A text that ends with a line end has no empty line after it.
//   "a\r\nb\rc\nd" gives "a", "b", "c", "d";   "a\n\n" gives "a", "".
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // Whether every line has been handed out.
    bool AtEnd() const { return pos_ >= text_.size(); }

    // The next line, or nothing when the text is used up. The view points into the text given at construction.
    std::optional<std::string_view> ReadLine();

private:
    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace zorvan
