// The result of reading one registry value: empty (nothing was read), a
// text, or a signed 32-bit number. A read starts from empty.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace bt {

using RegistryValue = std::variant<std::monostate, std::string, std::int32_t>;

// Empty gives the empty text, a number its decimal form ("-1", "42"), a
// text itself (NULs included).
std::string RegistryValueText(const RegistryValue& value);

}  // namespace bt
