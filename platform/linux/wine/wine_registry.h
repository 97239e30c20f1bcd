// The registry of a Wine prefix, read from its system.reg: the keys of
// HKEY_LOCAL_MACHINE as Wine saves them. The file is only read, never
// written, and is read again at every open, so an open key shows the file
// as it was at that moment.
//
// - Keys open from HKEY_LOCAL_MACHINE only: the other predefined roots give
//   kErrorFileNotFound, any other root kErrorInvalidHandle, as does a
//   handle that is not open. The access mask and options are not enforced.
// - Lack of memory gives status 8; nothing throws.
// - Key and value names are compared ignoring letter case (Unicode).
// - On a 64-bit prefix a key under "Software" is looked up first in the
//   32-bit view (Software\Wow6432Node\...), as the 32-bit program whose
//   settings are read sees it, and then in the native view.
// - A value found is answered by the rules of platform/registry_query.h,
//   text as UTF-8.
// - A missing, unreadable or non-Wine file behaves as a file without keys;
//   a value that cannot be parsed is missing.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"

namespace bt {

std::unique_ptr<Registry> MakeWineRegistry(std::string systemRegPath);

}  // namespace bt
