// The registry of Windows through the wide calls.
//
// - A key is looked for first in the 32-bit view (KEY_WOW64_32KEY), where
//   the 32-bit Tarvel 2.0 wrote it, then in the 64-bit view
//   (KEY_WOW64_64KEY), each named, so that the 32-bit program too finds a
//   key written only in the 64-bit view of a 64-bit Windows. (A 32-bit
//   Windows has one view and ignores both flags.)
// - Keys are opened for reading only, whatever access the caller asks for.
// - A value found is answered by the rules of platform/registry_query.h,
//   text as UTF-8, as on Linux. Nothing throws.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/registry.h"

namespace bt {

std::unique_ptr<Registry> MakeWin32Registry();

// The three system calls, replaceable so that a test can see how a key is
// opened; handles and roots as RegKey, statuses as the system's.
struct Win32RegistryCalls {
  std::int32_t (*open)(RegKey root, const wchar_t* subKey, std::uint32_t options, std::uint32_t access,
                       RegKey* handle);
  std::int32_t (*query)(RegKey key, const wchar_t* valueName, std::uint32_t* type, std::uint8_t* data,
                        std::uint32_t* size);
  std::int32_t (*close)(RegKey key);
};

const Win32RegistryCalls& RealRegistryCalls();
std::unique_ptr<Registry> MakeWin32Registry(const Win32RegistryCalls& calls);

}  // namespace bt
