// The file a copy writes before it takes the destination's name, on
// Windows: created hidden under a temporary name that carries its time
// (temporary_names.h) and held unshared by the copy alone, so that another
// copy can tell a live one from a leftover; removed unless it takes the
// name. A leftover of a copy that died is removed once nobody holds it and
// its name says it is stale. Every call that fails a copy goes through the
// copy's table (CopyCallTable), so that a test can fail any of them or move
// its clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/temporary_names.h"

namespace bt {

// A handle closed through the copy's table.
class CopyHandle {
 public:
  explicit CopyHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~CopyHandle();
  CopyHandle(const CopyHandle&) = delete;
  CopyHandle& operator=(const CopyHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  // Closes now; false when the system reports a failure (a write it could
  // only complete here).
  bool Close();

 private:
  HANDLE handle_;
};

// The time by the copy's clock.
WallClock::time_point CopyClockNow();

// A name of either kind for a new file in folder, stamped now.
std::wstring NewTemporaryPath(const std::wstring& folder);
std::wstring NewSetAsidePath(const std::wstring& folder);

class Win32TemporaryFile {
 public:
  // A new file in the host folder `folder`; failures throw AppError with
  // `detail` ("Ao copiar ..."), a missing folder as a missing path (76).
  Win32TemporaryFile(const std::wstring& folder, const std::string& detail);
  // Removed unless published or kept.
  ~Win32TemporaryFile();
  Win32TemporaryFile(const Win32TemporaryFile&) = delete;
  Win32TemporaryFile& operator=(const Win32TemporaryFile&) = delete;

  HANDLE get() const { return file_->get(); }
  const std::wstring& path() const { return path_; }
  bool Close() { return file_->Close(); }
  // It has taken the destination's name.
  void Published() { published_ = true; }
  // Left where it is: the new content's only copy at the destination.
  void Keep() { kept_ = true; }

  // A copy that ran for minutes would let go of a file whose name says it
  // is old, and another copy's sweep could take it for a leftover in the
  // moment before it is published: so it is renamed, still held, to a name
  // stamped now. A rename that fails leaves the old name, that moment being
  // short.
  void RenewNameIfOld();

 private:
  std::wstring folder_;
  std::wstring path_;
  WallClock::time_point created_;
  std::unique_ptr<CopyHandle> file_;
  bool published_ = false;
  bool kept_ = false;
};

// Removes a file, read-only or not; false when it stays.
bool RemoveCopyFile(const std::wstring& path);

// Removes temporary files of folder that nobody holds and whose name says
// they were made ten minutes ago or more; returns how many. A file merely
// named like one is never touched, nor is a replaced file set aside. Never
// throws.
int RemoveStaleWin32TemporaryFiles(const std::wstring& folder);

}  // namespace bt
