// Keeping the newest backup sets of a location (--manter N): which folders
// count as sets, which go, and what a set that cannot be removed whole
// leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/set_retention.h"
#include "testing/faulty_file_system.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::FaultyFileSystem;
using doubles::FsOp;
using doubles::OperationTest;

class SetRetention : public OperationTest {
 protected:
  void MakeSet(const std::string& name, bool withPhotos = true) {
    drives_.WriteFile("D:\\Copias\\" + name + "\\vendrial.mdb", "banco " + name);
    if (withPhotos) {
      drives_.WriteFile("D:\\Copias\\" + name + "\\tarvel.ini", "ini");
      drives_.WriteFile("D:\\Copias\\" + name + "\\Fotos\\2009\\produto.jpg", "foto");
    }
  }

  // What the location holds on the host, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(drives_.Host("D:\\Copias"))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST(StampNames, OnlyTheProgramsOwnStampsAreStamps) {
  EXPECT_TRUE(IsStampName("20240305_140709"));
  EXPECT_TRUE(IsStampName("19991231_235959"));
  for (const char* name : {"20240305_1407", "20240305-140709", "2024030_5140709", "20241305_140709",
                           "20240300_140709", "20240305_240709", "20240305_146009", "20240305_140760",
                           "20240305_140709x", "x20240305_14070", "2024O305_140709", ""}) {
    EXPECT_FALSE(IsStampName(name)) << name;
  }
}

TEST_F(SetRetention, KeepsExactlyTheNNewestTheNewOneIncludedOldestGoingFirst) {
  for (const char* name : {"20240302_020000", "20240301_020000", "20240304_020000", "20240303_020000"}) MakeSet(name);
  MakeSet("20240305_020000");  // the one just made

  const RetentionOutcome outcome = KeepNewestSets(*files_, "D:\\Copias", "D:\\Copias\\20240305_020000", 3);

  EXPECT_EQ(outcome.removed,
            (std::vector<std::string>{"D:\\Copias\\20240301_020000", "D:\\Copias\\20240302_020000"}));
  EXPECT_TRUE(outcome.failures.empty());
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20240303_020000", "20240304_020000", "20240305_020000"}));
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20240303_020000\\Fotos\\2009\\produto.jpg"), "foto");
}

TEST_F(SetRetention, FewerSetsThanAskedRemovesNothing) {
  MakeSet("20240301_020000");
  MakeSet("20240302_020000");

  const RetentionOutcome outcome = KeepNewestSets(*files_, "D:\\Copias", "D:\\Copias\\20240302_020000", 2);

  EXPECT_TRUE(outcome.removed.empty());
  EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(SetRetention, NeverTouchesAStampFolderWithoutADatabaseAnotherFolderOrAFile) {
  MakeSet("20240301_020000");
  drives_.WriteFile("D:\\Copias\\20240101_000000\\Fotos\\so fotos.jpg", "foto");  // no database
  drives_.WriteFile("D:\\Copias\\20240102_000000\\vendrial.mdb\\dentro.txt", "uma pasta, não o banco");
  drives_.WriteFile("D:\\Copias\\Copia antiga\\vendrial.mdb", "banco");
  drives_.WriteFile("D:\\Copias\\20241301_000000\\vendrial.mdb", "mês 13");
  drives_.WriteFile("D:\\Copias\\20240103_000000 (2)\\vendrial.mdb", "banco");
  drives_.WriteFile("D:\\Copias\\20240104_000000", "um arquivo com nome de data");
  MakeSet("20240305_020000");

  const RetentionOutcome outcome = KeepNewestSets(*files_, "D:\\Copias", "D:\\Copias\\20240305_020000", 1);

  EXPECT_EQ(outcome.removed, (std::vector<std::string>{"D:\\Copias\\20240301_020000"}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20240101_000000", "20240102_000000", "20240103_000000 (2)",
                                                 "20240104_000000", "20240305_020000", "20241301_000000",
                                                 "Copia antiga"}));
}

#if !defined(_WIN32)
TEST_F(SetRetention, AStampNamedLinkIsNeverFollowedNorRemoved) {
  drives_.WriteFile("C:\\Outra\\vendrial.mdb", "banco de outro lugar");
  drives_.MakeFolder("D:\\Copias");
  std::filesystem::create_directory_symlink(drives_.Host("C:\\Outra"), drives_.Host("D:\\Copias\\20240101_000000"));
  MakeSet("20240305_020000");

  const RetentionOutcome outcome = KeepNewestSets(*files_, "D:\\Copias", "D:\\Copias\\20240305_020000", 1);

  EXPECT_TRUE(outcome.removed.empty());
  EXPECT_EQ(drives_.ReadFile("C:\\Outra\\vendrial.mdb"), "banco de outro lugar");
  EXPECT_TRUE(std::filesystem::is_symlink(drives_.Host("D:\\Copias\\20240101_000000")));
}
#endif

