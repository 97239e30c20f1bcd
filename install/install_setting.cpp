#include "install/install_setting.h"

#include <algorithm>
#include <new>

#include "platform/error.h"

namespace bt {
namespace {

// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
// KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK: the key has always
// been opened with these rights although it is only read.
constexpr std::uint32_t kInstallKeyAccess = 63;

constexpr std::int32_t kStatusOtherType = -1;
constexpr std::int32_t kErrorGenFailure = 31;

// Closes the key when the read ends, however it ends; a null handle is
// closed too, which fails harmlessly.
class KeyCloser {
 public:
  KeyCloser(Registry& registry, const RegKey& handle) : registry_(registry), handle_(handle) {}
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;
  ~KeyCloser() {
    try {
      registry_.RegCloseKey(handle_);
    } catch (...) {
      // The close's status is not looked at; neither is a misbehaving one.
    }
  }

 private:
  Registry& registry_;
  const RegKey& handle_;
};

}  // namespace

std::int32_t QueryRegistryValue(Registry& registry, RegKey key, const std::string& valueName,
                                RegistryValue& value) {
  std::int32_t status = kErrorSuccess;
  try {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    status = registry.RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    if (status != kErrorSuccess) return status;
    if (type == kRegSz) {
      std::string buffer(size, '\0');
      status = registry.RegQueryValueExA(key, valueName, nullptr, &type,
                                         reinterpret_cast<std::uint8_t*>(buffer.data()), &size);
      if (status == kErrorSuccess) {
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        value = std::move(buffer);
      } else {
        value = std::monostate{};
      }
    } else if (type == kRegDword) {
      std::uint8_t bytes[4] = {};
      size = sizeof bytes;
      status = registry.RegQueryValueExA(key, valueName, nullptr, &type, bytes, &size);
      if (status == kErrorSuccess) {
        const std::uint32_t number = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                     (static_cast<std::uint32_t>(bytes[3]) << 24);
        value = static_cast<std::int32_t>(number);
      }
    } else {
      status = kStatusOtherType;
    }
    return status;
  } catch (const std::bad_alloc&) {
    return status == kErrorSuccess ? kErrorNotEnoughMemory : status;
  } catch (...) {
    return status == kErrorSuccess ? kErrorGenFailure : status;
  }
}

RegistryValue ReadRegistryValue(Registry& registry, RegKey root, const std::string& subKey,
                                const std::string& valueName) {
  RegKey handle = 0;
  KeyCloser closer(registry, handle);
  registry.RegOpenKeyExA(root, subKey, 0, kInstallKeyAccess, &handle);
  RegistryValue value;
  QueryRegistryValue(registry, handle, valueName, value);
  return value;
}

std::string GetInstallSetting(Registry& registry, const std::string& valueName) {
  try {
    const std::string subKey = std::string("Software\\KESTAL\\Tarvel\\") + "2.0";
    std::string text =
        RegistryValueText(ReadRegistryValue(registry, kHkeyLocalMachine, subKey, valueName));
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
  } catch (const std::bad_alloc&) {
    throw AppError(kErrOutOfMemory, "Ao ler do registro a pasta de instalação do Tarvel 2.0",
                   "reading the installation folder from the registry");
  }
}

}  // namespace bt
