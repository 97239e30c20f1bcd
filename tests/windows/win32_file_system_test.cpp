// What the Win32 layer keeps by itself beyond the shared contract: the
// machine's drives, a replaced file's own attributes, replacements refused
// for a moment, leftovers of copies that died told from live copies, and the
// developers' log.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/developer_log.h"
#include "platform/temporary_names.h"
#include "platform/wide_text.h"
#include "platform/windows/win32_file_copy.h"
#include "platform/windows/win32_file_system.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::ThrownNumber;

DWORD Attributes(const std::string& host) { return ::GetFileAttributesW(Utf8ToWide(host).c_str()); }

int TemporaryFilesIn(const std::string& hostFolder) {
  int found = 0;
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW((Utf8ToWide(hostFolder) + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do found += IsTemporaryCopyName(WideToUtf8(entry.cFileName)) ? 1 : 0;
  while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return found;
}

// Wine lists a drive only while its folder exists, so an empty floppy drive
// (listed, not ready) cannot be made here: the machine's drives are those of
// the prefix, C: and Z:.
TEST(Win32Drives, TheMachinesDrivesAreListedWithTheirKindAndOpenAtTheirCurrentFolder) {
  const auto files = MakeWin32FileSystem();
  const std::vector<DriveInfo> drives = files->Drives();
  ASSERT_FALSE(drives.empty());
  EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end(),
                             [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; }));
  const auto c = std::find_if(drives.begin(), drives.end(), [](const DriveInfo& d) { return d.letter == 'C'; });
  ASSERT_NE(c, drives.end());
  EXPECT_EQ(c->hint.rfind("Disco local", 0), 0u) << c->hint;

  wchar_t folder[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, folder);
  EXPECT_EQ(files->CurrentFolder(static_cast<char>(folder[0])), WideToUtf8(folder));
  char missing = 'B';
  while (std::any_of(drives.begin(), drives.end(), [&](const DriveInfo& d) { return d.letter == missing; })) ++missing;
  EXPECT_EQ(ThrownNumber([&] { files->CurrentFolder(missing); }), kErrDeviceUnavailable);
  EXPECT_EQ(ThrownNumber([&] { files->GetAttributes(std::string{missing, ':', '\\'}); }), kErrPathNotFound);
}

class Win32Copies : public ::testing::Test {
 protected:
  Win32Copies() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco novo");
    drives_.WriteFile("D:\\vendrial.mdb", "banco antigo");
    files_ = drives_.MakeFileSystem();
  }
  ~Win32Copies() override { CopyCallTable() = RealCopyCallTable(); }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(Win32Copies, AReplacedFileKeepsItsOwnAttributesAndANewOneTakesTheSources) {
  ::SetFileAttributesW(Utf8ToWide(drives_.Host("D:\\vendrial.mdb")).c_str(), FILE_ATTRIBUTE_HIDDEN);
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb");
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "banco novo");
  EXPECT_TRUE(Attributes(drives_.Host("D:\\vendrial.mdb")) & FILE_ATTRIBUTE_HIDDEN);

  ::SetFileAttributesW(Utf8ToWide(drives_.Host("C:\\Tarvel\\vendrial.mdb")).c_str(), FILE_ATTRIBUTE_READONLY);
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\copia.mdb", Durability::kAtFlush);
  files_->FlushWrites();
  EXPECT_EQ(files_->GetAttributes("D:\\copia.mdb"), kAttrReadOnly | kAttrArchive);
}

int pauses = 0;
int refusalsLeft = 0;
BOOL RefusedForAMoment(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
  if (refusalsLeft-- > 0) {
    ::SetLastError(ERROR_SHARING_VIOLATION);  // a virus scanner looking at the new file
    return FALSE;
  }
  return RealCopyCallTable().replaceFile(replaced, replacement, backup);
}
void CountPause(DWORD) { ++pauses; }

TEST_F(Win32Copies, AReplacementRefusedForAMomentIsTriedAgainAndOneRefusedForGoodFails) {
  CopyCallTable().replaceFile = RefusedForAMoment;
  CopyCallTable().sleep = CountPause;
  pauses = 0;
  refusalsLeft = 2;
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb");
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "banco novo");
  EXPECT_EQ(pauses, 2);

  drives_.WriteFile("D:\\vendrial.mdb", "banco antigo");
  refusalsLeft = 1000;
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb"); }),
            kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "banco antigo");
  EXPECT_EQ(TemporaryFilesIn(drives_.Host("D:\\")), 0);
}

