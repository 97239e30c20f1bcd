// Backups and restores of trees and places a user's machine can hold but
// nobody plans for: links going round or out of the photo tree, names
// Windows cannot hold, paths beyond the host's limit, folders that may not
// be read or written, a database in use, a disk that fills up. Each ends in
// a failure the user can read or in the sound result; never a hang, a crash
// or a runaway copy, and never a file lost or half-written.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "backup/operations.h"
#include "testing/faulty_file_system.h"
#include "testing/file_holder.h"
#include "testing/host_conditions.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/reliability/installation_snapshot.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ReadTree;
using doubles::RecordedBoxes;
using doubles::StoppedClock;
using doubles::TempDrives;
using doubles::TreeFiles;

const char* const kSet = "D:\\20090117_130904";

// An installation on C:, backups on D:, the operations run directly.
class HostileTree {
 public:
  HostileTree() {
    drives.AddDrive('C');
    drives.AddDrive('D');
    doubles::WriteInstallation(drives, "C:\\Tarvel", 1);
    files = drives.MakeFileSystem();
  }
  std::string Host(const std::string& windows) const { return drives.Host(windows); }

  // The error number that reached the caller, 0 when none did.
  int Backup(const std::string& location = "D:\\", FileSystem* through = nullptr) {
    return Run([&](OperationContext& context) { BackupData(context, location, true); }, through);
  }
  int Restore(const std::string& location = kSet) {
    return Run([&](OperationContext& context) { RestoreData(context, location, true); }, nullptr);
  }
  bool Succeeded() const { return !boxes.shown.empty() && boxes.shown.back().title == "Operação concluída"; }

  TempDrives drives;
  std::unique_ptr<FileSystem> files;
  RecordedBoxes boxes;
  std::string failureDetail;  // what the user read of the last failure

 private:
  template <class F>
  int Run(F&& operation, FileSystem* through) {
    StoppedClock clock;
    OperationContext context{through != nullptr ? *through : *files, clock, boxes, [] { return std::string("C:\\Tarvel"); }};
    try {
      operation(context);
    } catch (const AppError& error) {
      std::printf("  (the operation failed: %d %s)\n", error.number(), error.detail().c_str());
      failureDetail = error.detail();
      return error.number();
    }
    return 0;
  }
};

TEST(HostileTrees, LinksGoingRoundInsideThePhotosAreBackedUpOnceWithoutGoingRound) {
  HostileTree tree;
  fs::create_directory_symlink("..", tree.Host("C:\\Tarvel\\Fotos\\2009\\volta"));
  fs::create_directory_symlink(".", tree.Host("C:\\Tarvel\\Fotos\\aqui"));
  fs::create_directory_symlink("/", tree.Host("C:\\Tarvel\\Fotos\\raiz"));

  EXPECT_EQ(tree.Backup(), 0);
  EXPECT_TRUE(tree.Succeeded());
  const TreeFiles set = ReadTree(tree.Host(kSet));
  EXPECT_EQ(doubles::TreeDifference(doubles::ExpectedSet(ReadTree(tree.Host("C:\\Tarvel"))), set), "");
}

TEST(HostileTrees, ALinkOutOfThePhotoTreeIsBackedUpAsThePhotosItLeadsTo) {
  HostileTree tree;
  tree.drives.WriteFile("C:\\Arquivo\\2005\\antiga.jpg", "foto antiga");
  tree.drives.WriteFile("C:\\Arquivo\\logo.jpg", "logo");
  fs::create_directory_symlink(tree.Host("C:\\Arquivo\\2005"), tree.Host("C:\\Tarvel\\Fotos\\2005"));
  fs::create_symlink(tree.Host("C:\\Arquivo\\logo.jpg"), tree.Host("C:\\Tarvel\\Fotos\\logo.jpg"));

  EXPECT_EQ(tree.Backup(), 0);
  EXPECT_EQ(tree.drives.ReadFile("D:\\20090117_130904\\Fotos\\2005\\antiga.jpg"), "foto antiga");
  EXPECT_EQ(tree.drives.ReadFile("D:\\20090117_130904\\Fotos\\logo.jpg"), "logo");
  EXPECT_FALSE(fs::is_symlink(tree.Host("D:\\20090117_130904\\Fotos\\2005"))) << "the set holds the photos themselves";
  EXPECT_EQ(tree.drives.ReadFile("C:\\Arquivo\\2005\\antiga.jpg"), "foto antiga");
}

