// A backup and a restore of a realistic installation, run once per possible
// failure point: every call of every file-system operation and every host
// step inside a file copy fails in turn, with each kind of error, once or
// from then on. After every run the user's files are whole (old or new,
// never a mix, never missing), nothing temporary is left behind, the
// failure reaches the caller with its number, and a success message is only
// ever shown over a complete copy.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <memory>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "backup/operations.h"
#include "testing/faulty_file_system.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/reliability/installation_snapshot.h"

namespace bt {
namespace {

using doubles::CopyStep;
using doubles::FaultyFileSystem;
using doubles::FsOp;
using doubles::RecordedBoxes;
using doubles::StoppedClock;
using doubles::TempDrives;
using doubles::TreeFiles;

const char* const kInstallation = "C:\\Tarvel";
const char* const kLocation = "D:\\Copias";
const char* const kSet = "D:\\Copias\\20090117_130904";

enum class Operation { kBackup, kRestore };

// One failure to inject.
struct Fault {
  enum class Where { kCall, kStep, kShortWrite } where = Where::kCall;
  FsOp op = FsOp::GetAttributes;
  CopyStep step = CopyStep::Open;
  int nth = 1;
  bool persistent = false;
  int number = 0;     // the AppError of a failing call
  int hostErrno = 0;  // the errno of a failing step
  bool readWrite = false;  // bytes moved by read and write, as across file systems

  std::string Describe() const {
    std::ostringstream text;
    if (where == Where::kCall) {
      text << "call " << static_cast<int>(op) << " #" << nth << " error " << number;
    } else if (where == Where::kStep) {
      text << NameOf(step) << " #" << nth << " errno " << hostErrno;
    } else {
      text << "short write #" << nth;
    }
    text << (persistent ? " from then on" : " once") << (readWrite ? ", read/write" : "");
    return text.str();
  }

  // Where it strikes, whatever the error: one call or step of a run.
  std::string Point() const {
    std::ostringstream text;
    text << static_cast<int>(where) << '/' << static_cast<int>(op) << '/' << static_cast<int>(step) << '/' << nth
         << '/' << readWrite;
    return text.str();
  }

  // The numbers the caller may see for this failure.
  std::set<int> Numbers() const {
    if (where == Where::kCall) {
      // The backup carries on after its folder could not be created, and
      // the copy into the missing folder then fails on its own account.
      if (op == FsOp::CreateFolder) return {number, kErrPathNotFound};
      // A subfolder that exists is copied into once it is seen to be a
      // folder; when that look fails, the folder's own failure is reported.
      if (op == FsOp::GetAttributes) return {number, kErrPathFileAccess};
      return {number};
    }
    if (hostErrno == doubles::kHostNotFound) return {kErrFileNotFound, kErrPathNotFound};
    if (hostErrno == doubles::kHostDiskFull) return {kErrDiskFull};
    if (hostErrno == doubles::kHostAccessDenied) return {kErrPermissionDenied};
    if (hostErrno == doubles::kHostNotReady) return {kErrDiskNotReady};
    return {};
  }
};

struct Tally {
  int runs = 0;
  int failedWithNumber = 0;  // the failure reached the caller
  int refused = 0;           // a message told the user, nothing was touched
  int absorbed = 0;          // the step was retried another way and the run succeeded
  std::set<std::string> points;  // distinct failure points
};

class EveryStepFails : public ::testing::Test {
 protected:
  // A thousand runs each flushing their backup to the disk would wait on
  // every other writer of a shared disk; in memory they take milliseconds.
  // The crash tests run on the real disk.
#if defined(_WIN32)
  // Under Wine, Z:\dev\shm is the host's memory file system.
  static constexpr const char* kTemporaryVariable = "TMP";
  static constexpr const char* kMemoryFolder = "Z:\\dev\\shm";
  // nullptr: unset.
  static void SetVariable(const char* name, const char* value) { ::_putenv_s(name, value ? value : ""); }
#else
  static constexpr const char* kTemporaryVariable = "TMPDIR";
  static constexpr const char* kMemoryFolder = "/dev/shm";
  static void SetVariable(const char* name, const char* value) {
    if (value == nullptr) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value, 1);
    }
  }
#endif
  static void SetUpTestSuite() {
    const char* tmp = std::getenv(kTemporaryVariable);
    savedTmp_ = tmp != nullptr ? std::optional<std::string>(tmp) : std::nullopt;
    if (std::filesystem::is_directory(kMemoryFolder)) SetVariable(kTemporaryVariable, kMemoryFolder);
  }
  static void TearDownTestSuite() {
    SetVariable(kTemporaryVariable, savedTmp_ ? savedTmp_->c_str() : nullptr);
  }
  static inline std::optional<std::string> savedTmp_;

