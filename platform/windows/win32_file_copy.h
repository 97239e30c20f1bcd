// Copying one file safely on Windows.
//
// The content goes into a new hidden temporary file beside the destination,
// held unshared by this copy alone (win32_temporary_file.h), and takes the
// destination's name only when complete: MoveFileExW (write-through) for a
// new file, ReplaceFileW for an existing one, which sets the replaced file
// aside under a name of its own until the new one stands. Whatever
// ReplaceFileW answers, the destination's name is left holding the old file
// or the new one, whole: what it moved is put back by renaming. The copy
// gives the file its attributes itself (a replaced file's own, a new file
// the source's) before it takes the name. Every failure removes the
// temporary file.
//
// The source is opened allowing others to read only, so a file another
// program has open for writing (a running Tarvel's database) is refused; an
// existing destination is checked the same way just before it is replaced.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace bt {

// The system calls that move a file's bytes and put it in place, reached
// through this table so that a test can make any one of them fail or answer
// as the system may. The defaults are the plain system calls.
struct Win32CopyCalls {
  HANDLE (*createFile)(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  BOOL (*readFile)(HANDLE file, void* buffer, DWORD size, DWORD* read);
  BOOL (*writeFile)(HANDLE file, const void* buffer, DWORD size, DWORD* written);
  BOOL (*flushFileBuffers)(HANDLE file);
  BOOL (*moveFileEx)(const wchar_t* from, const wchar_t* to, DWORD flags);
  // ReplaceFileW; backup: where the replaced file is set aside.
  BOOL (*replaceFile)(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup);
  BOOL (*closeHandle)(HANDLE handle);
  void (*sleep)(DWORD milliseconds);  // between attempts at a replacement refused for a moment
  // The clock that stamps temporary names and judges their age.
  void (*systemTime)(FILETIME* now);
};

// The table in use; a test replaces entries and puts them back.
Win32CopyCalls& CopyCallTable();
const Win32CopyCalls& RealCopyCallTable();

// What a copy is told and where it goes. Paths are "\\?\" host paths; the
// texts are the caller's Windows paths, for the user's messages.
struct Win32CopyRequest {
  std::wstring source;
  std::wstring destination;
  std::string sourceText;
  std::string destinationText;
  bool durableReplace = false;  // flush a replaced file, before and after it takes the name
  bool followLink = true;       // a link at the destination leads to what is replaced
};

struct CopyOutcome {
  std::wstring written;  // the file that now holds the copy
  bool flushed = false;  // already on the disk
};

// Throws AppError: 53 (76) when the source (its folder) is missing, 76 when
// the destination folder is missing, 70 when the source or an existing
// destination is open for writing elsewhere, when the destination is
// read-only or is the source itself, 75 when the destination is a folder,
// 61 when the disk is full. A file that takes the destination's name while
// the copy runs is replaced only after the same checks. When a replacement
// fails half-way and the old file cannot be put back, the old file is left
// where it is and the detail says where.
CopyOutcome CopyOneFile(const Win32CopyRequest& request, std::set<std::wstring>& sweptFolders);

// The volume serial number and file index of an open file or folder.
struct FileIdentity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool operator==(const FileIdentity&) const = default;
};
bool IdentityOf(const std::wstring& path, FileIdentity* identity);

}  // namespace bt
