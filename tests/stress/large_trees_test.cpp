// Photo trees too large for the quick suite: a folder with more immediate
// subfolders than the copy can count (a clear overflow, error 6) and a tree
// of 100,000 photos (backed up whole). Run by scripts/stress.sh.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "backup/operations.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/reliability/installation_snapshot.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::RecordedBoxes;
using doubles::StoppedClock;
using doubles::TempDrives;

struct Scene {
  Scene() {
    drives.AddDrive('C');
    drives.AddDrive('D');
    drives.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco");
    drives.WriteFile("C:\\Tarvel\\tarvel.ini", "[Opcoes]\n");
    drives.MakeFolder("C:\\Tarvel\\Fotos");
    files = drives.MakeFileSystem();
  }
  int Backup() {
    StoppedClock clock;
    OperationContext context{*files, clock, boxes, [] { return std::string("C:\\Tarvel"); }};
    return doubles::ThrownNumber([&] { BackupData(context, "D:\\", true); });
  }
  bool Succeeded() const { return !boxes.shown.empty() && boxes.shown.back().title == "Operação concluída"; }

  TempDrives drives;
  std::unique_ptr<FileSystem> files;
  RecordedBoxes boxes;
};

TEST(LargeTrees, FortyThousandSubfoldersInOneFolderAreAClearOverflowNotASilentlyShortBackup) {
  Scene scene;
  const std::string many = scene.drives.Host("C:\\Tarvel\\Fotos\\Muitas");
  fs::create_directory(many);
  for (int i = 0; i < 40000; ++i) fs::create_directory(many + "/p" + std::to_string(i));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(scene.Backup(), kErrOverflow);
  EXPECT_FALSE(scene.Succeeded());
  std::printf("[ reliability ] 40,000 subfolders: overflow (6) after %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count()));
}

TEST(LargeTrees, AHundredThousandPhotosAreBackedUpEveryOneWhole) {
  Scene scene;
  const std::string photos = scene.drives.Host("C:\\Tarvel\\Fotos");
  for (int folder = 0; folder < 100; ++folder) {
    const std::string path = photos + "/" + std::to_string(2000 + folder);
    fs::create_directory(path);
    for (int i = 0; i < 1000; ++i) std::ofstream(path + "/f" + std::to_string(i) + ".jpg") << folder << ':' << i;
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(scene.Backup(), 0);
  EXPECT_TRUE(scene.Succeeded());
  const auto took = std::chrono::steady_clock::now() - start;
  const auto source = doubles::ReadTree(photos);
  const auto copied = doubles::ReadTree(scene.drives.Host("D:\\20090117_130904\\Fotos"));
  EXPECT_EQ(source.size(), 100000u);
  EXPECT_EQ(doubles::TreeDifference(source, copied), "");
  std::printf("[ reliability ] 100,000 photos backed up in %lld ms; 0 files lost or half-written\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

}  // namespace
}  // namespace bt
