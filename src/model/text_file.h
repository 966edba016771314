// Text files read byte for byte, split into lines at CR LF, at CR alone or at LF alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan {

// The whole content of the file at `path`, or nothing when it cannot be opened or read (a folder, a missing
// or unreadable file).
std::optional<std::string> ReadWholeFile(const std::string& path);

// The lines of the file at `path` (line ends as LineReader reads them), or nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Writes `bytes` to a temporary file beside `path` and renames it over `path` once complete, so the old file
// stays whole when anything fails. Returns nothing on success, or the reason it failed, such as
// "cannot create /parts/x.nc.tmp-1234: Permission denied". A symbolic link at `path` stays: the file it
// leads to is the one replaced.
std::optional<std::string> SaveTextFile(const std::string& path, const std::string& bytes);

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
