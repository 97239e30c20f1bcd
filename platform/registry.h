// The three registry calls the installation lookup needs, with the statuses
// and size rules of the Windows ones. None of them throws: each returns 0 for
// success or a nonzero Windows error code.
//
// The calls keep the names of the Windows calls they stand for, but their
// texts (key paths, value names, text values) are UTF-8 like every text of
// the program, never the ANSI code page that the "A" would say.
#pragma once

#include <cstdint>
#include <string>

namespace bt {

using RegKey = std::uintptr_t;  // 0 is the null handle
constexpr RegKey kHkeyLocalMachine = 0x80000002u;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

constexpr std::int32_t kErrorSuccess = 0;
constexpr std::int32_t kErrorFileNotFound = 2;
constexpr std::int32_t kErrorAccessDenied = 5;
constexpr std::int32_t kErrorInvalidHandle = 6;
constexpr std::int32_t kErrorNotEnoughMemory = 8;
constexpr std::int32_t kErrorInvalidParameter = 87;
constexpr std::int32_t kErrorMoreData = 234;

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens subKey under root and stores its handle in *handle; on failure
  // *handle keeps the value it held.
  virtual std::int32_t RegOpenKeyExA(RegKey root, const std::string& subKey,
                                     std::uint32_t options, std::uint32_t access,
                                     RegKey* handle) = 0;

  // Reads value valueName of an open key. Stores the type code in *type.
  // With data null, stores in *size the number of bytes stored. With a buffer
  // of *size bytes, copies the data and stores the bytes copied in *size;
  // fails with kErrorMoreData when the stored data is larger. Text crosses
  // as UTF-8; text stored with its terminating NUL counts that NUL.
  virtual std::int32_t RegQueryValueExA(RegKey handle, const std::string& valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) = 0;

  // Closes the key; a null handle fails harmlessly.
  virtual std::int32_t RegCloseKey(RegKey handle) = 0;
};

}  // namespace bt
