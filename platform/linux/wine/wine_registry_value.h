// Reads one value from the value lines of a key's sections in a Wine
// registry file. Value lines are `"name"=data` or `@=data` (the default
// value, whose name is empty), where data is one of
//   "text"            REG_SZ
//   str(N):"text"     type N (2 REG_EXPAND_SZ, 7 REG_MULTI_SZ)
//   dword:xxxxxxxx    REG_DWORD
//   hex:bb,bb,...     REG_BINARY
//   hex(N):bb,...     type N, the bytes as stored
// A hex list may go on over further lines, each line but the last ending
// in "\". Wine stores quoted text as UTF-16 with its terminating NUL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bt::wine {

struct StoredValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;  // as stored; text is UTF-16LE
};

// The value `name` (compared ignoring letter case) among `bodies`, the
// value lines of each section of one key. A later definition replaces an
// earlier one, as when Wine loads the file; a definition that cannot be
// parsed is skipped, so a value that exists only in such a form is missing.
std::optional<StoredValue> FindValue(const std::vector<std::string>& bodies,
                                     std::u16string_view name);

}  // namespace bt::wine
