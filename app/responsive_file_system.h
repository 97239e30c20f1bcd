// The file system as the operations see it from the window: every copy and
// folder creation first lets the window repaint and answer the desktop, so
// that a backup of thousands of photos never looks frozen. The window still
// takes no input meanwhile (WindowSystem::KeepResponsive).
#pragma once

#include <algorithm>
#include <chrono>

#include "platform/file_system.h"
#include "platform/window_system.h"

namespace bt {

class ResponsiveFileSystem final : public FileSystem {
 public:
  ResponsiveFileSystem(FileSystem& target, WindowSystem& windows)
      : target_(target), windows_(windows) {}

  std::uint32_t GetAttributes(const std::string& path) override {
    return target_.GetAttributes(path);
  }
  bool OrdinaryFileExists(const std::string& path) override {
    return target_.OrdinaryFileExists(path);
  }
  void CreateFolder(const std::string& path) override {
    windows_.KeepResponsive();
    target_.CreateFolder(path);
  }
  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination,
                     Durability durability, DestinationLinks links) override {
    windows_.KeepResponsive();
    target_.CopyWholeFile(source, destination, durability, links);
  }
  void RemoveFile(const std::string& path) override {
    windows_.KeepResponsive();
    target_.RemoveFile(path);
  }
  void RemoveEmptyFolder(const std::string& path) override {
    windows_.KeepResponsive();
    target_.RemoveEmptyFolder(path);
  }
  void RenameFolder(const std::string& path, const std::string& newName) override {
    windows_.KeepResponsive();
    target_.RenameFolder(path, newName);
  }
  void FlushWrites() override {
    windows_.KeepResponsive();
    target_.FlushWrites();
  }
  void FinishCopies() override {
    windows_.KeepResponsive();
    target_.FinishCopies();
  }
  bool LiesWithin(const std::string& path, const std::string& folder) override {
    return target_.LiesWithin(path, folder);
  }
  bool KeepsLetterCase(const std::string& folder) override { return target_.KeepsLetterCase(folder); }
  // Waits in short turns, the window repainted and answering between them.
  std::unique_ptr<OperationLock> LockForOperation(const std::string& folder,
                                                  std::chrono::milliseconds wait) override {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      try {
        return target_.LockForOperation(folder, std::clamp(left, std::chrono::milliseconds(0), kLockTurn));
      } catch (const AppError& error) {
        if (error.number() != kErrPermissionDenied || left <= kLockTurn) throw;
      }
      windows_.KeepResponsive();
    }
  }
  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override {
    return target_.FindFirstFileA(pattern, record);
  }
  int FindNextFileA(FindHandle handle, FindData* record) override {
    return target_.FindNextFileA(handle, record);
  }
  void FindClose(FindHandle handle) override { target_.FindClose(handle); }
  std::optional<AppError> LastFindFailure() const override { return target_.LastFindFailure(); }
  std::vector<DriveInfo> Drives() override { return target_.Drives(); }
  std::string CurrentFolder(char driveLetter) override {
    return target_.CurrentFolder(driveLetter);
  }

 private:
  static constexpr std::chrono::milliseconds kLockTurn{100};

  FileSystem& target_;
  WindowSystem& windows_;
};

}  // namespace bt
