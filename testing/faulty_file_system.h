// A file system that forwards every call to a real one and fails the Nth
// call of a chosen operation with a chosen error, once or from then on. A
// test runs an operation with a failure at every step in turn and checks
// that nothing the user had is lost or half-written.
//
// The steps inside a host file copy (open, read, write, flush, rename,
// close ...) are counted and failed through the copy's table of host calls
// (copy_step_faults.h), while the object lives; so only one may live at a
// time, and they fail with the host's own error code, as the system would.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/file_system.h"
#include "testing/copy_step_faults.h"

namespace bt::doubles {

enum class FsOp {
  GetAttributes,
  OrdinaryFileExists,
  CreateFolder,
  CopyWholeFile,
  FindFirst,
  FindNext,
  FlushWrites,
  LiesWithin,
  RemoveFile,
  RemoveEmptyFolder,
  RenameFolder,
  kCount,
};

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& target) : target_(target) {}
  FaultyFileSystem(const FaultyFileSystem&) = delete;
  FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

  // The nth call of op from now on (1 = the next one) fails with error; with
  // persistent, so does every later call. A listing call that fails returns
  // its failure value and reports error through LastFindFailure();
  // OrdinaryFileExists and LiesWithin answer false.
  void FailOn(FsOp op, int nth, const AppError& error, bool persistent = false);
  // The nth call of step from now on fails with the host code (errno on
  // Linux, a last-error code on Windows); with persistent, so does every
  // later call.
  void FailStep(CopyStep step, int nth, int hostCode, bool persistent = false) {
    steps_.FailStep(step, nth, hostCode, persistent);
  }
  // The nth write from now on writes only half of what it was given and
  // reports so; the write after it fails for a full disk: a disk filling up.
  void ShortWriteOn(int nth) { steps_.ShortWriteOn(nth); }
  // Linux: clone and copy_file_range answer that they cannot serve the
  // files, as across file systems, so that every byte goes through read and
  // write.
  void ForceReadWrite(bool force = true) { steps_.ForceReadWrite(force); }
  void Heal();  // no more failures
  // Calls of op since construction, failed ones included.
  int Calls(FsOp op) const { return calls_[Index(op)]; }
  int StepCalls(CopyStep step) const { return steps_.StepCalls(step); }
  // Whether a planned failure has been raised.
  bool Fired() const { return fired_ || steps_.Fired(); }
  // Listings started and not yet ended: every listing must be ended, also
  // when a failure cuts the copy short.
  int OpenListings() const { return openListings_; }

  std::uint32_t GetAttributes(const std::string& path) override;
  bool OrdinaryFileExists(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination,
                     Durability durability, DestinationLinks links) override;
  void FlushWrites() override;
  void RemoveFile(const std::string& path) override;
  void RemoveEmptyFolder(const std::string& path) override;
  void RenameFolder(const std::string& path, const std::string& newName) override;
  void FinishCopies() override { target_.FinishCopies(); }
  bool LiesWithin(const std::string& path, const std::string& folder) override;
  bool KeepsLetterCase(const std::string& folder) override { return target_.KeepsLetterCase(folder); }
  std::unique_ptr<OperationLock> LockForOperation(const std::string& folder,
                                                  std::chrono::milliseconds wait) override {
    return target_.LockForOperation(folder, wait);
  }
  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override;
  int FindNextFileA(FindHandle handle, FindData* record) override;
  void FindClose(FindHandle handle) override;
  std::optional<AppError> LastFindFailure() const override;
  std::vector<DriveInfo> Drives() override { return target_.Drives(); }
  std::string CurrentFolder(char driveLetter) override { return target_.CurrentFolder(driveLetter); }

 private:
  struct Plan {
    int countdown = 0;
    bool persistent = false;
    std::optional<AppError> error;
  };
  static std::size_t Index(FsOp op) { return static_cast<std::size_t>(op); }
  // Counts the call and returns the error to raise, if this call fails.
  std::optional<AppError> Step(FsOp op);
  FileSystem& target_;
  std::array<int, static_cast<std::size_t>(FsOp::kCount)> calls_{};
  std::array<Plan, static_cast<std::size_t>(FsOp::kCount)> plans_{};
  CopyStepFaults steps_;
  std::optional<AppError> injectedFindFailure_;
  bool fired_ = false;
  int openListings_ = 0;
};

}  // namespace bt::doubles
