// Text files read byte for byte, split into lines at CR LF, at CR alone or at LF alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

// The whole content of the file at `path`, or nothing when it cannot be opened or read (a folder, a missing
// or unreadable file).
std::optional<std::string> ReadWholeFile(const std::string& path);

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
