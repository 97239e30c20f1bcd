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

  // Moves on to the next line whose first character after its blanks is
  // `first` and returns it as Next does; the lines between are skipped
  // without being looked at, which keeps a search for the few section
  // headers of a large file fast.
  bool NextStartingWith(char first, std::string_view& line) {
    std::size_t from = pos_;
    while (from < text_.size()) {
      const void* found = std::memchr(text_.data() + from, first, text_.size() - from);
      if (!found) break;
      const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
      std::size_t start = at;
      while (start > pos_ && (text_[start - 1] == ' ' || text_[start - 1] == '\t')) --start;
      if (start == pos_ || text_[start - 1] == '\n') {
        pos_ = start;
        return Next(line);
      }
      from = at + 1;
    }
    pos_ = text_.size();
    return false;
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
