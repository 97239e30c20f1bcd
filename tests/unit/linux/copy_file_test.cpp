// CopyWholeFile: what a copy leaves behind, and what it refuses to do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform/linux/dos_attributes.h"
#include "platform/linux/host_calls.h"
#include "platform/linux/temporary_file.h"
#include "platform/linux/linux_file_system.h"
#include "testing/host_conditions.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ExtendedAttribute;
using doubles::SetExtendedAttribute;
using doubles::ThrownNumber;

// True when a temporary copy file was left anywhere under the drives.
bool TemporaryFilesLeft(const std::string& root) {
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().filename().string().starts_with(".BackupTarvel-")) return true;
  }
  return false;
}

class CopyWholeFile : public ::testing::Test {
 protected:
  CopyWholeFile() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "dados novos");
    drives_.MakeFolder("D:\\Copias");
    files_ = drives_.MakeFileSystem();
  }
  void TearDown() override { EXPECT_FALSE(TemporaryFilesLeft(drives_.root())); }

  std::string Host(const std::string& path) const { return drives_.Host(path); }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(CopyWholeFile, ANewCopyKeepsTimePermissionsAndDosattrib) {
  const std::string source = Host("C:\\Tarvel\\vendrial.mdb");
  const auto lastYear = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365) + std::chrono::nanoseconds(123);
  fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  SetExtendedAttribute(source, kDosAttribXattr, "0x22");
  fs::last_write_time(source, lastYear);

  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\vendrial.mdb");

  const std::string copy = Host("D:\\Copias\\vendrial.mdb");
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\vendrial.mdb"), "dados novos");
  EXPECT_EQ(fs::last_write_time(copy), lastYear);
  EXPECT_EQ(fs::status(copy).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ExtendedAttribute(copy, kDosAttribXattr), "0x22");
  EXPECT_EQ(files_->GetAttributes("D:\\Copias\\vendrial.mdb"), kAttrArchive | kAttrHidden);
}

TEST_F(CopyWholeFile, ReplacingAFileLeavesOnlyTheNewContent) {
  drives_.WriteFile("D:\\Copias\\vendrial.mdb", "dados antigos, mais longos que os novos");
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\vendrial.mdb");
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\vendrial.mdb"), "dados novos");
  EXPECT_EQ(doubles::HostNames(Host("D:\\Copias")), std::vector<std::string>{"vendrial.mdb"});
}

TEST_F(CopyWholeFile, ALargeFileArrivesWhole) {
  std::string content(5 << 20, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7919 % 251);
  drives_.WriteFile("C:\\grande.bin", content);
  files_->CopyWholeFile("C:\\grande.bin", "D:\\grande.bin");
  EXPECT_TRUE(drives_.ReadFile("D:\\grande.bin") == content);
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\grande.bin");
  EXPECT_EQ(drives_.ReadFile("D:\\grande.bin"), "dados novos");
}

TEST_F(CopyWholeFile, AnEmptyFileIsCopiedEmpty) {
  drives_.WriteFile("C:\\vazio.txt", "");
  files_->CopyWholeFile("C:\\vazio.txt", "D:\\vazio.txt");
  EXPECT_TRUE(fs::is_regular_file(Host("D:\\vazio.txt")));
  EXPECT_EQ(fs::file_size(Host("D:\\vazio.txt")), 0u);
}

TEST_F(CopyWholeFile, AFileIsNeverCopiedOntoItself) {
  fs::create_symlink(Host("C:\\Tarvel\\vendrial.mdb"), Host("C:\\atalho.mdb"));
  fs::create_hard_link(Host("C:\\Tarvel\\vendrial.mdb"), Host("C:\\vinculo.mdb"));
  for (const char* destination : {"C:\\Tarvel\\vendrial.mdb", "C:\\TARVEL\\Vendrial.MDB", "C:\\atalho.mdb",
                                  "C:\\vinculo.mdb"}) {
    EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", destination); }),
              kErrPermissionDenied)
        << destination;
  }
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\atalho.mdb", "C:\\Tarvel\\vendrial.mdb"); }),
            kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "dados novos");
  EXPECT_TRUE(fs::is_symlink(Host("C:\\atalho.mdb")));
}

TEST_F(CopyWholeFile, AReadOnlyDestinationIsNotReplaced) {
  drives_.WriteFile("D:\\Copias\\vendrial.mdb", "protegido");
  fs::permissions(Host("D:\\Copias\\vendrial.mdb"), fs::perms::owner_read);
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\vendrial.mdb"); }),
            kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\vendrial.mdb"), "protegido");
}

