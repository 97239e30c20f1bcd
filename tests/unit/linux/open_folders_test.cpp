// The folders a tree copy holds open: a folder is reached through its open
// parent, not from "/" again; a name is taken relative to the one folder
// that holds it and no other; what was removed is let go, so that a folder
// made again under its name is the one written into; and nothing stays open
// once an operation has flushed its writes, so that a removable disk can be
// ejected after a backup.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/linux/linux_file_system.h"
#include "platform/linux/open_folders.h"
#include "testing/temp_drives.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

// The entries of /proc/self/fd that are folders: what the process holds open.
int OpenFoldersOfProcess() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::is_directory(fs::read_symlink(entry.path(), error)) && !error) ++count;
  }
  return count;
}

class OpenFoldersTest : public ::testing::Test {
 protected:
  OpenFoldersTest() { root_ = drives_.AddDrive('C'); }
  std::string Host(const std::string& windowsPath) const { return drives_.Host(windowsPath); }
  // The open folder is the one that stands at windowsPath now.
  void ExpectTheFolderAt(const OpenFolderRef& folder, const std::string& windowsPath) const {
    ASSERT_NE(folder, nullptr);
    struct stat opened {};
    struct stat there {};
    ASSERT_EQ(::fstat(folder->fd(), &opened), 0);
    ASSERT_EQ(::stat(Host(windowsPath).c_str(), &there), 0);
    EXPECT_EQ(opened.st_ino, there.st_ino) << windowsPath;
  }

  doubles::TempDrives drives_;
  std::string root_;
};

// Once the parent is open, the child is found through it: a parent renamed
// since still leads to its child, where a walk from "/" would find nothing.
TEST_F(OpenFoldersTest, AFolderIsOpenedThroughItsOpenParentNotFromTheRootAgain) {
  drives_.MakeFolder("C:\\Fotos\\2010");
  OpenFolders folders;
  const OpenFolderRef parent = folders.Open(Host("C:\\Fotos"));
  ASSERT_NE(parent, nullptr);
  fs::rename(Host("C:\\Fotos"), Host("C:\\Fotos antigas"));

  const OpenFolderRef child = folders.Open(Host("C:\\Fotos\\2010"));
  ExpectTheFolderAt(child, "C:\\Fotos antigas\\2010");
  EXPECT_EQ(folders.Open(Host("C:\\Fotos\\2010")), child) << "asked again, the same open folder";
}

TEST_F(OpenFoldersTest, ANameIsTakenRelativeOnlyToTheFolderThatHoldsIt) {
  drives_.MakeFolder("C:\\Fotos\\2010");
  OpenFolders folders;
  const OpenFolderRef photos = folders.Open(Host("C:\\Fotos"));
  ASSERT_NE(photos, nullptr);

  const EntryAt inside = EntryIn(photos.get(), Host("C:\\Fotos\\foto.jpg"));
  EXPECT_EQ(inside.folder, photos->fd());
  EXPECT_EQ(inside.name, "foto.jpg");
  for (const std::string& elsewhere :
       {Host("C:\\Fotos\\2010\\foto.jpg"), Host("C:\\Fotos2\\foto.jpg"), Host("C:\\foto.jpg"), Host("C:\\Fotos")}) {
    SCOPED_TRACE(elsewhere);
    const EntryAt whole = EntryIn(photos.get(), elsewhere);
    EXPECT_EQ(whole.folder, AT_FDCWD);
    EXPECT_EQ(whole.name, elsewhere);
  }
  const EntryAt none = EntryIn(nullptr, Host("C:\\Fotos\\foto.jpg"));
  EXPECT_EQ(none.folder, AT_FDCWD);
  EXPECT_EQ(none.name, Host("C:\\Fotos\\foto.jpg"));
}

