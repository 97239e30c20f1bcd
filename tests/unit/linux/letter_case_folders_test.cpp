// Whether a destination tells apart names that differ only in letter case
// is found out by what it does, on real disks; where it cannot be asked, it
// is taken to ignore case, the answer under which no two photos merge.
#include "platform/linux/letter_case_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "testing/host_conditions.h"
#include "testing/scratch_mount.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ScratchMount;

class ACaseKeepingDisk : public ::testing::TestWithParam<ScratchMount::Kind> {};

TEST_P(ACaseKeepingDisk, IsFoundToKeepLetterCaseAndTheProbeLeavesNothingBehind) {
  ScratchMount disk(GetParam());
  if (!disk.mounted()) GTEST_SKIP() << disk.skipReason();
  const std::string folder = disk.hostRoot() + "/Fotos";
  fs::create_directory(folder);

  EXPECT_TRUE(FolderKeepsLetterCase(folder));
  LetterCaseFolders folders;
  EXPECT_TRUE(folders.KeepsLetterCase(folder));
  EXPECT_TRUE(folders.KeepsLetterCase(disk.hostRoot()));
  EXPECT_TRUE(doubles::HostNames(folder).empty());
  EXPECT_EQ(doubles::HostNames(disk.hostRoot()), std::vector<std::string>{"Fotos"});
}

INSTANTIATE_TEST_SUITE_P(LetterCaseFolders, ACaseKeepingDisk,
                         ::testing::Values(ScratchMount::Kind::kXfsImage, ScratchMount::Kind::kTmpfs),
                         [](const auto& info) { return info.param == ScratchMount::Kind::kTmpfs ? "Tmpfs" : "Xfs"; });

TEST(LetterCaseFolders, AFolderThatMayNotBeWrittenIsTakenToIgnoreLetterCase) {
  doubles::TempDrives drives;
  const std::string folder = drives.AddDrive('D');
  ::chmod(drives.root().c_str(), 0755);  // a folder one may reach and read
  ::chmod(folder.c_str(), 0555);
  doubles::OrdinaryUser user;

  EXPECT_FALSE(FolderKeepsLetterCase(folder));
  LetterCaseFolders folders;
  EXPECT_FALSE(folders.KeepsLetterCase(folder));
  EXPECT_FALSE(FolderKeepsLetterCase(folder + "/nada")) << "a folder that does not exist";
}

}  // namespace
}  // namespace bt
