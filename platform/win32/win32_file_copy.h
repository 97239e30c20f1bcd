// Copying one file safely on Windows.
//
// The content goes into a new hidden temporary file beside the destination,
// opened for this copy alone, and takes the destination's name only when
// complete: MoveFileExW (write-through) for a new file, ReplaceFileW for an
// existing one, which keeps the attributes and security of the file it
// replaces. Every failure removes the temporary file; one left by a copy
// that died is removed by a later copy into the same folder once nobody
// holds it and it is clearly stale, and listings never show it.
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
// through this table so that a test can make any one of them fail. The
// defaults are the plain system calls.
struct Win32CopyCalls {
  HANDLE (*createFile)(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  BOOL (*readFile)(HANDLE file, void* buffer, DWORD size, DWORD* read);
  BOOL (*writeFile)(HANDLE file, const void* buffer, DWORD size, DWORD* written);
  BOOL (*flushFileBuffers)(HANDLE file);
  BOOL (*moveFileEx)(const wchar_t* from, const wchar_t* to, DWORD flags);
  BOOL (*replaceFile)(const wchar_t* replaced, const wchar_t* replacement);
  BOOL (*closeHandle)(HANDLE handle);
  void (*sleep)(DWORD milliseconds);  // between attempts at a replacement refused for a moment
};

// The table in use; a test replaces entries and puts them back.
Win32CopyCalls& CopyCallTable();
const Win32CopyCalls& RealCopyCallTable();

// What a copy is told and where it goes. Paths are "\\?\" host paths; the
// texts are the caller's Windows paths, for the user's messages.
struct CopyRequest {
  std::wstring source;
  std::wstring destination;
  std::string sourceText;
  std::string destinationText;
  bool durableReplace = false;  // flush a replaced file before returning
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
// 61 when the disk is full.
CopyOutcome CopyOneFile(const CopyRequest& request, std::set<std::wstring>& sweptFolders);

// Removes temporary files of folder that nobody holds and that have been
// left untouched for ten minutes; returns how many. Never throws.
int RemoveStaleTemporaryFiles(const std::wstring& folder);

// The volume serial number and file index of an open file or folder.
struct FileIdentity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool operator==(const FileIdentity&) const = default;
};
bool IdentityOf(const std::wstring& path, FileIdentity* identity);

}  // namespace bt
