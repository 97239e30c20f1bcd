// A file system that passes every call on to another, so that a wrapper
// overrides only the calls it changes or watches.
#pragma once

#include "platform/file_system.h"

namespace bt {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& target) : target_(target) {}

  std::uint32_t GetAttributes(const std::string& path) override { return target_.GetAttributes(path); }
  bool OrdinaryFileExists(const std::string& path) override { return target_.OrdinaryFileExists(path); }
  void CreateFolder(const std::string& path) override { target_.CreateFolder(path); }
  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination, Durability durability,
                     DestinationLinks links) override {
    target_.CopyWholeFile(source, destination, durability, links);
  }
  void RemoveFile(const std::string& path) override { target_.RemoveFile(path); }
  void RemoveEmptyFolder(const std::string& path) override { target_.RemoveEmptyFolder(path); }
  void RenameFolder(const std::string& path, const std::string& newName) override {
    target_.RenameFolder(path, newName);
  }
  void FlushWrites() override { target_.FlushWrites(); }
  void FinishCopies() override { target_.FinishCopies(); }
  bool LiesWithin(const std::string& path, const std::string& folder) override {
    return target_.LiesWithin(path, folder);
  }
  bool KeepsLetterCase(const std::string& folder) override { return target_.KeepsLetterCase(folder); }
  std::unique_ptr<OperationLock> LockForOperation(const std::string& folder,
                                                  std::chrono::milliseconds wait) override {
    return target_.LockForOperation(folder, wait);
  }
  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override {
    return target_.FindFirstFileA(pattern, record);
  }
  int FindNextFileA(FindHandle handle, FindData* record) override { return target_.FindNextFileA(handle, record); }
  void FindClose(FindHandle handle) override { target_.FindClose(handle); }
  std::optional<AppError> LastFindFailure() const override { return target_.LastFindFailure(); }
  std::vector<DriveInfo> Drives() override { return target_.Drives(); }
  std::string CurrentFolder(char driveLetter) override { return target_.CurrentFolder(driveLetter); }

 protected:
  FileSystem& target() { return target_; }

 private:
  FileSystem& target_;
};

}  // namespace bt