  struct Counts {
    std::vector<int> calls;  // per FsOp
    std::vector<int> steps;  // per CopyStep
  };

  // A fresh scene: the installation, and for a restore the backup set made
  // later, whose every file differs.
  void MakeScene(TempDrives& drives) {
    drives.AddDrive('C');
    drives.AddDrive('D');
    doubles::WriteInstallation(drives, kInstallation, 1);
    drives.MakeFolder(kLocation);
    if (operation_ == Operation::kRestore) doubles::WriteInstallation(drives, kSet, 2);
  }

  void Run(FileSystem& files, RecordedBoxes& boxes) {
    StoppedClock clock;
    OperationContext context{files, clock, boxes, [] { return std::string(kInstallation); }};
    if (operation_ == Operation::kBackup) {
      BackupData(context, kLocation, true);
    } else {
      RestoreData(context, kSet, true);
    }
  }

  Counts CountCalls(bool readWrite) {
    TempDrives drives;
    MakeScene(drives);
    auto real = drives.MakeFileSystem();
    FaultyFileSystem faulty(*real);
    faulty.ForceReadWrite(readWrite);
    RecordedBoxes boxes;
    Run(faulty, boxes);
    EXPECT_EQ(boxes.shown.back().title, "Operação concluída");
    Counts counts;
    for (int op = 0; op < static_cast<int>(FsOp::kCount); ++op) counts.calls.push_back(faulty.Calls(FsOp(op)));
    for (int step = 0; step < static_cast<int>(CopyStep::kCount); ++step) {
      counts.steps.push_back(faulty.StepCalls(CopyStep(step)));
    }
    return counts;
  }

  void RunWith(const Fault& fault) {
    TempDrives drives;
    MakeScene(drives);
    const TreeFiles installationBefore = doubles::ReadTree(drives.Host(kInstallation));
    const TreeFiles setBefore = doubles::ReadTree(drives.Host(kSet));
    const std::string run = (operation_ == Operation::kBackup ? "backup, " : "restore, ") + fault.Describe();

    auto real = drives.MakeFileSystem();
    RecordedBoxes boxes;
    bool succeeded = false;
    {
      FaultyFileSystem faulty(*real);
      faulty.ForceReadWrite(fault.readWrite);
      if (fault.where == Fault::Where::kCall) {
        faulty.FailOn(fault.op, fault.nth, AppError(fault.number, "injected"), fault.persistent);
      } else if (fault.where == Fault::Where::kStep) {
        faulty.FailStep(fault.step, fault.nth, fault.hostErrno, fault.persistent);
      } else {
        faulty.ShortWriteOn(fault.nth);
      }
      try {
        Run(faulty, boxes);
        succeeded = !boxes.shown.empty() && boxes.shown.back().title == "Operação concluída";
        if (succeeded) {
          ++tally_.absorbed;
        } else {
          ++tally_.refused;
        }
      } catch (const AppError& error) {
        ++tally_.failedWithNumber;
        EXPECT_TRUE(fault.Numbers().contains(error.number()))
            << run << ": the caller saw error " << error.number() << " " << error.detail();
      }
      EXPECT_TRUE(faulty.Fired()) << run << ": the failure point was never reached";
      EXPECT_EQ(faulty.OpenListings(), 0) << run;
    }
    ++tally_.runs;
    tally_.points.insert(fault.Point());

    for (const ShownBoxTitle& title : Titles(boxes)) {
      EXPECT_TRUE(title == "Operação concluída" || title == "Erro" || title == "Arquivo não encontrado" ||
                  title == "Cópia de segurança incompleta")
          << run << ": unexpected box " << title;
    }
    const TreeFiles installationNow = doubles::ReadTree(drives.Host(kInstallation));
    const TreeFiles setNow = doubles::ReadTree(drives.Host(kSet));
    if (operation_ == Operation::kBackup) {
      EXPECT_EQ(doubles::TreeDifference(installationBefore, installationNow), "") << run << ": a backup changed the installation";
      const TreeFiles expected = doubles::ExpectedSet(installationBefore);
      doubles::ExpectEachFileWholeOldOrNew({}, expected, setNow, run);
      if (succeeded) {
        EXPECT_EQ(doubles::TreeDifference(expected, setNow), "") << run << ": a backup reported done is incomplete";
      }
    } else {
      EXPECT_EQ(doubles::TreeDifference(setBefore, setNow), "") << run << ": a restore changed the backup set";
      const TreeFiles incoming = doubles::ExpectedSet(setBefore);
      doubles::ExpectEachFileWholeOldOrNew(installationBefore, incoming, installationNow, run);
      if (succeeded) {
        TreeFiles expected = installationBefore;
        for (const auto& [path, bytes] : incoming) expected[path] = bytes;
        EXPECT_EQ(doubles::TreeDifference(expected, installationNow), "") << run << ": a restore reported done is incomplete";
      }
    }
    const auto leftovers = doubles::TemporaryFilesBelow(drives.root());
    EXPECT_TRUE(leftovers.empty()) << run << ": left " << leftovers.front();
  }

