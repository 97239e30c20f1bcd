// What a copy over an existing file leaves, whatever ReplaceFileW answers:
// the attributes of the file it replaces, the old file or the new one under
// the destination's name (never neither), the replaced file set aside only
// until the new one stands and is on the disk, a replacement flushed before
// it takes the name of a database, and a file that takes a new file's name
// meanwhile never replaced blindly. The system's answers Wine cannot give
// come through the copy's call table.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "platform/temporary_names.h"
#include "platform/wide_text.h"
#include "platform/windows/win32_file_copy.h"
#include "testing/copy_step_faults.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::Thrown;

DWORD Attributes(const std::string& host) { return ::GetFileAttributesW(Utf8ToWide(host).c_str()); }

// The names in a host folder that the copy keeps beside its destination for
// a moment: temporary and set-aside files.
std::vector<std::string> WorkingFilesIn(const std::string& hostFolder) {
  std::vector<std::string> found;
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW((Utf8ToWide(hostFolder) + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    const std::string name = WideToUtf8(entry.cFileName);
    if (IsOwnWorkingName(name)) found.push_back(name);
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return found;
}

void NoPause(DWORD) {}

class Replacements : public ::testing::Test {
 protected:
  Replacements() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco novo");
    drives_.WriteFile("D:\\vendrial.mdb", "banco antigo");
    files_ = drives_.MakeFileSystem();
  }
  ~Replacements() override { CopyCallTable() = RealCopyCallTable(); }

  void Restore(Durability durability = Durability::kNow) {
    files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb", durability);
  }
  std::string Destination() const { return drives_.ReadFile("D:\\vendrial.mdb"); }
  std::vector<std::string> LeftBeside() const { return WorkingFilesIn(drives_.Host("D:\\")); }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

// --- The attributes of the file replaced --------------------------------------

TEST_F(Replacements, APlainDatabaseReplacedStaysPlainAndVisible) {
  const DWORD before = Attributes(drives_.Host("D:\\vendrial.mdb"));
  ASSERT_EQ(before & FILE_ATTRIBUTE_HIDDEN, 0u);
  Restore();
  EXPECT_EQ(Destination(), "banco novo");
  EXPECT_EQ(Attributes(drives_.Host("D:\\vendrial.mdb")), before);
  EXPECT_TRUE(files_->OrdinaryFileExists("D:\\vendrial.mdb"));
}

TEST_F(Replacements, AReplacedFileCarriesExactlyTheAttributesItHad) {
  const std::wstring database = Utf8ToWide(drives_.Host("D:\\vendrial.mdb"));
  for (const DWORD set :
       {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_ARCHIVE},
        DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE}, DWORD{FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN}}) {
    ::SetFileAttributesW(database.c_str(), FILE_ATTRIBUTE_NORMAL);
    drives_.WriteFile("D:\\vendrial.mdb", "banco antigo");
    ASSERT_TRUE(::SetFileAttributesW(database.c_str(), set));
    const DWORD had = ::GetFileAttributesW(database.c_str());
    Restore(Durability::kAtFlush);
    EXPECT_EQ(Destination(), "banco novo");
    EXPECT_EQ(::GetFileAttributesW(database.c_str()), had) << "set " << set;
  }
}

// --- Every answer of ReplaceFileW -----------------------------------------------

// The answers Windows documents for a replacement that did not happen; with
// a backup name, 1176 and 1175 leave both files under their own names and
// 1177 the replaced one under the backup name.
const DWORD kRefusals[] = {ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT,
                           ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED};

TEST_F(Replacements, AReplacementRefusedOnceForAnyReasonIsMadeOnTheNextAttempt) {
  for (const DWORD code : kRefusals) {
    drives_.WriteFile("D:\\vendrial.mdb", "banco antigo");
    doubles::CopyStepFaults faults;
    CopyCallTable().sleep = NoPause;
    faults.FailStep(doubles::CopyStep::Rename, 1, static_cast<int>(code));
    Restore();
    EXPECT_EQ(Destination(), "banco novo") << "code " << code;
    EXPECT_TRUE(LeftBeside().empty()) << "code " << code << ": " << LeftBeside().front();
  }
}

