// A folder lies inside another only if it is really there: two drives on
// two file systems are never inside each other, even where their folders
// share an inode number, as the roots of two tmpfs (or FUSE) mounts do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/linux/wine/drive_table.h"
#include "platform/linux/folder_identity.h"
#include "platform/linux/linux_file_system.h"
#include "testing/scratch_mount.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ScratchMount;

TEST(InsideByIdentity, TwoDrivesOnTwoMountsWhoseRootsShareAnInodeAreNotInsideEachOther) {
  ScratchMount first(ScratchMount::Kind::kTmpfs);
  ScratchMount second(ScratchMount::Kind::kTmpfs);
  if (!first.mounted() || !second.mounted()) GTEST_SKIP() << "no mounts: " << first.skipReason();
  struct stat a {}, b {};
  ASSERT_EQ(::stat(first.hostRoot().c_str(), &a), 0);
  ASSERT_EQ(::stat(second.hostRoot().c_str(), &b), 0);
  if (a.st_ino != b.st_ino) GTEST_SKIP() << "these tmpfs roots do not share an inode number";
  fs::create_directories(second.hostRoot() + "/Fotos/2009");
  const auto files = MakeLinuxFileSystem({{'E', first.hostRoot(), "E"}, {'F', second.hostRoot(), "F"}}, "/");

  EXPECT_FALSE(files->LiesWithin("F:\\Fotos\\2009", "E:\\"));
  EXPECT_FALSE(files->LiesWithin("F:\\", "E:\\"));
  EXPECT_FALSE(files->LiesWithin("E:\\Nova", "F:\\"));
  EXPECT_TRUE(files->LiesWithin("F:\\Fotos\\2009", "F:\\"));
  EXPECT_FALSE(HostFolderLiesWithin(second.hostRoot() + "/Fotos", first.hostRoot()));
}

}  // namespace
}  // namespace bt