  using ShownBoxTitle = std::string;
  static std::vector<ShownBoxTitle> Titles(const RecordedBoxes& boxes) {
    std::vector<ShownBoxTitle> titles;
    for (const auto& box : boxes.shown) titles.push_back(box.title);
    return titles;
  }

#if defined(_WIN32)
  // Windows moves every byte through ReadFile and WriteFile anyway.
  static constexpr bool kByteMovers[] = {false};
#else
  // The kernel's own copy calls, then read and write alone.
  static constexpr bool kByteMovers[] = {false, true};
#endif

  // Every call and every step of a clean run fails in turn, with each kind.
  void FailEveryPoint() {
    const int callNumbers[] = {kErrDiskFull, kErrPermissionDenied, kErrPathNotFound, kErrDiskNotReady};
    const int hostErrnos[] = {doubles::kHostDiskFull, doubles::kHostAccessDenied, doubles::kHostNotFound,
                              doubles::kHostNotReady};
    for (const bool readWrite : kByteMovers) {
      const Counts counts = CountCalls(readWrite);
      for (const bool persistent : {false, true}) {
        Fault fault;
        fault.readWrite = readWrite;
        fault.persistent = persistent;
        // A failure that stays is a full disk, whatever else broke first.
        const std::span<const int> numbers = persistent ? std::span<const int>(callNumbers, 1) : callNumbers;
        const std::span<const int> errnos = persistent ? std::span<const int>(hostErrnos, 1) : hostErrnos;
        // The calls of the file system do not depend on how bytes move.
        if (!readWrite) {
          fault.where = Fault::Where::kCall;
          for (int op = 0; op < static_cast<int>(FsOp::kCount); ++op) {
            fault.op = FsOp(op);
            for (fault.nth = 1; fault.nth <= counts.calls[op]; ++fault.nth) {
              for (const int number : numbers) {
                fault.number = number;
                RunWith(fault);
              }
            }
          }
        }
        fault.where = Fault::Where::kStep;
        for (int step = 0; step < static_cast<int>(CopyStep::kCount); ++step) {
          fault.step = CopyStep(step);
          for (fault.nth = 1; fault.nth <= counts.steps[step]; ++fault.nth) {
            for (const int hostErrno : errnos) {
              fault.hostErrno = hostErrno;
              RunWith(fault);
            }
          }
        }
      }
      Fault shortWrite;
      shortWrite.where = Fault::Where::kShortWrite;
      shortWrite.hostErrno = doubles::kHostDiskFull;
      shortWrite.readWrite = readWrite;
      for (shortWrite.nth = 1; shortWrite.nth <= counts.steps[static_cast<int>(CopyStep::Write)]; ++shortWrite.nth) {
        RunWith(shortWrite);
      }
    }
    std::printf("[ reliability ] %s: %d runs over %zu failure points: %d failed with their number, %d refused "
                "with a message, %d succeeded another way; 0 files lost or half-written unless reported above\n",
                operation_ == Operation::kBackup ? "backup" : "restore", tally_.runs, tally_.points.size(),
                tally_.failedWithNumber, tally_.refused, tally_.absorbed);
  }

  Operation operation_ = Operation::kBackup;
  Tally tally_;
};

TEST_F(EveryStepFails, ABackupNeverReportsSuccessOverAnIncompleteSetNorTouchesTheInstallation) {
  operation_ = Operation::kBackup;
  FailEveryPoint();
  EXPECT_GT(tally_.failedWithNumber, 0);
}

TEST_F(EveryStepFails, ARestoreLeavesEveryFileWholeOldOrNewWhereverItFails) {
  operation_ = Operation::kRestore;
  FailEveryPoint();
  EXPECT_GT(tally_.failedWithNumber, 0);
}

}  // namespace
}  // namespace bt
