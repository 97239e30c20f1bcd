// A file system that forwards every call to a real one and fails the Nth
// call of a chosen operation with a chosen error, once or from then on. A
// test runs an operation with a failure at every step in turn and checks
// that nothing the user had is lost or half-written.
//
// The steps inside a host file copy (open, read, write, clone,
// copy_file_range, fsync, rename, close) are counted and failed through the
// copy's table of host calls, while the object lives; so only one may live
// at a time, and they fail with a host errno, as the system would.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/file_system.h"
#include "platform/posix/file_copy.h"

namespace bt::testing {

enum class CopyStep {
  Open,  // the source, the temporary file, the folder flushed after a rename
  Read,
  Write,
  Clone,
  CopyRange,
  Fsync,
  Rename,  // also the rename of a new file that replaces nothing
  Close,
  Link,    // naming a file written without a name
  Syncfs,  // flushing a whole file system before success
  kCount,
};

std::string_view NameOf(CopyStep step);

enum class FsOp {
  GetAttributes,
  OrdinaryFileExists,
  CreateFolder,
  CopyWholeFile,
  FindFirst,
  FindNext,
  FlushWrites,
  LiesWithin,
  kCount,
};

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& target);
  ~FaultyFileSystem() override;
  FaultyFileSystem(const FaultyFileSystem&) = delete;
  FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

  // The nth call of op from now on (1 = the next one) fails with error; with
  // persistent, so does every later call. A listing call that fails returns
  // its failure value and reports error through LastFindFailure();
  // OrdinaryFileExists and LiesWithin answer false.
  void FailOn(FsOp op, int nth, const AppError& error, bool persistent = false);
  // The nth call of step from now on fails with hostErrno (-1 and errno,
  // as the system call would); with persistent, so does every later call.
  void FailStep(CopyStep step, int nth, int hostErrno, bool persistent = false);
  // The nth write from now on writes only half of what it was given and
  // reports so; the write after it fails with ENOSPC: a disk filling up.
  void ShortWriteOn(int nth);
  // Clone and copy_file_range answer that they cannot serve the files, as
  // across file systems, so that every byte goes through read and write.
  void ForceReadWrite(bool force = true) { forceReadWrite_ = force; }
  void Heal();  // no more failures
  // Calls of op since construction, failed ones included.
  int Calls(FsOp op) const { return calls_[Index(op)]; }
  int StepCalls(CopyStep step) const { return stepCalls_[StepIndex(step)]; }
  // Whether a planned failure has been raised.
  bool Fired() const { return fired_; }
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
  void FinishCopies() override { target_.FinishCopies(); }
  bool LiesWithin(const std::string& path, const std::string& folder) override;
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
  struct StepPlan {
    int countdown = 0;
    bool persistent = false;
    int hostErrno = 0;
    bool shortWrite = false;
  };
  static std::size_t Index(FsOp op) { return static_cast<std::size_t>(op); }
  static std::size_t StepIndex(CopyStep step) { return static_cast<std::size_t>(step); }
  // Counts the call and returns the error to raise, if this call fails.
  std::optional<AppError> Step(FsOp op);
  // Counts the copy step; the plan that fires on this call, if any.
  std::optional<StepPlan> HostStep(CopyStep step);

  // The host calls of the copy, routed through the living object.
  static FaultyFileSystem* active_;
  static int Open(const char* path, int flags, mode_t mode);
  static ssize_t Read(int fd, void* buffer, std::size_t size);
  static ssize_t Write(int fd, const void* buffer, std::size_t size);
  static int Clone(int in, int out);
  static ssize_t CopyRange(int in, int out, std::size_t size);
  static int Fsync(int fd);
  static int Rename(const char* from, const char* to);
  static int RenameNoReplace(const char* from, const char* to);
  static int Link(int fd, const char* to);
  static int Syncfs(int fd);
  static int Close(int fd);

  FileSystem& target_;
  std::array<int, static_cast<std::size_t>(FsOp::kCount)> calls_{};
  std::array<Plan, static_cast<std::size_t>(FsOp::kCount)> plans_{};
  std::array<int, static_cast<std::size_t>(CopyStep::kCount)> stepCalls_{};
  std::array<StepPlan, static_cast<std::size_t>(CopyStep::kCount)> stepPlans_{};
  HostCopyCalls savedCalls_;
  bool forceReadWrite_ = false;
  bool diskFilled_ = false;  // after a short write: every later write fails
  std::optional<AppError> injectedFindFailure_;
  bool fired_ = false;
  int openListings_ = 0;
};

}  // namespace bt::testing