// Photos kept through a link on a drive that is not mounted are not in the
// set, and the user must hear of it rather than be told all went well.
TEST(HostileTrees, PhotosBehindALinkLeadingNowhereFailTheBackupNamingThem) {
  HostileTree tree;
  fs::create_symlink("/media/pendrive-ausente/2005", tree.Host("C:\\Tarvel\\Fotos\\2005"));
  fs::create_symlink(tree.Host("C:\\Arquivo\\sumiu.jpg"), tree.Host("C:\\Tarvel\\Fotos\\sumiu.jpg"));

  EXPECT_EQ(tree.Backup(), kErrFileNotFound);
  EXPECT_FALSE(tree.Succeeded());
  EXPECT_NE(tree.failureDetail.find("C:\\Tarvel\\Fotos\\"), std::string::npos) << tree.failureDetail;
}

TEST(HostileTrees, NamesWindowsCannotHoldComeBackByteForByteThroughABackupAndARestore) {
  HostileTree tree;
  const std::string folder = tree.Host("C:\\Tarvel\\Fotos");
  for (const std::string name : {"a\\b.jpg", "c:d.jpg", "e?f*.jpg", "ponto.", "espaco ", "\xff\xfe.jpg", "<|>\".jpg"}) {
    std::ofstream(folder + "/" + name) << name;
  }
  fs::create_directory(folder + "/pasta:\xc3\x28.");
  std::ofstream(folder + "/pasta:\xc3\x28./dentro?.jpg") << "dentro";
  const TreeFiles before = ReadTree(tree.Host("C:\\Tarvel"));

  ASSERT_EQ(tree.Backup(), 0);
  fs::remove_all(folder);
  fs::create_directory(folder);
  ASSERT_EQ(tree.Restore(), 0);
  EXPECT_TRUE(tree.Succeeded());

  // All but the "Thumbs.db" a backup leaves out.
  EXPECT_EQ(doubles::TreeDifference(doubles::ExpectedSet(before), ReadTree(tree.Host("C:\\Tarvel"))), "");
}

TEST(HostileTrees, APathBeyondTheHostsLimitIsAFailureNamingItNotACrash) {
  HostileTree tree;
  std::string location = "D:";
  // Just within the limit itself; the backup set and its files go beyond.
  while (tree.Host(location).size() + 241 < 4050) location += "\\" + std::string(240, 'p');
  tree.drives.MakeFolder(location);
  const std::string deep = "C:\\Tarvel\\Fotos\\" + std::string(200, 'a') + "\\" + std::string(200, 'b');
  tree.drives.WriteFile(deep + "\\funda.jpg", "funda");
  const TreeFiles installation = ReadTree(tree.Host("C:\\Tarvel"));

  const int number = tree.Backup(location);
  EXPECT_TRUE(number == kErrPathFileAccess || number == kErrPathNotFound) << number;
  EXPECT_FALSE(tree.Succeeded());
  EXPECT_EQ(doubles::TreeDifference(installation, ReadTree(tree.Host("C:\\Tarvel"))), "");
  EXPECT_TRUE(doubles::TemporaryFilesBelow(tree.drives.root()).empty());
}

