#include "bench/bench_copy.h"

#include <gtest/gtest.h>

#include <fstream>

#include "bench/corpus.h"
#include "bench/deep_tree.h"
#include "platform/linux/linux_file_system.h"
#include "scratch_folder.h"

namespace bt::bench {
namespace {

TEST(BenchPaths, HostPathsLieOnDriveCOverTheRoot) {
  EXPECT_EQ(WindowsPathOnRootDrive("/var/tmp/Fotos"), "C:\\var\\tmp\\Fotos");
  EXPECT_EQ(WindowsPathOnRootDrive("/var/tmp/Fotos/", false), "C:\\var\\tmp\\Fotos");
  EXPECT_EQ(WindowsPathOnRootDrive("/var/tmp/Fotos", true), "C:\\var\\tmp\\Fotos\\");
  EXPECT_EQ(WindowsPathOnRootDrive("/", true), "C:\\");
  EXPECT_THROW(WindowsPathOnRootDrive("Fotos"), std::invalid_argument);
}

TEST(BenchCopy, ABackupOfASmallPhotoTreeCopiesEveryFileAndCountsEveryEntry) {
  ScratchFolder scratch;
  const CorpusPlan plan = PlanCorpus(CorpusShape{"tiny", 25, 6, 3, 10, 5000}, 11);
  WriteCorpus(plan, scratch.path() / "Fotos", 11);
  const auto files = MakeLinuxFileSystem(RootDriveTable(), "/");

  const CopyTiming timing = TimedCopy(*files, (scratch.path() / "Fotos").string(), (scratch.path() / "copia").string());

  EXPECT_EQ(timing.count, 1 + 25 + 6);  // the created destination, the files, the folders
  for (const PlannedFile& file : plan.files) {
    EXPECT_EQ(std::filesystem::file_size(scratch.path() / "copia" / file.path), file.bytes) << file.path;
  }
  EXPECT_GE(timing.copySeconds, 0);
  EXPECT_GE(timing.flushSeconds, 0);
}

TEST(BenchCopy, ARestoreReplacesTheFilesOfAnExistingTree) {
  ScratchFolder scratch;
  const CorpusPlan plan = PlanCorpus(CorpusShape{"tiny", 12, 3, 2, 10, 100}, 5);
  WriteCorpus(plan, scratch.path() / "copia", 5);
  WriteCorpus(plan, scratch.path() / "instalacao", 6);  // same names, other content
  const auto files = MakeLinuxFileSystem(RootDriveTable(), "/");

  const CopyTiming timing =
      TimedCopy(*files, (scratch.path() / "copia").string(), (scratch.path() / "instalacao").string());

  EXPECT_EQ(timing.count, 12 + 3);  // the destination existed
  for (const PlannedFile& file : plan.files) {
    std::ifstream a(scratch.path() / "copia" / file.path, std::ios::binary);
    std::ifstream b(scratch.path() / "instalacao" / file.path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}))
        << file.path;
  }
}

TEST(BenchCopy, ADatabaseFileIsCopiedToExactlyTheGivenPath) {
  ScratchFolder scratch;
  std::ofstream(scratch.path() / "vendrial.mdb", std::ios::binary) << "dados";
  const auto files = MakeLinuxFileSystem(RootDriveTable(), "/");
  const CopyTiming timing =
      TimedCopy(*files, (scratch.path() / "vendrial.mdb").string(), (scratch.path() / "copia.mdb").string());
  EXPECT_EQ(timing.count, 1);
  EXPECT_EQ(std::filesystem::file_size(scratch.path() / "copia.mdb"), 5u);
}

// The copy descends one call per level; a deep tree must neither overflow
// the stack nor stop short of its deepest file.
TEST(BenchCopy, ATreeAThousandFoldersDeepIsCopiedToItsBottom) {
  ScratchFolder scratch;
  MakeDeepTree(scratch.path() / "origem", 1000, "fundo");
  const auto files = MakeLinuxFileSystem(RootDriveTable(), "/");
  const CopyTiming timing =
      TimedCopy(*files, (scratch.path() / "origem").string(), (scratch.path() / "copia").string());
  EXPECT_EQ(timing.count, 1 + 1000 + 1);
  EXPECT_EQ(DeepestMarker(scratch.path() / "copia", 1000), "fundo");
  EXPECT_EQ(DeepestMarker(scratch.path() / "copia", 999), "");
}

}  // namespace
}  // namespace bt::bench
