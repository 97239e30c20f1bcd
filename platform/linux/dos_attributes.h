// The attribute bits Wine shows for a host file or folder.
//
// 0x10 for a folder, 0x20 (archive) for a file; 0x01 (read-only) when no
// write permission bit is set; 0x02 (hidden) and 0x04 (system) from the
// extended attribute "user.DOSATTRIB" ("0x" and hex digits, as Wine and
// Samba write it) and, where that attribute is absent, hidden for a name
// that starts with a dot.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bt {

inline constexpr const char* kDosAttribXattr = "user.DOSATTRIB";

// The hidden and system bits held in a user.DOSATTRIB value; nullopt when the
// value is not in the text form.
std::optional<std::uint32_t> ParseDosAttrib(std::string_view value);

// user.DOSATTRIB as a listing read it, for the copy that follows.
struct DosAttribValue {
  enum class State { kUnknown, kAbsent, kPresent } state = State::kUnknown;
  std::string bytes;  // when present
};

// The attributes of the entry at hostPath, whose own name is hostName ("" for
// a drive root) and whose stat (links followed) is st. Reads user.DOSATTRIB,
// and hands out what it read when asked, so that a copy need not read it
// again.
std::uint32_t DosAttributes(const std::string& hostPath, std::string_view hostName,
                            const struct stat& st, DosAttribValue* read = nullptr);

}  // namespace bt
