#include "platform/linux/dos_attributes.h"

#include <sys/xattr.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/text.h"

namespace bt {

std::optional<std::uint32_t> ParseDosAttrib(std::string_view value) {
  // Samba may end the text with a NUL.
  while (!value.empty() && value.back() == '\0') value.remove_suffix(1);
  if (value.size() < 3 || value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) {
    return std::nullopt;
  }
  std::uint32_t bits = 0;
  for (char c : value.substr(2)) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    bits = (bits << 4) | static_cast<std::uint32_t>(digit);
  }
  return bits & (kAttrHidden | kAttrSystem);
}

std::uint32_t DosAttributes(const std::string& hostPath, std::string_view hostName,
                            const struct stat& st, DosAttribValue* read) {
  std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttrReadOnly;

  char value[256];
  const ssize_t length = getxattr(hostPath.c_str(), kDosAttribXattr, value, sizeof value);
  const int error = errno;
  if (read != nullptr) {
    // Longer than this, or not to be read here: the copy reads it itself.
    *read = DosAttribValue{};
    if (length >= 0) {
      read->state = DosAttribValue::State::kPresent;
      read->bytes.assign(value, static_cast<std::size_t>(length));
    } else if (error == ENODATA) {
      read->state = DosAttribValue::State::kAbsent;
    }
  }
  errno = error;
  if (length >= 0) {
    attributes |= ParseDosAttrib(std::string_view(value, static_cast<std::size_t>(length))).value_or(0);
  } else if (errno == ERANGE) {
    // Present but longer than any text form: Samba's binary form, whose bits
    // are not read; its presence alone switches the dot rule off.
  } else if (!hostName.empty() && hostName[0] == '.' && hostName != "." && hostName != "..") {
    attributes |= kAttrHidden;
  }
  return attributes;
}

}  // namespace bt
