// Helpers for the registry tests: system.reg files written to a temporary
// folder, and a whole query (type, status and bytes) in one call.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/wine/wine_registry.h"

namespace bt::test {

inline const std::string kTarvelKey = "Software\\KESTAL\\Tarvel\\2.0";

// Wine's own first lines of a 64-bit prefix's system.reg.
inline const std::string kWin64Header =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n";
inline const std::string kWin32Header =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n\n";

inline std::string Fixture(const std::string& name) {
  return std::string(BT_FIXTURES_DIR) + "/wine-registry/" + name;
}

// A temporary folder removed with the object.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("bt-registry-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Writes a file exactly as given (bytes, line ends) and returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file.string();
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct Answer {
  std::int32_t openStatus = -1;
  std::int32_t status = -1;  // of the query for the size
  std::uint32_t type = 0;
  std::string bytes;  // the data, read with a buffer of exactly its size
};

// Opens key under HKEY_LOCAL_MACHINE, asks for the size of valueName, reads
// it with a buffer of that size, and closes the key.
inline Answer Query(Registry& registry, const std::string& valueName,
                    const std::string& key = kTarvelKey) {
  Answer answer;
  RegKey handle = 0;
  answer.openStatus = registry.RegOpenKeyExA(kHkeyLocalMachine, key, 0, 63, &handle);
  if (answer.openStatus != kErrorSuccess) return answer;
  std::uint32_t size = 0;
  answer.status = registry.RegQueryValueExA(handle, valueName, nullptr, &answer.type, nullptr, &size);
  if (answer.status == kErrorSuccess) {
    std::vector<std::uint8_t> buffer(size + 1, 0xEE);  // one guard byte
    std::uint32_t copied = size;
    std::uint32_t type = 0;
    EXPECT_EQ(registry.RegQueryValueExA(handle, valueName, nullptr, &type, buffer.data(), &copied),
              kErrorSuccess);
    EXPECT_EQ(copied, size);
    EXPECT_EQ(type, answer.type);
    EXPECT_EQ(buffer[size], 0xEE) << "wrote past the buffer";
    answer.bytes.assign(buffer.begin(), buffer.begin() + copied);
  }
  EXPECT_EQ(registry.RegCloseKey(handle), kErrorSuccess);
  return answer;
}

// Query on a system.reg holding `content`.
inline Answer QueryFile(const std::string& content, const std::string& valueName,
                        const std::string& key = kTarvelKey) {
  TempFolder folder;
  auto registry = MakeWineRegistry(folder.Write("system.reg", content));
  return Query(*registry, valueName, key);
}

}  // namespace bt::test
