#include "platform/windows/win32_registry.h"

#include <windows.h>

#include <new>
#include <string_view>
#include <vector>

#include "platform/registry_query.h"
#include "platform/wide_text.h"

namespace bt {
namespace {

// The access every open asks for. The installation lookup asks for 63
// (0x3F: query, set, create sub-key, enumerate, notify, create link) though
// it only reads; on Windows with user account control a standard user is
// refused such an open of HKEY_LOCAL_MACHINE (error 5), and the installation
// would look missing on every ordinary account. So keys are opened for
// reading only. Wine runs every program as an administrator, so no test
// here would catch a write right creeping back: the registry tests check the
// mask through the call table instead.
constexpr std::uint32_t kReadOnlyAccess = KEY_QUERY_VALUE;

constexpr RegKey kFirstPredefinedKey = 0x80000000u;
constexpr RegKey kLastPredefinedKey = 0x800000FFu;

// The predefined roots are 32-bit values sign-extended into a handle.
HKEY HandleOf(RegKey key) {
  if (key >= kFirstPredefinedKey && key <= kLastPredefinedKey) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<ULONG>(key))));
  }
  return reinterpret_cast<HKEY>(key);
}

std::int32_t RealOpen(RegKey root, const wchar_t* subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* handle) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExW(HandleOf(root), subKey, options, access, &opened);
  if (status == ERROR_SUCCESS) *handle = reinterpret_cast<RegKey>(opened);
  return status;
}

std::int32_t RealQuery(RegKey key, const wchar_t* valueName, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) {
  DWORD typeCode = 0;
  DWORD bytes = size != nullptr ? *size : 0;
  const LONG status = ::RegQueryValueExW(HandleOf(key), valueName, nullptr, &typeCode, data,
                                         size != nullptr ? &bytes : nullptr);
  if (type != nullptr) *type = typeCode;
  if (size != nullptr) *size = bytes;
  return status;
}

std::int32_t RealClose(RegKey key) { return ::RegCloseKey(HandleOf(key)); }

constexpr Win32RegistryCalls kRealCalls{RealOpen, RealQuery, RealClose};

class Win32Registry final : public Registry {
 public:
  explicit Win32Registry(const Win32RegistryCalls& calls) : calls_(calls) {}

  std::int32_t RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t /*access*/, RegKey* handle) override {
    if (handle == nullptr) return ERROR_INVALID_PARAMETER;
    try {
      const std::wstring wide = Utf8ToWide(subKey);
      RegKey opened = 0;
      const std::int32_t view32 =
          calls_.open(root, wide.c_str(), options, kReadOnlyAccess | KEY_WOW64_32KEY, &opened);
      if (view32 != ERROR_SUCCESS) {
        // Each view asked for by name: a 32-bit program would otherwise be
        // answered from the 32-bit view twice.
        const std::int32_t view64 =
            calls_.open(root, wide.c_str(), options, kReadOnlyAccess | KEY_WOW64_64KEY, &opened);
        // Missing from both views: the 32-bit view's answer stands.
        if (view64 != ERROR_SUCCESS) return view64 == ERROR_FILE_NOT_FOUND ? view32 : view64;
      }
      *handle = opened;
      return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
  }

  std::int32_t RegQueryValueExA(RegKey handle, const std::string& valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override {
    if (handle == 0) return ERROR_INVALID_HANDLE;
    if (QueryArgumentsInvalid(reserved, data, size)) return ERROR_INVALID_PARAMETER;
    try {
      std::uint32_t typeCode = 0;
      std::string bytes;
      if (const std::int32_t status = ReadWhole(handle, Utf8ToWide(valueName), &typeCode, &bytes);
          status != ERROR_SUCCESS) {
        return status;
      }
      return AnswerQuery(typeCode, bytes, type, data, size);
    } catch (const std::bad_alloc&) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
  }

  std::int32_t RegCloseKey(RegKey handle) override {
    if (handle == 0) return ERROR_INVALID_HANDLE;
    return calls_.close(handle);
  }

 private:
  // The value's type and its bytes as they cross: a value that grows between
  // the size request and the read is read again at its new size.
  std::int32_t ReadWhole(RegKey handle, const std::wstring& name, std::uint32_t* type, std::string* bytes) {
    std::uint32_t size = 0;
    std::int32_t status = calls_.query(handle, name.c_str(), type, nullptr, &size);
    std::vector<std::uint8_t> data;
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 8; ++attempt) {
      data.assign(size, 0);
      std::uint32_t got = size;
      status = calls_.query(handle, name.c_str(), type, data.empty() ? nullptr : data.data(), &got);
      if (status == ERROR_MORE_DATA) {
        size = got;
        status = ERROR_SUCCESS;
        continue;
      }
      if (status != ERROR_SUCCESS) return status;
      data.resize(got);
      *bytes = CrossingBytes(*type, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
      return ERROR_SUCCESS;
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
  }

  Win32RegistryCalls calls_;
};

}  // namespace

const Win32RegistryCalls& RealRegistryCalls() { return kRealCalls; }

std::unique_ptr<Registry> MakeWin32Registry(const Win32RegistryCalls& calls) {
  return std::make_unique<Win32Registry>(calls);
}

std::unique_ptr<Registry> MakeWin32Registry() { return MakeWin32Registry(kRealCalls); }

}  // namespace bt
