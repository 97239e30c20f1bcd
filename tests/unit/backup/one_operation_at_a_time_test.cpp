// A backup or restore started while another one (another user's window, a
// scheduled backup) works on the same installation: it waits for the
// context's time, then fails with 70 before touching anything.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "testing/operation_elsewhere.h"
#include "tests/unit/backup/operation_fixture.h"

namespace bt {
namespace {

using namespace std::chrono_literals;
using doubles::OperationElsewhere;
using doubles::OperationTest;

class OneOperationAtATime : public OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    MakeInstallation();
    drives_.MakeFolder("D:\\Copias");
    drives_.WriteFile(set_ + "\\vendrial.mdb", "banco do backup");
    drives_.WriteFile(set_ + "\\tarvel.ini", "ini do backup");
    drives_.WriteFile(set_ + "\\Fotos\\produto1.jpg", "foto do backup");
  }

  template <class Operation>
  int RefusedWith(Operation operation) {
    try {
      operation();
    } catch (const AppError& error) {
      EXPECT_EQ(error.detail(), kOperationUnderWay);
      return error.number();
    }
    return 0;
  }

  void ExpectInstallationUntouched() {
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\tarvel.ini"), "[Opcoes]\nLoja=1\n");
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\produto1.jpg"), "foto 1");
  }

  std::size_t SetsUnderCopias() const {
    std::size_t sets = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(drives_.Host("D:\\Copias"))) ++sets;
    return sets;
  }

  const std::string set_ = "D:\\Copias\\20090101_120000";
};

TEST_F(OneOperationAtATime, ABackupWhileAnotherHoldsTheInstallationFailsWith70AndMakesNoSet) {
  OperationElsewhere other(drives_, "C:\\Tarvel");
  auto context = Context();

  EXPECT_EQ(RefusedWith([&] { BackupData(context, "D:\\Copias", true); }), kErrPermissionDenied);

  EXPECT_EQ(SetsUnderCopias(), 1u) << "a set was begun";
  EXPECT_TRUE(boxes_.shown.empty());
  ExpectInstallationUntouched();

  other.Finish();
  BackupData(context, "D:\\Copias", true);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20090117_130904\\vendrial.mdb"), "banco original");
}

TEST_F(OneOperationAtATime, ARestoreWhileAnotherHoldsTheInstallationFailsWith70AndReplacesNothing) {
  // The other program names the installation in its own way.
  OperationElsewhere other(drives_, "c:\\TARVEL\\");
  installation_ = "C:\\Tarvel\\";
  auto context = Context();

  EXPECT_EQ(RefusedWith([&] { RestoreData(context, set_, true); }), kErrPermissionDenied);

  EXPECT_TRUE(boxes_.shown.empty());
  ExpectInstallationUntouched();

  other.Finish();
  RestoreData(context, set_, true);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
}

TEST_F(OneOperationAtATime, AnOperationThatEndsWithinTheWaitLetsTheNextRunWhole) {
  OperationElsewhere other(drives_, "C:\\Tarvel");
  other.LetGoAfter(200ms);
  auto context = Context();
  context.lockWait = 60s;

  RestoreData(context, set_, false);

  EXPECT_TRUE(other.letGo()) << "the restore ran beside the other operation";
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, "Operação concluída");
}

}  // namespace
}  // namespace bt
