// The installation folder lookup: one value of Tarvel 2.0's key
// "Software\KESTAL\Tarvel\2.0" under HKEY_LOCAL_MACHINE, read as text.
// Nothing here shows anything to the user, and a missing key or value, a
// refused open or a value of another type gives the empty text.
#pragma once

#include <cstdint>
#include <string>

#include "install/registry_value.h"
#include "platform/registry.h"

namespace bt {

// The key as texts for the user name it.
inline constexpr const char* kInstallKeyName = "HKEY_LOCAL_MACHINE\\Software\\KESTAL\\Tarvel\\2.0";

// The value valueName of Tarvel 2.0's key as text, up to its first NUL.
// The only failure that leaves it is running out of memory outside the
// query itself (AppError 7).
std::string GetInstallSetting(Registry& registry, const std::string& valueName);

// Opens subKey under root (options 0, access 63), reads valueName and closes
// the key, also when the open failed. The statuses are not looked at.
RegistryValue ReadRegistryValue(Registry& registry, RegKey root, const std::string& subKey,
                                const std::string& valueName);

// Reads valueName of an open key (possibly the null handle) into value:
// REG_SZ as text of as many characters as bytes were copied (its NUL
// included), REG_DWORD as a signed number. Returns the status of the last
// registry call, or -1 for a value of any other type (value untouched).
// Never throws: a failure ends it at once, value keeping what it held, and
// returns the last recorded status; when that was a success (or no call
// was made) it returns 8 for lack of memory and 31 for any other failure
// instead, so that a failure never reads as success.
std::int32_t QueryRegistryValue(Registry& registry, RegKey key, const std::string& valueName,
                                RegistryValue& value);

}  // namespace bt