TEST(HostileTrees, APhotoFolderThatMayNotBeReadStopsTheBackupWithPermissionDenied) {
  doubles::OrdinaryUser user;
  HostileTree tree;
  ::chmod(tree.Host("C:\\Tarvel\\Fotos\\2010").c_str(), 0);

  EXPECT_EQ(tree.Backup(), kErrPermissionDenied);
  EXPECT_FALSE(tree.Succeeded()) << "a backup without some photos passed for complete";
}

TEST(HostileTrees, ARestoreIntoAnInstallationThatMayNotBeWrittenReplacesNothing) {
  doubles::OrdinaryUser user;
  HostileTree tree;
  doubles::WriteInstallation(tree.drives, kSet, 2);
  const TreeFiles before = ReadTree(tree.Host("C:\\Tarvel"));
  ::chmod(tree.Host("C:\\Tarvel").c_str(), 0555);

  EXPECT_EQ(tree.Restore(), kErrPermissionDenied);
  EXPECT_EQ(doubles::TreeDifference(before, ReadTree(tree.Host("C:\\Tarvel"))), "");
  ::chmod(tree.Host("C:\\Tarvel").c_str(), 0755);
  EXPECT_TRUE(doubles::TemporaryFilesBelow(tree.drives.root()).empty());
}

TEST(HostileTrees, ARestoreWhileTarvelWritesItsDatabaseIsRefusedAndReplacesNothing) {
  HostileTree tree;
  doubles::WriteInstallation(tree.drives, kSet, 2);
  const TreeFiles before = ReadTree(tree.Host("C:\\Tarvel"));
  doubles::FileHolder tarvel(tree.Host("C:\\Tarvel\\vendrial.mdb"), O_RDWR);

  EXPECT_EQ(tree.Restore(), kErrPermissionDenied);
  EXPECT_EQ(doubles::TreeDifference(before, ReadTree(tree.Host("C:\\Tarvel"))), "");
}

// The backup onto a disk too small for the database: 61, no half copy, the
// installation untouched. Returns the error number, or 77 when the disk
// cannot be made here.
int BackupOntoASmallDisk(HostileTree& tree, bool& halfCopy) {
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tarvel-test", tree.Host("D:\\").c_str(), "tmpfs", 0, "size=256k") != 0) {
    return 77;
  }
  const int number = tree.Backup();
  halfCopy = fs::exists(tree.Host("D:\\20090117_130904\\vendrial.mdb")) ||
             !doubles::TemporaryFilesBelow(tree.Host("D:\\")).empty();
  return number;
}

TEST(HostileTrees, ABackupOntoAFullDiskFailsWithDiskFullAndLeavesNoHalfCopy) {
  HostileTree tree;
  const TreeFiles installation = ReadTree(tree.Host("C:\\Tarvel"));
  // A disk of its own, in a mount namespace of its own, in a child process
  // so that nothing stays mounted whatever happens.
  const pid_t child = ::fork();
  if (child == 0) {
    bool halfCopy = false;
    const int number = BackupOntoASmallDisk(tree, halfCopy);
    ::_exit(number == 77 ? 77 : halfCopy ? 1 : number == kErrDiskFull && !tree.Succeeded() ? 0 : 2);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) {
    // No mount here: the disk fills up half-way through the database.
    doubles::FaultyFileSystem full(*tree.files);
    full.ForceReadWrite();
    full.ShortWriteOn(2);
    EXPECT_EQ(tree.Backup("D:\\", &full), kErrDiskFull);
    EXPECT_FALSE(fs::exists(tree.Host("D:\\20090117_130904\\vendrial.mdb")));
  } else {
    EXPECT_EQ(WEXITSTATUS(status), 0) << (WEXITSTATUS(status) == 1 ? "a half copy was left" : "not a disk-full failure");
  }
  EXPECT_EQ(doubles::TreeDifference(installation, ReadTree(tree.Host("C:\\Tarvel"))), "");
  EXPECT_TRUE(doubles::TemporaryFilesBelow(tree.drives.root()).empty());
}

}  // namespace
}  // namespace bt
