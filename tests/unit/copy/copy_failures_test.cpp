// The recursive copy when the file system fails under it: every failure
// reaches the caller, what was copied stays, and no listing is left open.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include "copy/checked_count.h"
#include "copy/copy_files.h"
#include "testing/faulty_file_system.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::FaultyFileSystem;
using doubles::FsOp;
using doubles::TempDrives;

class CopyFailuresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    real_ = drives_.MakeFileSystem();
    faulty_ = std::make_unique<FaultyFileSystem>(*real_);
  }
  // The names of a folder in the order the file system lists them.
  std::vector<std::string> ListingOrder(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string& name : doubles::NamesOf(doubles::ListAll(*real_, folder + "\\*.*"))) {
      if (name != "." && name != "..") names.push_back(name);
    }
    return names;
  }
  bool Exists(const std::string& windowsPath) const {
    return fs::exists(fs::symlink_status(drives_.Host(windowsPath)));
  }

  TempDrives drives_;
  std::unique_ptr<FileSystem> real_;
  std::unique_ptr<FaultyFileSystem> faulty_;
};

TEST_F(CopyFailuresTest, AFolderThatCannotBeListedIsAFailureNotAnEmptyFolder) {
  drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
  faulty_->FailOn(FsOp::FindFirst, 1, AppError(kErrPermissionDenied, "C:\\Fotos"));

  try {
    CopyPath(*faulty_, "C:\\Fotos\\", "D:\\Fotos");
    FAIL() << "a backup without its photos passed for complete";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrPermissionDenied);
  }
}

TEST_F(CopyFailuresTest, AListingThatBreaksOffIsAFailure) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
    drives_.WriteFile(std::string("C:\\Fotos\\") + name, name);
  }
  faulty_->FailOn(FsOp::FindNext, 2, AppError(kErrDeviceIo, "leitura interrompida"));

  try {
    CopyPath(*faulty_, "C:\\Fotos\\", "D:\\Fotos");
    FAIL() << "photos after the broken listing were silently left out";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrDeviceIo);
  }
  EXPECT_EQ(faulty_->OpenListings(), 0);
}

TEST_F(CopyFailuresTest, AFailedFileCopyStopsTheCopyAndKeepsWhatWasCopiedBefore) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
    drives_.WriteFile(std::string("C:\\Fotos\\") + name, name);
  }
  const std::vector<std::string> order = ListingOrder("C:\\Fotos");
  ASSERT_EQ(order.size(), 4u);
  faulty_->FailOn(FsOp::CopyWholeFile, 3, AppError(kErrDiskFull, "D:\\Fotos"));

  try {
    CopyPath(*faulty_, "C:\\Fotos\\", "D:\\Fotos");
    FAIL() << "no failure";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrDiskFull);
  }
  EXPECT_TRUE(Exists("D:\\Fotos\\" + order[0]));
  EXPECT_TRUE(Exists("D:\\Fotos\\" + order[1]));
  EXPECT_FALSE(Exists("D:\\Fotos\\" + order[2]));
  EXPECT_FALSE(Exists("D:\\Fotos\\" + order[3]));
  EXPECT_EQ(faulty_->OpenListings(), 0);
}

TEST_F(CopyFailuresTest, AFailureDeepInTheTreeLeavesNoListingOpen) {
  drives_.WriteFile("C:\\Fotos\\2009\\jan\\a.jpg", "a");
  drives_.WriteFile("C:\\Fotos\\2009\\fev\\b.jpg", "b");
  faulty_->FailOn(FsOp::CopyWholeFile, 2, AppError(kErrPermissionDenied, "b"));

  EXPECT_THROW(CopyPath(*faulty_, "C:\\Fotos\\", "D:\\Fotos"), AppError);
  EXPECT_EQ(faulty_->OpenListings(), 0);
}

TEST_F(CopyFailuresTest, AnUncreatableDestinationIsIgnoredUntilTheFirstCopyNeedsIt) {
  drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
  faulty_->FailOn(FsOp::CreateFolder, 1, AppError(kErrPathNotFound, "D:\\Fotos"));

  // Creation failed but nothing needed it: the copy into the missing folder
  // is what reports the failure.
  EXPECT_THROW(CopyPath(*faulty_, "C:\\Fotos\\", "D:\\Fotos"), AppError);
  EXPECT_FALSE(Exists("D:\\Fotos\\a.jpg"));
}

TEST(CheckedCount, AdditionBeyondTheSigned32BitRangeIsAnOverflowFailure) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(CheckedAdd(kMax - 1, 1), kMax);
  try {
    CheckedAdd(kMax, 1);
    FAIL() << "the count wrapped";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrOverflow);
    EXPECT_EQ(e.description(), "Estouro");
  }
}

// A folder with a chosen number of empty subfolders, without touching disk:
// creating tens of thousands of real folders would only slow the test.
class ManySubfolders final : public FileSystem {
 public:
  explicit ManySubfolders(int subfolders) : subfolders_(subfolders) {}
  int created = 0;

  std::uint32_t GetAttributes(const std::string&) override { return kAttrDirectory; }
  bool OrdinaryFileExists(const std::string&) override { return false; }
  void CreateFolder(const std::string&) override { ++created; }
  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string&, const std::string&, Durability, DestinationLinks) override {}
  void FlushWrites() override {}
  void RemoveFile(const std::string&) override {}
  void RemoveEmptyFolder(const std::string&) override {}
  void RenameFolder(const std::string&, const std::string&) override {}
  bool LiesWithin(const std::string&, const std::string&) override { return false; }
  bool KeepsLetterCase(const std::string&) override { return false; }
  std::unique_ptr<OperationLock> LockForOperation(const std::string&, std::chrono::milliseconds) override {
    return std::make_unique<OperationLock>();
  }
  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override {
    if (pattern != "C:\\Muitas\\*.*") return kInvalidHandle;  // subfolders are empty
    next_ = 0;
    return Fill(record) ? 1 : kInvalidHandle;
  }
  int FindNextFileA(FindHandle, FindData* record) override { return Fill(record) ? 1 : 0; }
  void FindClose(FindHandle) override {}
  std::optional<AppError> LastFindFailure() const override { return std::nullopt; }
  std::vector<DriveInfo> Drives() override { return {}; }
  std::string CurrentFolder(char) override { return "C:\\"; }

 private:
  bool Fill(FindData* record) {
    if (next_ >= subfolders_) return false;
    record->dwFileAttributes = kAttrDirectory;
    std::snprintf(record->cFileName, sizeof record->cFileName, "p%d", next_++);
    return true;
  }
  int subfolders_;
  int next_ = 0;
};

TEST(CopySubfolderLimit, UpTo32766SubfoldersAreCopied) {
  ManySubfolders files(kMaxSubfolders);
  EXPECT_EQ(CopyPath(files, "C:\\Muitas", "D:\\Muitas"), 1 + 32766);
  EXPECT_EQ(files.created, 1 + 32766);
}

TEST(CopySubfolderLimit, The32767thSubfolderIsAnOverflowBeforeAnyIsDescendedInto) {
  ManySubfolders files(kMaxSubfolders + 1);
  try {
    CopyPath(files, "C:\\Muitas", "D:\\Muitas");
    FAIL() << "no overflow";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrOverflow);
  }
}

}  // namespace
}  // namespace bt