TEST_F(Win32Copies, LeftoversOfCopiesThatDiedGoOnceStaleButNeverWhileHeld) {
  const WallClock::time_point anHourAgo = WallClock::now() - std::chrono::hours(1);
  const std::string stale = drives_.Host("D:\\" + TemporaryCopyName(1, anHourAgo));
  const std::string fresh = drives_.Host("D:\\" + TemporaryCopyName(2, WallClock::now()));
  const std::string held = drives_.Host("D:\\" + TemporaryCopyName(3, anHourAgo));
  for (const std::string* leftover : {&stale, &fresh, &held}) {
    drives_.WriteFile("D:\\" + leftover->substr(leftover->rfind('\\') + 1), "meia copia");
  }
  // A copy still writing holds its file unshared.
  const HANDLE writer = ::CreateFileW(Utf8ToWide(held).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);

  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb");
  ::CloseHandle(writer);
  EXPECT_EQ(Attributes(stale), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Attributes(fresh), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Attributes(held), INVALID_FILE_ATTRIBUTES);
}

// --- A live copy's temporary file, seen by another copy -----------------------

long long clockShift = 0;  // in 100 ns steps, added to the system's time
void ShiftedClock(FILETIME* now) {
  RealCopyCallTable().systemTime(now);
  ULARGE_INTEGER ticks{{now->dwLowDateTime, now->dwHighDateTime}};
  ticks.QuadPart += clockShift;
  *now = {ticks.LowPart, ticks.HighPart};
}

BOOL ReadForTwentyMinutes(HANDLE file, void* buffer, DWORD size, DWORD* read) {
  clockShift = 20LL * 60 * 10'000'000;
  return RealCopyCallTable().readFile(file, buffer, size, read);
}

FileSystem* anotherProgram = nullptr;
bool anotherCopyRan = false;

// While the replacement is refused for a moment, another program copies
// into the same folder, which sweeps it for leftovers.
BOOL RefusedWhileAnotherCopyRuns(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
  if (!anotherCopyRan) {
    anotherCopyRan = true;
    anotherProgram->CopyWholeFile("C:\\Tarvel\\tarvel.ini", "D:\\tarvel.ini");
    ::SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return RealCopyCallTable().replaceFile(replaced, replacement, backup);
}

TEST_F(Win32Copies, ALiveCopysFileIsNoLeftoverHoweverOldItsContentAndHoweverLongTheCopyRan) {
  drives_.WriteFile("C:\\Tarvel\\tarvel.ini", "opcoes");
  // The database was last changed an hour ago, a time its copy takes on.
  FILETIME old{};
  ::GetSystemTimeAsFileTime(&old);
  ULARGE_INTEGER ticks{{old.dwLowDateTime, old.dwHighDateTime}};
  ticks.QuadPart -= 3600ULL * 10'000'000;
  old = {ticks.LowPart, ticks.HighPart};
  const HANDLE source = ::CreateFileW(Utf8ToWide(drives_.Host("C:\\Tarvel\\vendrial.mdb")).c_str(),
                                     FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ::SetFileTime(source, nullptr, nullptr, &old);
  ::CloseHandle(source);

  const auto another = drives_.MakeFileSystem();
  anotherProgram = another.get();
  anotherCopyRan = false;
  clockShift = 0;
  pauses = 0;
  CopyCallTable().systemTime = ShiftedClock;
  CopyCallTable().readFile = ReadForTwentyMinutes;  // a copy that takes twenty minutes
  CopyCallTable().replaceFile = RefusedWhileAnotherCopyRuns;
  CopyCallTable().sleep = CountPause;
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb");
  EXPECT_TRUE(anotherCopyRan);
  EXPECT_EQ(pauses, 1);
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "banco novo");
  EXPECT_EQ(drives_.ReadFile("D:\\tarvel.ini"), "opcoes");
  EXPECT_EQ(TemporaryFilesIn(drives_.Host("D:\\")), 0);
}

TEST(Win32DeveloperLog, LinesAreAppendedToErrosLogUnderLocalAppData) {
  doubles::TempDrives drives;
  drives.AddDrive('C');
  const std::wstring folder = Utf8ToWide(drives.Host("C:\\"));
  wchar_t saved[MAX_PATH] = {};
  const DWORD had = ::GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH);
  ::SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str());
  OpenDeveloperLog()->Append("primeira falha");
  OpenDeveloperLog()->Append("segunda falha: C:\\Tarvel");
  ::SetEnvironmentVariableW(L"LOCALAPPDATA", had != 0 ? saved : nullptr);
  EXPECT_EQ(drives.ReadFile("C:\\BackupTarvel\\erros.log"), "primeira falha\r\nsegunda falha: C:\\Tarvel\r\n");
}

}  // namespace
}  // namespace bt