// A folder removed and made again under its name is the new one, and so is
// everything below it; a sibling whose name merely begins the same stays.
TEST_F(OpenFoldersTest, AForgottenFolderAndWhatWasBelowItAreOpenedAnewButNotItsSiblings) {
  drives_.MakeFolder("C:\\Fotos\\2010");
  drives_.MakeFolder("C:\\Fotos2");
  OpenFolders folders;
  const OpenFolderRef photos = folders.Open(Host("C:\\Fotos"));
  const OpenFolderRef year = folders.Open(Host("C:\\Fotos\\2010"));
  const OpenFolderRef sibling = folders.Open(Host("C:\\Fotos2"));
  ASSERT_NE(photos, nullptr);
  ASSERT_NE(year, nullptr);
  ASSERT_NE(sibling, nullptr);
  fs::remove_all(Host("C:\\Fotos"));
  drives_.MakeFolder("C:\\Fotos\\2010");

  folders.Forget(Host("C:\\Fotos"));
  ExpectTheFolderAt(folders.Open(Host("C:\\Fotos\\2010")), "C:\\Fotos\\2010");
  EXPECT_EQ(folders.Open(Host("C:\\Fotos2")), sibling);
}

// Beyond the host's limit every call goes by the whole path and meets the
// limit there, as it always did.
TEST_F(OpenFoldersTest, AFolderWhoseEntriesCouldPassTheHostsLimitIsNotHeld) {
  std::string deep = "C:";
  while (Host(deep).size() + 1 + NAME_MAX < PATH_MAX) deep += "\\" + std::string(200, 'p');
  drives_.MakeFolder(deep);
  OpenFolders folders;
  EXPECT_EQ(folders.Open(Host(deep)), nullptr);
  EXPECT_NE(folders.Open(Host("C:\\")), nullptr);
}

// The calls of a tree copy: folders made, one listed, files copied into
// them to be flushed with the operation.
TEST_F(OpenFoldersTest, NothingStaysOpenOnceATreeCopyHasFlushedItsWrites) {
  drives_.AddDrive('D');
  drives_.MakeFolder("D:\\Copia");
  drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
  drives_.WriteFile("C:\\Fotos\\2010\\b.jpg", "b");
  const std::unique_ptr<FileSystem> files = MakeLinuxFileSystem(drives_.table(), root_, 2);
  const int before = OpenFoldersOfProcess();

  files->CreateFolder("D:\\Copia\\Fotos");
  files->CreateFolder("D:\\Copia\\Fotos\\2010");
  FindData record;
  const FindHandle listing = files->FindFirstFileA("C:\\Fotos\\2010\\*.*", &record);
  ASSERT_NE(listing, kInvalidHandle);
  files->FindClose(listing);
  files->CopyWholeFile("C:\\Fotos\\a.jpg", "D:\\Copia\\Fotos\\a.jpg", Durability::kAtFlush);
  files->CopyWholeFile("C:\\Fotos\\2010\\b.jpg", "D:\\Copia\\Fotos\\2010\\b.jpg", Durability::kAtFlush);
  EXPECT_GT(OpenFoldersOfProcess(), before) << "the copy holds its folders while it runs";
  files->FlushWrites();

  EXPECT_EQ(OpenFoldersOfProcess(), before);
  EXPECT_EQ(drives_.ReadFile("D:\\Copia\\Fotos\\2010\\b.jpg"), "b");
}

// A backup that fails takes its set back; one made again at once under the
// same name, before the flush, is the new folder, not the removed one.
TEST_F(OpenFoldersTest, AFolderRemovedAndMadeAgainDuringTheCopyReceivesTheNextFiles) {
  drives_.AddDrive('D');
  drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
  const std::unique_ptr<FileSystem> files = MakeLinuxFileSystem(drives_.table(), root_, 0);
  files->CreateFolder("D:\\Copia");
  files->CopyWholeFile("C:\\Fotos\\a.jpg", "D:\\Copia\\a.jpg", Durability::kAtFlush);
  files->RemoveFile("D:\\Copia\\a.jpg");
  files->RemoveEmptyFolder("D:\\Copia");

  files->CreateFolder("D:\\Copia");
  files->CopyWholeFile("C:\\Fotos\\a.jpg", "D:\\Copia\\a.jpg", Durability::kAtFlush);
  files->FlushWrites();
  EXPECT_EQ(drives_.ReadFile("D:\\Copia\\a.jpg"), "a");
}

}  // namespace
}  // namespace bt
