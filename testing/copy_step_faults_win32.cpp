// The Windows host-call layer: each call of the copy's table counts as a
// step and either fails as planned (the last-error code set) or does the
// real work through the table that was in place before.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "testing/copy_step_faults.h"
#include "platform/windows/win32_file_copy.h"

namespace bt::doubles {

const int kHostDiskFull = ERROR_DISK_FULL;
const int kHostAccessDenied = ERROR_ACCESS_DENIED;
const int kHostNotFound = ERROR_FILE_NOT_FOUND;
const int kHostNotReady = ERROR_NOT_READY;

struct CopyStepFaults::SavedCalls {
  Win32CopyCalls calls;
};

namespace {

CopyStepFaults* active = nullptr;
Win32CopyCalls saved;

bool Failed(CopyStep step) {
  if (auto plan = active->Step(step)) {
    ::SetLastError(static_cast<DWORD>(plan->hostCode));
    return true;
  }
  return false;
}

HANDLE HookedCreateFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  return Failed(CopyStep::Open) ? INVALID_HANDLE_VALUE : saved.createFile(path, access, share, disposition, flags);
}

BOOL HookedReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) {
  return Failed(CopyStep::Read) ? FALSE : saved.readFile(file, buffer, size, read);
}

BOOL HookedWriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
  auto plan = active->Step(CopyStep::Write);
  if (active->diskFilled) {
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  if (plan && plan->shortWrite && size > 1) {
    active->diskFilled = true;
    return saved.writeFile(file, buffer, size / 2, written);
  }
  if (plan) {
    ::SetLastError(static_cast<DWORD>(plan->hostCode));
    return FALSE;
  }
  return saved.writeFile(file, buffer, size, written);
}

BOOL Flush(HANDLE file) { return Failed(CopyStep::Fsync) ? FALSE : saved.flushFileBuffers(file); }

BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
  return Failed(CopyStep::Rename) ? FALSE : saved.moveFileEx(from, to, flags);
}

// A refused replacement leaves the two files as Windows documents for its
// code: 1176 (the replacement could not be renamed) removes the replaced
// file when no backup name was given; 1177 (it could not be moved) leaves
// the replaced file under the backup name, or another; 1175 and every other
// code leave both under their own names.
void LeaveAsWindowsDoes(DWORD code, const wchar_t* replaced, const wchar_t* backup) {
  if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT && backup == nullptr) {
    ::DeleteFileW(replaced);
  } else if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    const std::wstring elsewhere = backup != nullptr ? backup : std::wstring(replaced) + L".~RF0001.TMP";
    ::MoveFileExW(replaced, elsewhere.c_str(), 0);
  }
}

BOOL Replace(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
  if (auto plan = active->Step(CopyStep::Rename)) {
    LeaveAsWindowsDoes(static_cast<DWORD>(plan->hostCode), replaced, backup);
    ::SetLastError(static_cast<DWORD>(plan->hostCode));
    return FALSE;
  }
  return saved.replaceFile(replaced, replacement, backup);
}

// A failed close still releases the handle.
BOOL Close(HANDLE handle) {
  const auto plan = active->Step(CopyStep::Close);
  const BOOL result = saved.closeHandle(handle);
  if (plan) {
    ::SetLastError(static_cast<DWORD>(plan->hostCode));
    return FALSE;
  }
  return result;
}

}  // namespace

CopyStepFaults::CopyStepFaults() : saved_(std::make_unique<SavedCalls>(SavedCalls{CopyCallTable()})) {
  if (active != nullptr) throw std::logic_error("only one CopyStepFaults may live at a time");
  active = this;
  saved = saved_->calls;
  CopyCallTable() = Win32CopyCalls{HookedCreateFile, HookedReadFile, HookedWriteFile, Flush,           Move,
                                   Replace,          Close,          saved.sleep,     saved.systemTime};
}

CopyStepFaults::~CopyStepFaults() {
  CopyCallTable() = saved_->calls;
  active = nullptr;
}

}  // namespace bt::doubles
