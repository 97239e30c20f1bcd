// libFuzzer target: the Wine registry reader given any bytes as system.reg.
// Each input is written to a file and read through the three registry
// calls, for the installation key and for a key and values named in the
// input itself, with buffers too small, exact and absent. No input may
// crash, leak, hang or draw a sanitizer report.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/wine/wine_registry.h"
#include "platform/registry.h"

namespace {

std::string InputFile() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bt-registry-fuzz-" +
           std::to_string(::getpid()) + ".reg";
  }();
  static const bool removedAtExit = [] { return std::atexit([] { std::remove(path.c_str()); }) == 0; }();
  (void)removedAtExit;
  return path;
}

// The first key header "[...]" and up to eight value names "\"...\"=" of the
// input, so that the reader is also asked for what the input defines.
void NamesIn(std::string_view text, std::string& key, std::vector<std::string>& values) {
  const auto open = text.find('[');
  const auto close = open == std::string_view::npos ? open : text.find(']', open);
  if (close != std::string_view::npos) key = std::string(text.substr(open + 1, close - open - 1));
  for (std::size_t at = 0; values.size() < 8;) {
    const auto quote = text.find('"', at);
    if (quote == std::string_view::npos) break;
    const auto end = text.find("\"=", quote + 1);
    if (end == std::string_view::npos) break;
    values.emplace_back(text.substr(quote + 1, end - quote - 1));
    at = end + 2;
  }
}

void Query(bt::Registry& registry, bt::RegKey key, const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (registry.RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != bt::kErrorSuccess) return;
  std::uint8_t small[4] = {};
  std::uint32_t smallSize = sizeof small;
  registry.RegQueryValueExA(key, name, nullptr, &type, small, &smallSize);
  if (size > (64u << 20)) return;  // the reader's answer, not ours to allocate blindly
  std::vector<std::uint8_t> data(size);
  std::uint32_t dataSize = size;
  registry.RegQueryValueExA(key, name, nullptr, &type, data.data(), &dataSize);
  if (dataSize > size) __builtin_trap();  // more bytes reported than the buffer held
}

void Read(bt::Registry& registry, const std::string& subKey, const std::vector<std::string>& values) {
  bt::RegKey key = 0;
  registry.RegOpenKeyExA(bt::kHkeyLocalMachine, subKey, 0, 0x3F, &key);
  for (const auto& value : values) Query(registry, key, value);
  registry.RegCloseKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = InputFile();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  auto registry = bt::MakeWineRegistry(path);
  Read(*registry, "Software\\KESTAL\\Tarvel\\2.0", {"Path", ""});
  std::string key;
  std::vector<std::string> values;
  NamesIn(std::string_view(reinterpret_cast<const char*>(data), size), key, values);
  if (!key.empty()) Read(*registry, key, values);
  // A key asked for twice: handles stay apart.
  bt::RegKey first = 0, second = 0;
  registry->RegOpenKeyExA(bt::kHkeyLocalMachine, key, 0, 0x3F, &first);
  registry->RegOpenKeyExA(bt::kHkeyLocalMachine, key, 0, 0x3F, &second);
  registry->RegCloseKey(first);
  if (!values.empty()) Query(*registry, second, values.front());
  registry->RegCloseKey(second);
  registry->RegCloseKey(first);  // closed already: must fail harmlessly
  return 0;
}
