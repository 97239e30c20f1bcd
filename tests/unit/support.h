// Helpers shared by the unit tests of every group and build.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"

namespace bt::doubles {

// The number of the AppError that f throws; 0 when it throws none.
template <class F>
int ThrownNumber(F&& f) {
  try {
    std::forward<F>(f)();
  } catch (const AppError& error) {
    return error.number();
  }
  return 0;
}

// The AppError that f throws; AppError(0) when it throws none.
template <class F>
AppError Thrown(F&& f) {
  try {
    std::forward<F>(f)();
  } catch (const AppError& error) {
    return error;
  }
  return AppError(0);
}

// The detail of the AppError that f throws; "" when it throws none.
template <class F>
std::string ThrownDetail(F&& f) {
  try {
    std::forward<F>(f)();
  } catch (const AppError& error) {
    return error.detail();
  }
  return {};
}

struct Listed {
  std::string name;
  std::uint32_t attributes = 0;
  bool operator==(const Listed&) const = default;
};

// Every entry a listing of pattern yields, in order; empty when it cannot start.
inline std::vector<Listed> ListAll(FileSystem& files, const std::string& pattern) {
  std::vector<Listed> entries;
  FindData record;
  const FindHandle handle = files.FindFirstFileA(pattern, &record);
  if (handle == kInvalidHandle) return entries;
  do {
    entries.push_back({record.cFileName, record.dwFileAttributes});
  } while (files.FindNextFileA(handle, &record) != 0);
  files.FindClose(handle);
  return entries;
}

inline std::vector<std::string> NamesOf(const std::vector<Listed>& entries) {
  std::vector<std::string> names;
  for (const Listed& entry : entries) names.push_back(entry.name);
  return names;
}

// The host names in a host folder, in the order the host yields them.
inline std::vector<std::string> HostNames(const std::string& hostFolder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(hostFolder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace bt::doubles
