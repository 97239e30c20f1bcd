// The steps inside one host file copy, counted and failed on request: the
// host-call layer of the fault-injecting file system. While an object lives
// it owns the copy's table of host calls (platform/linux/host_calls.h,
// platform/windows/win32_file_copy.h), so only one may live at a time. A step
// fails as the system would: -1 and errno on Linux, FALSE (or an invalid
// handle) and the last-error code on Windows.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace bt::doubles {

enum class CopyStep {
  Open,  // the source, the temporary file, a file or folder flushed
  Read,
  Write,
  Clone,      // Linux only
  CopyRange,  // Linux only
  Fsync,      // FlushFileBuffers on Windows
  Rename,     // MoveFileExW or ReplaceFileW on Windows (a failed
              // ReplaceFileW leaves the files as Windows documents for the
              // code: 1176 and 1177 move them); on Linux also the rename of
              // a new file that replaces nothing
  Close,
  Link,    // Linux only: naming a file written without a name
  Syncfs,  // Linux only: flushing a whole file system before success
  kCount,
};

std::string_view NameOf(CopyStep step);

// The host's own codes for a full disk (ENOSPC, ERROR_DISK_FULL), a refused
// access (EACCES, ERROR_ACCESS_DENIED), a missing file (ENOENT,
// ERROR_FILE_NOT_FOUND) and a drive without its medium (ENOMEDIUM,
// ERROR_NOT_READY), for tests on both.
extern const int kHostDiskFull;
extern const int kHostAccessDenied;
extern const int kHostNotFound;
extern const int kHostNotReady;

class CopyStepFaults {
 public:
  CopyStepFaults();
  ~CopyStepFaults();
  CopyStepFaults(const CopyStepFaults&) = delete;
  CopyStepFaults& operator=(const CopyStepFaults&) = delete;

  // The nth call of step from now on (1 = the next one) fails with
  // hostCode; with persistent, so does every later call.
  void FailStep(CopyStep step, int nth, int hostCode, bool persistent = false);
  // The nth write from now on writes only half of what it was given and
  // reports so; every write after it fails for a full disk.
  void ShortWriteOn(int nth);
  // Linux: clone and copy_file_range answer that they cannot serve the
  // files, so that every byte goes through read and write.
  void ForceReadWrite(bool force) { forceReadWrite_ = force; }
  void Heal();
  int StepCalls(CopyStep step) const { return calls_[Index(step)]; }
  bool Fired() const { return fired_; }

  struct Plan {
    int countdown = 0;
    bool persistent = false;
    int hostCode = 0;
    bool shortWrite = false;
  };
  // Counts the step; the plan that fires on this call, if any.
  std::optional<Plan> Step(CopyStep step);
  bool forceReadWrite() const { return forceReadWrite_; }
  bool diskFilled = false;  // after a short write: every later write fails

 private:
  static std::size_t Index(CopyStep step) { return static_cast<std::size_t>(step); }
  struct SavedCalls;  // the table in place before this object

  std::array<int, static_cast<std::size_t>(CopyStep::kCount)> calls_{};
  std::array<Plan, static_cast<std::size_t>(CopyStep::kCount)> plans_{};
  bool forceReadWrite_ = false;
  bool fired_ = false;
  std::unique_ptr<SavedCalls> saved_;
};

}  // namespace bt::doubles
