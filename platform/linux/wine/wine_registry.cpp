#include "platform/linux/wine/wine_registry.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/wine/wine_registry_scan.h"
#include "platform/linux/wine/wine_registry_text.h"
#include "platform/linux/wine/wine_registry_value.h"
#include "platform/registry_query.h"
#include "platform/utf8.h"

namespace bt {
namespace {

constexpr RegKey kFirstPredefinedKey = 0x80000000u;

// The whole file, or nullopt when it is missing, unreadable or not a
// regular file (a FIFO would block the reader, so none is waited on).
std::optional<std::string> ReadRegistryFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::string content;
  content.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == content.size()) content.resize(content.size() * 2);  // the file grew
    const ssize_t got = ::read(fd, content.data() + used, content.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  content.resize(used);
  return content;
}

// Whether the first component of a normalized path is "Software".
bool UnderSoftware(std::u16string_view path) {
  constexpr std::u16string_view kSoftware = u"Software";
  if (path.size() < kSoftware.size()) return false;
  for (std::size_t i = 0; i < kSoftware.size(); ++i) {
    if (!wine::SameUnitIgnoringCase(path[i], kSoftware[i])) return false;
  }
  return path.size() == kSoftware.size() || path[kSoftware.size()] == u'\\';
}

std::string_view BytesOf(const wine::StoredValue& value) {
  return {reinterpret_cast<const char*>(value.data.data()), value.data.size()};
}

class WineRegistry final : public Registry {
 public:
  explicit WineRegistry(std::string systemRegPath) : path_(std::move(systemRegPath)) {}

  std::int32_t RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t /*options*/,
                             std::uint32_t /*access*/, RegKey* handle) override {
    if (handle == nullptr) return kErrorInvalidParameter;
    if (root != kHkeyLocalMachine) {
      return root >= kFirstPredefinedKey ? kErrorFileNotFound : kErrorInvalidHandle;
    }
    try {
      const std::u16string native = wine::NormalizeKeyPath(Utf8ToUtf16(subKey));
      std::vector<std::u16string> paths{native};
      if (UnderSoftware(native)) paths.push_back(u"Software\\Wow6432Node" + native.substr(8));
      std::optional<std::string> file = ReadRegistryFile(path_);
      const std::string_view text = file ? std::string_view(*file) : std::string_view();
      wine::ScanResult scan = wine::FindKeys(text, paths);
      wine::KeySections* found = nullptr;
      if (scan.win64 && paths.size() == 2 && scan.keys[1].exists) {
        found = &scan.keys[1];
      } else if (scan.keys[0].exists || native.empty()) {
        found = &scan.keys[0];  // the root itself always exists
      }
      if (found == nullptr) return kErrorFileNotFound;
      const RegKey opened = nextHandle_;
      open_.emplace(opened, std::move(found->bodies));
      nextHandle_ += 4;
      *handle = opened;
      return kErrorSuccess;
    } catch (...) {
      return kErrorNotEnoughMemory;  // only allocations can fail here
    }
  }

  std::int32_t RegQueryValueExA(RegKey handle, const std::string& valueName,
                                std::uint32_t* reserved, std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* size) override {
    const auto key = open_.find(handle);
    if (key == open_.end()) return kErrorInvalidHandle;
    if (QueryArgumentsInvalid(reserved, data, size)) return kErrorInvalidParameter;
    try {
      const std::optional<wine::StoredValue> stored = wine::FindValue(key->second, Utf8ToUtf16(valueName));
      if (!stored) return kErrorFileNotFound;
      return AnswerQuery(stored->type, CrossingBytes(stored->type, BytesOf(*stored)), type, data, size);
    } catch (...) {
      return kErrorNotEnoughMemory;  // only allocations can fail here
    }
  }

  std::int32_t RegCloseKey(RegKey handle) override {
    if (handle >= kFirstPredefinedKey) return kErrorSuccess;
    return open_.erase(handle) == 1 ? kErrorSuccess : kErrorInvalidHandle;
  }

 private:
  std::string path_;
  // Each open key keeps the value lines of its sections, read at the open.
  std::map<RegKey, std::vector<std::string>> open_;
  RegKey nextHandle_ = 0x100;
};

}  // namespace

std::unique_ptr<Registry> MakeWineRegistry(std::string systemRegPath) {
  return std::make_unique<WineRegistry>(std::move(systemRegPath));
}

}  // namespace bt
