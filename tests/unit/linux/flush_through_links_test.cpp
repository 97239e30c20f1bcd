// "Operação concluída" means on the disk: the flush before success reaches
// the file system each copy was really written to, also when the copy went
// through a file link to another disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/file_system.h"
#include "platform/linux/file_copy.h"
#include "testing/scratch_mount.h"
#include "testing/temp_drives.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

// While alive, notes the file system of every syncfs the copies make.
class FlushedFileSystems {
 public:
  FlushedFileSystems() : saved_(CopyCalls()) {
    devices_.clear();
    CopyCalls().syncfs = [](int fd) {
      struct stat st {};
      if (::fstat(fd, &st) == 0) devices_.push_back(st.st_dev);
      return RealCopyCalls().syncfs(fd);
    };
  }
  ~FlushedFileSystems() { CopyCalls() = saved_; }
  FlushedFileSystems(const FlushedFileSystems&) = delete;
  FlushedFileSystems& operator=(const FlushedFileSystems&) = delete;

  bool Flushed(const std::string& hostPath) const {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 &&
           std::find(devices_.begin(), devices_.end(), st.st_dev) != devices_.end();
  }

 private:
  HostCopyCalls saved_;
  static inline std::vector<dev_t> devices_;
};

TEST(FlushBeforeSuccess, APhotoReplacedThroughAFileLinkOnAnotherDiskIsFlushedOnThatDisk) {
  doubles::ScratchMount otherDisk(doubles::ScratchMount::Kind::kTmpfs);
  if (!otherDisk.mounted()) GTEST_SKIP() << "no second disk: " << otherDisk.skipReason();
  doubles::TempDrives drives;
  drives.AddDrive('C');
  drives.AddDrive('D');
  drives.WriteFile("C:\\Tarvel\\Fotos\\capa.jpg", "capa antiga");
  const std::string target = otherDisk.hostRoot() + "/produto.jpg";
  std::ofstream(target) << "foto antiga";
  fs::create_symlink(target, drives.Host("C:\\Tarvel\\Fotos\\produto.jpg"));
  drives.WriteFile("D:\\Copia\\Fotos\\capa.jpg", "capa do backup");
  drives.WriteFile("D:\\Copia\\Fotos\\produto.jpg", "foto do backup");
  const auto files = drives.MakeFileSystem();
  FlushedFileSystems flushed;

  for (const char* name : {"capa.jpg", "produto.jpg"}) {
    files->CopyWholeFile(std::string("D:\\Copia\\Fotos\\") + name, std::string("C:\\Tarvel\\Fotos\\") + name,
                         Durability::kAtFlush, DestinationLinks::kFollow);
  }
  files->FlushWrites();

  EXPECT_TRUE(flushed.Flushed(otherDisk.hostRoot())) << "the disk the link leads to";
  EXPECT_TRUE(flushed.Flushed(drives.Host("C:\\Tarvel\\Fotos"))) << "the installation's own disk";
  EXPECT_TRUE(fs::is_symlink(drives.Host("C:\\Tarvel\\Fotos\\produto.jpg")));
  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "foto do backup");
}

}  // namespace
}  // namespace bt
