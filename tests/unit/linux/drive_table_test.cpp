#include "platform/linux/wine/drive_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/wine/mount_table.h"
#include "platform/linux/linux_file_system.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ThrownNumber;

// A Wine prefix as a new one looks, plus the entries that are not drives.
class FakeWinePrefix : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = scratch_.root() + "/prefix";
    fs::create_directories(prefix_ + "/drive_c/users");
    fs::create_directories(prefix_ + "/dosdevices");
    const std::string devices = prefix_ + "/dosdevices/";
    fs::create_directory_symlink("../drive_c", devices + "c:");
    fs::create_directory_symlink("/", devices + "z:");
    fs::create_symlink("/dev/ttyS0", devices + "com1");
    fs::create_symlink("/dev/sr0", devices + "d::");
    fs::create_directory_symlink(scratch_.root() + "/no-disk", devices + "a:");
    std::ofstream(devices + "e:") << "a file, not a link";
  }

  doubles::TempDrives scratch_;
  std::string prefix_;
};

TEST_F(FakeWinePrefix, EachLinkedLetterIsADriveAndNothingElseIs) {
  const DriveTable table = DriveTableFromWinePrefix(prefix_);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].letter, 'A');
  EXPECT_EQ(table[0].hostRoot, fs::weakly_canonical(scratch_.root() + "/no-disk").string());
  EXPECT_EQ(table[1].letter, 'C');
  EXPECT_EQ(table[1].hostRoot, fs::canonical(prefix_ + "/drive_c").string());  // relative to dosdevices
  EXPECT_EQ(table[1].label, table[1].hostRoot);
  EXPECT_EQ(table[2].letter, 'Z');
  EXPECT_EQ(table[2].hostRoot, "/");
}

TEST_F(FakeWinePrefix, ADriveWithoutItsFolderIsListedButDoesNotOpen) {
  const auto files = MakeLinuxFileSystem(DriveTableFromWinePrefix(prefix_), prefix_);
  std::string letters;
  for (const DriveInfo& drive : files->Drives()) letters += drive.letter;
  EXPECT_EQ(letters, "ACZ");
  EXPECT_EQ(ThrownNumber([&] { files->GetAttributes("A:\\"); }), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files->CurrentFolder('A'); }), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files->CreateFolder("A:\\Copias"); }), kErrDiskNotReady);
  EXPECT_EQ(files->GetAttributes("C:\\USERS") & kAttrDirectory, kAttrDirectory);
}

TEST_F(FakeWinePrefix, APrefixWithoutDosdevicesHasNoDrives) {
  EXPECT_TRUE(DriveTableFromWinePrefix(scratch_.root()).empty());
}

TEST_F(FakeWinePrefix, TheMachinesDrivesAreThoseOfItsPrefixOrTheHostsWithoutOne) {
  const DriveTable table = MachineDriveTable(prefix_);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[1].hostRoot, fs::canonical(prefix_ + "/drive_c").string());

  const DriveTable none = MachineDriveTable(scratch_.root() + "/nothing-here");
  ASSERT_FALSE(none.empty());
  EXPECT_EQ(none[0].letter, 'C');
  EXPECT_EQ(none[0].hostRoot, "/");
}

TEST(RemovableVolumes, MountPointsAreReadWithTheirEscapes) {
  const std::string mountinfo =
      "22 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "97 22 8:17 / /media/ana/PEN\\040DRIVE rw,nosuid - vfat /dev/sdb1 rw\n"
      "98 22 0:50 / /run/media/joao/CARTAO rw - exfat /dev/sdc1 rw";
  EXPECT_EQ(MountPointsOf(mountinfo),
            (std::vector<std::string>{"/", "/media/ana/PEN DRIVE", "/run/media/joao/CARTAO"}));
}

TEST(RemovableVolumes, EachVolumeGetsTheNextLetterFromD) {
  const DriveTable table = DriveTableWithoutPrefix(
      {"/", "/proc", "/run/media/joao/CARTAO", "/media/cdrom", "/media/ana/PEN DRIVE", "/media/ana/x/deeper",
       "/media/ana/PEN DRIVE", "/home/ana/media/ana/fake"});
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0].letter, 'C');
  EXPECT_EQ(table[0].hostRoot, "/");
  EXPECT_EQ(table[1].letter, 'D');
  EXPECT_EQ(table[1].hostRoot, "/media/ana/PEN DRIVE");
  EXPECT_EQ(table[1].label, "PEN DRIVE");
  EXPECT_EQ(table[2].letter, 'E');
  EXPECT_EQ(table[2].hostRoot, "/run/media/joao/CARTAO");
}

TEST(RemovableVolumes, LettersEndAtZ) {
  std::vector<std::string> points;
  for (int i = 0; i < 30; ++i) points.push_back("/media/u/v" + std::to_string(100 + i));
  const DriveTable table = DriveTableWithoutPrefix(points);
  ASSERT_EQ(table.size(), 24u);  // C, then D..Z
  EXPECT_EQ(table.back().letter, 'Z');
}

}  // namespace
}  // namespace bt
