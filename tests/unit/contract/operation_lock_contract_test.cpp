// The operation lock, as every file system keeps it: one backup or restore
// of an installation at a time, whatever program holds it and whatever text
// names the folder. Checked against the Linux file system (native build),
// the Win32 one (under Wine) and the fault-injecting double around either;
// the other holder is another file system over the same drives, on a
// thread of its own, as another program would be.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "testing/faulty_file_system.h"
#include "testing/operation_elsewhere.h"
#include "testing/temp_drives.h"

namespace bt {
namespace {

using namespace std::chrono_literals;
using doubles::OperationElsewhere;

struct Flavour {
  const char* name;
  bool faultInjecting;  // the double, wrapped around the native one
};

template <class F>
std::optional<AppError> Refusal(F&& f) {
  try {
    f();
  } catch (const AppError& error) {
    return error;
  }
  return std::nullopt;
}

class OperationLockContract : public ::testing::TestWithParam<Flavour> {
 protected:
  OperationLockContract() {
    drives_.AddDrive('A', /*openable=*/false);
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    // Z: over the folder that holds the other drives, as a Wine prefix's Z:
    // over "/": C:\Tarvel is also Z:\drive_c\Tarvel.
    drives_.AddDriveOver('Z', drives_.root());
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco");
    drives_.MakeFolder("C:\\Tarvel\\Fotos");
    native_ = drives_.MakeFileSystem();
    if (GetParam().faultInjecting) faulty_ = std::make_unique<doubles::FaultyFileSystem>(*native_);
  }

  FileSystem& files() { return faulty_ ? static_cast<FileSystem&>(*faulty_) : *native_; }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> native_;
  std::unique_ptr<doubles::FaultyFileSystem> faulty_;
};

TEST_P(OperationLockContract, WhileAnotherOperationHoldsTheInstallationASecondWaitsItsTimeThenIsRefusedWith70) {
  OperationElsewhere other(drives_, "C:\\Tarvel");
  ASSERT_FALSE(other.refusal());

  const auto start = std::chrono::steady_clock::now();
  const std::optional<AppError> refused = Refusal([&] { files().LockForOperation("C:\\Tarvel", 300ms); });
  const auto waited = std::chrono::steady_clock::now() - start;

  ASSERT_TRUE(refused) << "a second operation got the lock";
  EXPECT_EQ(refused->number(), kErrPermissionDenied);
  EXPECT_EQ(refused->detail(), kOperationUnderWay);
  EXPECT_NE(refused->hostDetail(), "");
  EXPECT_GE(waited, 300ms) << "refused before its wait was over";
}

TEST_P(OperationLockContract, AnOperationThatEndsDuringTheWaitLetsTheWaitingOneIn) {
  OperationElsewhere other(drives_, "C:\\Tarvel");
  other.LetGoAfter(200ms);

  std::unique_ptr<OperationLock> lock = files().LockForOperation("C:\\Tarvel", 60s);

  // Now this one holds it.
  OperationElsewhere third(drives_, "C:\\Tarvel");
  EXPECT_EQ(third.refusal(), kErrPermissionDenied);
}

TEST_P(OperationLockContract, TheLockIsFreeAgainOnceItsHolderIsGone) {
  files().LockForOperation("C:\\Tarvel", 0ms).reset();
  std::unique_ptr<OperationLock> again = files().LockForOperation("C:\\Tarvel", 0ms);
  again.reset();

  OperationElsewhere other(drives_, "C:\\Tarvel");
  EXPECT_FALSE(other.refusal());
  other.Finish();
  EXPECT_FALSE(Refusal([&] { files().LockForOperation("C:\\Tarvel", 0ms); }));
}

TEST_P(OperationLockContract, EveryTextForTheInstallationFolderIsTheOneLockAndOtherFoldersAreFree) {
  OperationElsewhere other(drives_, "C:\\Tarvel");
  ASSERT_FALSE(other.refusal());

  for (const char* text : {"C:\\Tarvel", "c:\\TARVEL\\", "C:\\Tarvel\\Fotos\\..", "Z:\\drive_c\\Tarvel",
                           "z:\\DRIVE_C\\tarvel\\"}) {
    const std::optional<AppError> refused = Refusal([&] { files().LockForOperation(text, 0ms); });
    EXPECT_EQ(refused ? refused->number() : 0, kErrPermissionDenied) << text << " is not the held folder's lock";
  }
  EXPECT_FALSE(Refusal([&] { files().LockForOperation("C:\\Tarvel\\Fotos", 0ms); }));
  EXPECT_FALSE(Refusal([&] { files().LockForOperation("Z:\\drive_d", 0ms); }));
}

TEST_P(OperationLockContract, AFolderThatIsNotThereGivesALockThatHoldsNothing) {
  for (const char* missing : {"C:\\Falta", "C:\\Tarvel\\vendrial.mdb\\Nada", "A:\\Tarvel", "Q:\\Tarvel"}) {
    std::unique_ptr<OperationLock> first;
    EXPECT_FALSE(Refusal([&] { first = files().LockForOperation(missing, 0ms); })) << missing;
    EXPECT_FALSE(Refusal([&] { files().LockForOperation(missing, 0ms); })) << missing << " held by nothing";
  }
  // Made afterwards, the folder has a lock like any other.
  drives_.MakeFolder("C:\\Falta");
  OperationElsewhere other(drives_, "C:\\Falta");
  ASSERT_FALSE(other.refusal());
  EXPECT_TRUE(Refusal([&] { files().LockForOperation("C:\\Falta", 0ms); }));
}

INSTANTIATE_TEST_SUITE_P(EveryFileSystem, OperationLockContract,
                         ::testing::Values(Flavour{"Native", false}, Flavour{"FaultInjectingDouble", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bt