TEST_F(SetRetention, TheNewSetStaysEvenWhenAClockSetBackNamedItOldest) {
  MakeSet("20240301_020000");
  MakeSet("20240302_020000");
  MakeSet("20200101_000000");  // made by a machine whose clock was wrong

  const RetentionOutcome outcome = KeepNewestSets(*files_, "D:\\Copias", "D:\\Copias\\20200101_000000", 2);

  EXPECT_EQ(outcome.removed, (std::vector<std::string>{"D:\\Copias\\20240301_020000"}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20200101_000000", "20240302_020000"}));
}

TEST_F(SetRetention, ASetWhoseFirstRemovalFailsKeepsItsNameWholeAndTheOthersStillGo) {
  MakeSet("20240301_020000");
  MakeSet("20240302_020000");
  MakeSet("20240305_020000");
  FaultyFileSystem faulty(*files_);
  faulty.FailOn(FsOp::RemoveFile, 1, AppError(kErrPermissionDenied, "Ao remover"));

  const RetentionOutcome outcome = KeepNewestSets(faulty, "D:\\Copias", "D:\\Copias\\20240305_020000", 1);

  EXPECT_EQ(outcome.removed, (std::vector<std::string>{"D:\\Copias\\20240302_020000"}));
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].set, "D:\\Copias\\20240301_020000");
  EXPECT_EQ(outcome.failures[0].leftover, "");
  EXPECT_EQ(outcome.failures[0].error.number(), kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20240301_020000\\Fotos\\2009\\produto.jpg"), "foto");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20240301_020000", "20240305_020000"}));
}

TEST_F(SetRetention, ASetHalfRemovedNoLongerPassesForASet) {
  MakeSet("20240301_020000");
  MakeSet("20240305_020000");
  FaultyFileSystem faulty(*files_);
  faulty.FailOn(FsOp::RemoveFile, 2, AppError(kErrDeviceIo, "Ao remover"));

  const RetentionOutcome outcome = KeepNewestSets(faulty, "D:\\Copias", "D:\\Copias\\20240305_020000", 1);

  EXPECT_TRUE(outcome.removed.empty());
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].leftover, "D:\\Copias\\20240301_020000-apagando");
  EXPECT_EQ(outcome.failures[0].error.number(), kErrDeviceIo);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20240301_020000-apagando", "20240305_020000"}));
  // The leftover is no set for the next run either.
  EXPECT_EQ(BackupSetsIn(*files_, "D:\\Copias"), (std::vector<std::string>{"20240305_020000"}));
}

TEST_F(SetRetention, ASetThatCannotBeRenamedIsLeftWhole) {
  MakeSet("20240301_020000");
  MakeSet("20240305_020000");
  FaultyFileSystem faulty(*files_);
  faulty.FailOn(FsOp::RenameFolder, 1, AppError(kErrPermissionDenied, "Ao renomear"));

  const RetentionOutcome outcome = KeepNewestSets(faulty, "D:\\Copias", "D:\\Copias\\20240305_020000", 1);

  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].leftover, "");
  EXPECT_EQ(faulty.Calls(FsOp::RemoveFile), 0);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20240301_020000\\vendrial.mdb"), "banco 20240301_020000");
}

TEST_F(SetRetention, ASetWhoseTreeCannotBeReadIsNotTouched) {
  MakeSet("20240301_020000");
  MakeSet("20240305_020000");
  FaultyFileSystem faulty(*files_);
  // The location's listing is the first; the old set's, the second.
  faulty.FailOn(FsOp::FindFirst, 2, AppError(kErrDeviceIo, "Ao listar"));

  const RetentionOutcome outcome = KeepNewestSets(faulty, "D:\\Copias", "D:\\Copias\\20240305_020000", 1);

  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_EQ(outcome.failures[0].error.number(), kErrDeviceIo);
  EXPECT_EQ(faulty.Calls(FsOp::RenameFolder), 0);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20240301_020000", "20240305_020000"}));
}

TEST_F(SetRetention, ALocationThatCannotBeListedIsAFailureNotAnEmptyLocation) {
  MakeSet("20240301_020000");
  FaultyFileSystem faulty(*files_);
  faulty.FailOn(FsOp::FindFirst, 1, AppError(kErrDeviceIo, "Ao listar"));

  EXPECT_EQ(doubles::ThrownNumber([&] { KeepNewestSets(faulty, "D:\\Copias", "D:\\Copias\\20240305_020000", 1); }),
            kErrDeviceIo);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"20240301_020000"}));
}

}  // namespace
}  // namespace bt
