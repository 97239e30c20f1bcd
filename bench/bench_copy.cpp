#include "bench/bench_copy.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "copy/copy_files.h"

namespace bt::bench {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

DriveTable RootDriveTable() { return {DriveMapping{'C', "/", "/"}}; }

std::string WindowsPathOnRootDrive(const std::string& hostPath, bool folderForm) {
  if (hostPath.empty() || hostPath[0] != '/') {
    throw std::invalid_argument("\"" + hostPath + "\" is not an absolute host path");
  }
  std::string windows = "C:";
  for (char c : hostPath) windows += c == '/' ? '\\' : c;
  while (windows.size() > 3 && windows.back() == '\\') windows.pop_back();
  if (folderForm && windows.back() != '\\') windows += '\\';
  return windows;
}

CopyTiming TimedCopy(FileSystem& files, const std::string& hostSource, const std::string& hostDestination) {
  const bool folder = std::filesystem::is_directory(hostSource);
  const std::string source = WindowsPathOnRootDrive(hostSource, folder);
  const std::string destination = WindowsPathOnRootDrive(hostDestination);

  CopyTiming timing;
  const auto start = std::chrono::steady_clock::now();
  timing.count = CopyPath(files, source, destination);
  timing.copySeconds = SecondsSince(start);
  const auto flushStart = std::chrono::steady_clock::now();
  files.FlushWrites();
  timing.flushSeconds = SecondsSince(flushStart);
  return timing;
}

}  // namespace bt::bench
