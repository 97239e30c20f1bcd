// Walks the lines of a registry file without copying them. Lines end in LF
// or CRLF; the last line may lack its end.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace bt::wine {

class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}

  // The next line without its end; false when the text is used up.
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    lineStart_ = pos_;
    const void* found = std::memchr(text_.data() + pos_, '\n', text_.size() - pos_);
    const std::size_t end =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = found ? end + 1 : end;
    return true;
  }

  // Where the line last returned by Next starts, and where the next begins.
  std::size_t lineStart() const { return lineStart_; }
  std::size_t position() const { return pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t lineStart_ = 0;
};

// The line without its leading blanks, as Wine skips them.
inline std::string_view SkipBlanks(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return line.substr(i);
}

}  // namespace bt::wine
