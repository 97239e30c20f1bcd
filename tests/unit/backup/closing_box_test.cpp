// The installation's lock around the end of an operation: a scheduled
// backup runs while the window's closing box is still open, and what a
// backup does after its copies (keeping the newest sets) runs still locked.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "testing/operation_elsewhere.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::OperationElsewhere;
using doubles::OperationTest;

// Tries, while each box is open, to take the installation's lock from
// another program.
class BoxesThatTryTheLock final : public MessageBoxes {
 public:
  explicit BoxesThatTryTheLock(const doubles::TempDrives& drives) : drives_(drives) {}
  MessageAnswer ShowMessage(const std::string&, const std::string& title, MessageIcon, MessageButtons) override {
    titles.push_back(title);
    OperationElsewhere other(drives_, "C:\\Tarvel");
    refusals.push_back(other.refusal());
    return MessageAnswer::Ok;
  }
  std::vector<std::string> titles;
  std::vector<std::optional<int>> refusals;

 private:
  const doubles::TempDrives& drives_;
};

class ClosingBox : public OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    MakeInstallation();
    drives_.MakeFolder("D:\\Copias");
  }
  OperationContext LockTryingContext() {
    return OperationContext{*files_, clock_, trying_, [this] { return installation_; }};
  }
  BoxesThatTryTheLock trying_{drives_};
};

TEST_F(ClosingBox, TheSuccessBoxOfABackupHoldsNoLock) {
  OperationContext context = LockTryingContext();

  EXPECT_EQ(BackupData(context, "D:\\Copias", true), "D:\\Copias\\20090117_130904");

  ASSERT_EQ(trying_.titles, (std::vector<std::string>{"Operação concluída"}));
  EXPECT_EQ(trying_.refusals[0], std::nullopt);
}

TEST_F(ClosingBox, TheRefusalOfALocationInsideThePhotosHoldsNoLockAndMakesNoSet) {
  OperationContext context = LockTryingContext();

  EXPECT_EQ(BackupData(context, "C:\\Tarvel\\Fotos", true), std::nullopt);

  ASSERT_EQ(trying_.titles, (std::vector<std::string>{"Local incorreto"}));
  EXPECT_EQ(trying_.refusals[0], std::nullopt);
}

TEST_F(ClosingBox, TheBoxesThatEndARestoreHoldNoLock) {
  drives_.WriteFile("D:\\Copias\\20090101_120000\\vendrial.mdb", "banco do backup");
  OperationContext context = LockTryingContext();

  RestoreData(context, "D:\\Copias\\20090101_120000", false);
  RestoreData(context, "D:\\Copias", false);  // no set there

  EXPECT_EQ(trying_.titles, (std::vector<std::string>{"Operação concluída", "Arquivo não encontrado"}));
  EXPECT_EQ(trying_.refusals, (std::vector<std::optional<int>>{std::nullopt, std::nullopt}));
}

TEST_F(ClosingBox, AfterTheCopiesTheBackupsLastStepRunsLockedAndOnTheWholeSet) {
  OperationContext context = Context();
  std::optional<int> refused;
  std::string databaseThen;
  context.afterBackup = [&](const std::string& backupSet) {
    EXPECT_EQ(backupSet, "D:\\Copias\\20090117_130904");
    databaseThen = drives_.ReadFile(backupSet + "\\vendrial.mdb");
    EXPECT_TRUE(boxes_.shown.empty()) << "the success box came first";
    OperationElsewhere other(drives_, "C:\\Tarvel");
    refused = other.refusal();
  };

  BackupData(context, "D:\\Copias", false);

  EXPECT_EQ(refused, kErrPermissionDenied);
  EXPECT_EQ(databaseThen, "banco original");
}

TEST_F(ClosingBox, AFailedOrRefusedBackupNeverRunsItsLastStep) {
  OperationContext context = Context();
  int ran = 0;
  context.afterBackup = [&](const std::string&) { ++ran; };

  BackupData(context, "C:\\Tarvel\\Fotos", true);
  std::filesystem::remove(drives_.Host("C:\\Tarvel\\tarvel.ini"));
  EXPECT_EQ(doubles::ThrownNumber([&] { BackupData(context, "D:\\Copias", true); }), kErrFileNotFound);

  EXPECT_EQ(ran, 0);
  EXPECT_FALSE(Exists("D:\\Copias\\20090117_130904"));
}

}  // namespace
}  // namespace bt
