// TempDrives on Windows: folders under the temporary folder, the Win32 file
// system over them as folder drives.
#include <windows.h>

#include <random>
#include <stdexcept>
#include <string>

#include "platform/wide_text.h"
#include "platform/windows/win32_file_system.h"
#include "testing/temp_drives.h"

namespace bt::doubles {
namespace {

// Removes a tree whatever its attributes (a read-only copy, a hidden one).
void RemoveTree(const std::wstring& path) {
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L'\\' + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(child);
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::DeleteFileW(child.c_str())) ::RemoveDirectoryW(child.c_str());
      }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempDrives::TempDrives() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  std::wstring base(temp, length);
  while (!base.empty() && base.back() == L'\\') base.pop_back();
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder = base + L"\\bt-drives-" + std::to_wstring(random() % 1000000);
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
      root_ = WideToUtf8(folder);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder under " + WideToUtf8(base));
}

TempDrives::~TempDrives() { RemoveTree(Utf8ToWide(root_)); }

std::string TempDrives::HostName(const std::string& windowsName) { return windowsName; }

std::unique_ptr<FileSystem> TempDrives::MakeFileSystem(const std::string& workingWindowsFolder) const {
  std::vector<FolderDrive> drives;
  for (const Drive& drive : drives_) drives.push_back({drive.letter, drive.hostRoot, drive.hostRoot});
  return MakeWin32FileSystemOver(std::move(drives), workingWindowsFolder);
}

}  // namespace bt::doubles