TEST_F(CopyWholeFile, ACopyOfAReadOnlyFileIsReadOnlyToo) {
  fs::permissions(Host("C:\\Tarvel\\vendrial.mdb"), fs::perms::owner_read | fs::perms::group_read);
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\vendrial.mdb");
  EXPECT_EQ(files_->GetAttributes("D:\\Copias\\vendrial.mdb"), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\vendrial.mdb"), "dados novos");
}

TEST_F(CopyWholeFile, TheWayToTheFilesMustExist) {
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\tarvel.ini", "D:\\Copias\\tarvel.ini"); }),
            kErrFileNotFound);
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Nada\\tarvel.ini", "D:\\Copias\\tarvel.ini"); }),
            kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Nada\\vendrial.mdb"); }),
            kErrPathNotFound);
  EXPECT_FALSE(fs::exists(Host("D:\\Copias\\tarvel.ini")));
}

TEST_F(CopyWholeFile, FoldersAreNeitherCopiedNorReplaced) {
  drives_.MakeFolder("D:\\Copias\\vendrial.mdb");
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\vendrial.mdb"); }),
            kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\"); }),
            kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel", "D:\\Copias\\Tarvel"); }),
            kErrPermissionDenied);
  EXPECT_TRUE(fs::is_directory(Host("D:\\Copias\\vendrial.mdb")));
}

TEST_F(CopyWholeFile, ALinkAtTheDestinationKeepsLeadingToTheNewContent) {
  drives_.WriteFile("D:\\Dados\\vendrial.mdb", "antigo");
  fs::create_symlink(Host("D:\\Dados\\vendrial.mdb"), Host("D:\\Copias\\vendrial.mdb"));
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\vendrial.mdb");
  EXPECT_TRUE(fs::is_symlink(Host("D:\\Copias\\vendrial.mdb")));
  EXPECT_EQ(drives_.ReadFile("D:\\Dados\\vendrial.mdb"), "dados novos");
}

// As a user without root's rights, on drive C:.
class CopyWholeFileAsOrdinaryUser : public ::testing::Test {
 protected:
  CopyWholeFileAsOrdinaryUser() { drives_.AddDrive('C'); }

  doubles::OrdinaryUser user_;  // first: the drives' files are the user's
  doubles::TempDrives drives_;
};

// Without root's right to name any open file, the finished copy still
// takes its name, new or replacing, one file after another.
TEST_F(CopyWholeFileAsOrdinaryUser, ACompleteCopyTakesItsName) {
  drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "dados");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\a.jpg", "foto a");
  drives_.WriteFile("C:\\Copias\\vendrial.mdb", "antigo");
  const auto files = drives_.MakeFileSystem();
  files->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "C:\\Copias\\vendrial.mdb");
  files->CopyWholeFile("C:\\Tarvel\\Fotos\\a.jpg", "C:\\Copias\\a.jpg", Durability::kAtFlush,
                       DestinationLinks::kReplace);
  files->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "C:\\Copias\\novo.mdb");
  files->FlushWrites();
  EXPECT_EQ(drives_.ReadFile("C:\\Copias\\vendrial.mdb"), "dados");
  EXPECT_EQ(drives_.ReadFile("C:\\Copias\\a.jpg"), "foto a");
  EXPECT_EQ(drives_.ReadFile("C:\\Copias\\novo.mdb"), "dados");
  EXPECT_FALSE(TemporaryFilesLeft(drives_.root()));
}