TEST_F(Replacements, AReplacementRefusedForGoodLeavesTheOldDatabaseWholeUnderItsName) {
  for (const DWORD code : kRefusals) {
    drives_.WriteFile("D:\\vendrial.mdb", "banco antigo");
    doubles::CopyStepFaults faults;
    CopyCallTable().sleep = NoPause;
    // The replacement refused every time; the renames that put things back work.
    CopyCallTable().moveFileEx = RealCopyCallTable().moveFileEx;
    faults.FailStep(doubles::CopyStep::Rename, 1, static_cast<int>(code), /*persistent=*/true);
    const AppError failure = Thrown([&] { Restore(); });
    EXPECT_NE(failure.number(), 0) << "code " << code;
    EXPECT_EQ(Destination(), "banco antigo") << "code " << code;
    EXPECT_TRUE(LeftBeside().empty()) << "code " << code << ": " << LeftBeside().front();
  }
}

TEST_F(Replacements, WhenNothingCanBePutBackTheOldDatabaseStaysWhereItIsAndTheMessageSaysWhere) {
  doubles::CopyStepFaults faults;
  CopyCallTable().sleep = NoPause;
  // 1177, and every rename after it refused too.
  faults.FailStep(doubles::CopyStep::Rename, 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, /*persistent=*/true);
  const AppError failure = Thrown([&] { Restore(); });
  ASSERT_NE(failure.number(), 0);

  std::string oldFile;
  std::string newFile;
  for (const std::string& name : LeftBeside()) (IsSetAsideName(name) ? oldFile : newFile) = name;
  ASSERT_FALSE(oldFile.empty());
  EXPECT_EQ(drives_.ReadFile("D:\\" + oldFile), "banco antigo");
  EXPECT_NE(failure.detail().find("o arquivo anterior está agora em \"D:\\" + oldFile + "\""), std::string::npos)
      << failure.detail();
  ASSERT_FALSE(newFile.empty());
  EXPECT_EQ(drives_.ReadFile("D:\\" + newFile), "banco novo");
  EXPECT_NE(failure.detail().find("D:\\" + newFile), std::string::npos) << failure.detail();
}

// Set aside while the new database is flushed under its name: the files
// the copy keeps beside the destination at each flush.
std::vector<std::vector<std::string>> besideAtEachFlush;
std::string flushedFolder;

BOOL FlushNotingWhatIsBeside(HANDLE file) {
  besideAtEachFlush.push_back(WorkingFilesIn(flushedFolder));
  return RealCopyCallTable().flushFileBuffers(file);
}

TEST_F(Replacements, TheOldDatabaseIsKeptAsideUntilTheNewOneIsOnTheDisk) {
  besideAtEachFlush.clear();
  flushedFolder = drives_.Host("D:\\");
  CopyCallTable().flushFileBuffers = FlushNotingWhatIsBeside;
  Restore(Durability::kNow);
  EXPECT_EQ(Destination(), "banco novo");
  // The new file's flush before it takes the name, then its name's.
  ASSERT_EQ(besideAtEachFlush.size(), 2u);
  ASSERT_EQ(besideAtEachFlush[1].size(), 1u);
  EXPECT_TRUE(IsSetAsideName(besideAtEachFlush[1][0])) << besideAtEachFlush[1][0];
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(Replacements, ADatabaseWhoseReplacementCannotBeFlushedUnderItsNameIsPutBackWhole) {
  doubles::CopyStepFaults faults;
  // The first flush is the new file's before it takes the name; the second,
  // its name's after.
  faults.FailStep(doubles::CopyStep::Fsync, 2, doubles::kHostDiskFull);
  EXPECT_EQ(Thrown([&] { Restore(); }).number(), kErrDiskFull);
  EXPECT_EQ(Destination(), "banco antigo");
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(Replacements, WhenTheOldDatabaseCannotBePutBackTheMessageSaysWhereItIs) {
  doubles::CopyStepFaults faults;
  faults.FailStep(doubles::CopyStep::Fsync, 2, doubles::kHostDiskFull);
  // The first rename is the replacement, the second would put the old file back.
  faults.FailStep(doubles::CopyStep::Rename, 2, doubles::kHostAccessDenied);
  const AppError failure = Thrown([&] { Restore(); });
  ASSERT_EQ(failure.number(), kErrDiskFull);
  EXPECT_EQ(Destination(), "banco novo");
  const std::vector<std::string> left = LeftBeside();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(IsSetAsideName(left[0])) << left[0];
  EXPECT_EQ(drives_.ReadFile("D:\\" + left[0]), "banco antigo");
  EXPECT_NE(failure.detail().find("o arquivo anterior está agora em \"D:\\" + left[0] + "\""), std::string::npos)
      << failure.detail();
}

// --- A database's replacement is on the disk before it takes the name ------------

std::set<std::vector<DWORD>> flushedFiles;
bool replacementWasFlushed = false;

std::vector<DWORD> IdentityOfHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return {};
  return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

BOOL RecordFlush(HANDLE file) {
  flushedFiles.insert(IdentityOfHandle(file));
  return RealCopyCallTable().flushFileBuffers(file);
}

BOOL ReplaceNotingTheFlush(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
  FileIdentity identity;
  replacementWasFlushed =
      IdentityOf(replacement, &identity) && flushedFiles.count({identity.volume, identity.high, identity.low}) > 0;
  return RealCopyCallTable().replaceFile(replaced, replacement, backup);
}

TEST_F(Replacements, ADatabasesReplacementIsFlushedBeforeItTakesTheName) {
  flushedFiles.clear();
  replacementWasFlushed = false;
  CopyCallTable().flushFileBuffers = RecordFlush;
  CopyCallTable().replaceFile = ReplaceNotingTheFlush;
  Restore(Durability::kNow);
  EXPECT_EQ(Destination(), "banco novo");
  EXPECT_TRUE(replacementWasFlushed);
}

// --- A name taken while a new file was written ---------------------------------

std::wstring appearing;  // the destination where another program puts a file
DWORD appearingAttributes = 0;
DWORD appeared = 0;  // the attributes it then had

// Another program creates the destination just before the copy's new file
// takes the name.
BOOL MoveAfterAnotherProgram(const wchar_t* from, const wchar_t* to, DWORD flags) {
  if (!appearing.empty() && _wcsicmp(appearing.c_str(), to) == 0) {
    const HANDLE file = ::CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_NEW, appearingAttributes, nullptr);
    DWORD written = 0;
    ::WriteFile(file, "de outro programa", 17, &written, nullptr);
    ::CloseHandle(file);
    appeared = ::GetFileAttributesW(to);
    appearing.clear();
  }
  return RealCopyCallTable().moveFileEx(from, to, flags);
}

TEST_F(Replacements, AReadOnlyFileThatTookTheNameMeanwhileIsNotReplaced) {
  appearing = L"\\\\?\\" + Utf8ToWide(drives_.Host("D:\\tarvel.ini"));
  appearingAttributes = FILE_ATTRIBUTE_READONLY;
  CopyCallTable().moveFileEx = MoveAfterAnotherProgram;
  const AppError failure = Thrown([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\tarvel.ini"); });
  EXPECT_EQ(failure.number(), kErrPermissionDenied) << failure.detail();
  EXPECT_EQ(drives_.ReadFile("D:\\tarvel.ini"), "de outro programa");
  EXPECT_TRUE(LeftBeside().empty());
}

TEST_F(Replacements, AFileThatTookTheNameMeanwhileIsReplacedAsAnyOtherAndKeepsItsAttributes) {
  appearing = L"\\\\?\\" + Utf8ToWide(drives_.Host("D:\\tarvel.ini"));
  appearingAttributes = FILE_ATTRIBUTE_HIDDEN;
  CopyCallTable().moveFileEx = MoveAfterAnotherProgram;
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\tarvel.ini");
  EXPECT_EQ(drives_.ReadFile("D:\\tarvel.ini"), "banco novo");
  EXPECT_EQ(Attributes(drives_.Host("D:\\tarvel.ini")), appeared);
  EXPECT_TRUE(appeared & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(LeftBeside().empty());
}

}  // namespace
}  // namespace bt