// The ordinary user's way to name a finished copy on older kernels, which
// this machine's kernel never makes the copy take.
TEST(LinkThroughProc, NamesAnUnnamedFileButNeverTakesAnExistingName) {
  doubles::TempDrives drives;
  const std::string folder = drives.AddDrive('C');
  const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const auto unnamed = [&](const std::string& content) {
    const int fd = ::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    return fd;
  };
  const FileDescriptor first(unnamed("primeira"));
  ASSERT_EQ(LinkThroughProc(first.get(), dir.get(), "foto.jpg"), 0);
  const FileDescriptor second(unnamed("segunda"));
  EXPECT_EQ(LinkThroughProc(second.get(), dir.get(), "foto.jpg"), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(drives.ReadFile("C:\\foto.jpg"), "primeira");
}

TEST_F(CopyWholeFileAsOrdinaryUser, AnUnreadableSourceLeavesTheDestinationUntouched) {
  drives_.WriteFile("C:\\segredo.mdb", "novo");
  drives_.WriteFile("C:\\Copias\\segredo.mdb", "antigo");
  fs::permissions(drives_.Host("C:\\segredo.mdb"), fs::perms::none);
  const auto files = drives_.MakeFileSystem();
  EXPECT_EQ(ThrownNumber([&] { files->CopyWholeFile("C:\\segredo.mdb", "C:\\Copias\\segredo.mdb"); }),
            kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("C:\\Copias\\segredo.mdb"), "antigo");
  EXPECT_FALSE(TemporaryFilesLeft(drives_.root()));
}

TEST_F(CopyWholeFileAsOrdinaryUser, AFolderThatMayNotBeWrittenIsPermissionDenied) {
  drives_.WriteFile("C:\\a.mdb", "a");
  drives_.MakeFolder("C:\\Trancada");
  fs::permissions(drives_.Host("C:\\Trancada"), fs::perms::owner_read | fs::perms::owner_exec);
  const auto files = drives_.MakeFileSystem();
  EXPECT_EQ(ThrownNumber([&] { files->CopyWholeFile("C:\\a.mdb", "C:\\Trancada\\a.mdb"); }),
            kErrPermissionDenied);
}

TEST_F(CopyWholeFile, AWriteFailingHalfWayLeavesTheDestinationAsItWas) {
  drives_.WriteFile("C:\\grande.bin", std::string(200000, 'n'));
  drives_.WriteFile("D:\\Copias\\grande.bin", "antigo");
  {
    doubles::FileSizeLimit limit(65536);
    EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\grande.bin", "D:\\Copias\\grande.bin"); }),
              kErrPathFileAccess);  // EFBIG
    EXPECT_NE(ThrownNumber([&] { files_->CopyWholeFile("C:\\grande.bin", "D:\\Copias\\nova.bin"); }), 0);
  }
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\grande.bin"), "antigo");
  EXPECT_FALSE(fs::exists(Host("D:\\Copias\\nova.bin")));
  // TearDown checks that no temporary file was left behind.
}

// A source whose reading fails half-way: the process's own memory file
// fails with an I/O error at offset 0, after the temporary file exists.
TEST(CopyWholeFileFromTheKernel, AReadErrorLeavesTheDestinationAsItWas) {
  doubles::TempDrives drives;
  drives.AddDrive('C');
  drives.WriteFile("C:\\mem", "antigo");
  DriveTable table = drives.table();
  table.push_back({'P', "/proc/self", "/proc/self"});
  const auto files = MakeLinuxFileSystem(table, drives.root());
  EXPECT_EQ(ThrownNumber([&] { files->CopyWholeFile("P:\\mem", "C:\\mem"); }), kErrDeviceIo);
  EXPECT_EQ(drives.ReadFile("C:\\mem"), "antigo");
  EXPECT_FALSE(TemporaryFilesLeft(drives.root()));
  // A kernel file whose size reads as 0 still arrives whole.
  files->CopyWholeFile("P:\\status", "C:\\status");
  EXPECT_TRUE(drives.ReadFile("C:\\status").starts_with("Name:"));
}

TEST(CopyWholeFileAcrossFileSystems, TheCopyFallsBackToReadingAndWriting) {
  if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm here";
  doubles::TempDrives drives;
  drives.AddDrive('C');
  const std::string content(300000, 'x');
  drives.WriteFile("C:\\foto.jpg", content);
  std::string shm = "/dev/shm/bt-copy-XXXXXX";
  ASSERT_NE(mkdtemp(shm.data()), nullptr);
  DriveTable table = drives.table();
  table.push_back({'R', shm, shm});
  const auto files = MakeLinuxFileSystem(table, drives.root());
  files->CopyWholeFile("C:\\foto.jpg", "R:\\foto.jpg");
  files->CopyWholeFile("R:\\foto.jpg", "C:\\volta.jpg");
  std::ifstream in(shm + "/foto.jpg", std::ios::binary);
  const std::string copied((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove_all(shm);
  EXPECT_TRUE(copied == content);
  EXPECT_TRUE(drives.ReadFile("C:\\volta.jpg") == content);
}

}  // namespace
}  // namespace bt
