// Two entries of a source folder never become one entry of the destination:
// whether two names are one is decided by what the destination's drive
// does, and refused (58) before anything of that folder is replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>

#include "copy/copy_files.h"
#include "platform/forwarding_file_system.h"
#include "testing/temp_drives.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

// A destination drive that takes two names for one by a rule the copy does
// not know: "_" and "-" are the same letter there.
class DriveWithItsOwnRule final : public ForwardingFileSystem {
 public:
  DriveWithItsOwnRule(FileSystem& target, const doubles::TempDrives& drives)
      : ForwardingFileSystem(target), drives_(drives) {}
  void CreateFolder(const std::string& path) override {
    if (path.rfind("D:", 0) == 0 && fs::exists(drives_.Host(Folded(path)))) {
      throw AppError(kErrPathFileAccess, "a pasta já existe");
    }
    ForwardingFileSystem::CreateFolder(Folded(path));
  }
  std::uint32_t GetAttributes(const std::string& path) override {
    return ForwardingFileSystem::GetAttributes(path.rfind("D:", 0) == 0 ? Folded(path) : path);
  }
  bool KeepsLetterCase(const std::string&) override { return keepsCase; }
  bool keepsCase = true;

 private:
  static std::string Folded(std::string path) {
    for (char& c : path) c = c == '_' ? '-' : c;
    return path;
  }
  const doubles::TempDrives& drives_;
};

class LetterCaseEntries : public ::testing::Test {
 protected:
  LetterCaseEntries() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    native_ = drives_.MakeFileSystem();
  }
  int Copy(FileSystem& files, const std::string& source, const std::string& destination) {
    try {
      CopyPath(files, source, destination);
    } catch (const AppError& error) {
      detail_ = error.detail();
      return error.number();
    }
    return 0;
  }
  bool Exists(const std::string& windowsPath) const { return fs::exists(drives_.Host(windowsPath)); }
  // Wine's own file calls cannot make two names that one upper-case form
  // covers: there the scenario cannot be set up.
  bool HostHolds(const std::string& windowsFolder, std::ptrdiff_t entries) const {
    const fs::directory_iterator folder(drives_.Host(windowsFolder));
    return std::distance(fs::begin(folder), fs::end(folder)) == entries;
  }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> native_;
  std::string detail_;
};

TEST_F(LetterCaseEntries, TwoPhotosThatWouldBothReplaceOneOfTheInstallationAreRefusedWithNothingReplaced) {
  drives_.WriteFile("D:\\Set\\Fotos\\a.jpg", "a do backup");
  drives_.WriteFile("D:\\Set\\Fotos\\foto.jpg", "foto minuscula");
  drives_.WriteFile("D:\\Set\\Fotos\\Foto.jpg", "foto maiuscula");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\a.jpg", "a instalada");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\FOTO.JPG", "foto instalada");
  if (!HostHolds("D:\\Set\\Fotos", 3)) GTEST_SKIP() << "this host cannot hold foto.jpg beside Foto.jpg";

  EXPECT_EQ(Copy(*native_, "D:\\Set\\Fotos\\", "C:\\Tarvel\\Fotos"), kErrFileExists);

  EXPECT_NE(detail_.find("D:\\Set\\Fotos\\foto.jpg"), std::string::npos) << detail_;
  EXPECT_NE(detail_.find("D:\\Set\\Fotos\\Foto.jpg"), std::string::npos) << detail_;
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\FOTO.JPG"), "foto instalada");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\a.jpg"), "a instalada");
}

TEST_F(LetterCaseEntries, ADriveThatKeepsLetterCaseGivesEachPhotoItsOwnNameBesideAnExactOne) {
  drives_.WriteFile("D:\\Set\\Fotos\\foto.jpg", "foto minuscula");
  drives_.WriteFile("D:\\Set\\Fotos\\Foto.jpg", "foto maiuscula");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\foto.jpg", "foto instalada");
  if (!HostHolds("D:\\Set\\Fotos", 2)) GTEST_SKIP() << "this host cannot hold foto.jpg beside Foto.jpg";
  if (!native_->KeepsLetterCase("C:\\Tarvel\\Fotos")) GTEST_SKIP() << "the destination ignores letter case";

  EXPECT_EQ(Copy(*native_, "D:\\Set\\Fotos\\", "C:\\Tarvel\\Fotos"), 0) << detail_;

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\foto.jpg"), "foto minuscula");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\Foto.jpg"), "foto maiuscula");
}

TEST_F(LetterCaseEntries, ADriveThatCannotKeepThemApartGetsNeitherPhoto) {
  drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
  drives_.WriteFile("C:\\Fotos\\b.jpg", "b");
  drives_.WriteFile("C:\\Fotos\\B.jpg", "B");
  if (!HostHolds("C:\\Fotos", 3)) GTEST_SKIP() << "this host cannot hold b.jpg beside B.jpg";
  DriveWithItsOwnRule stick(*native_, drives_);
  stick.keepsCase = false;

  EXPECT_EQ(Copy(stick, "C:\\Fotos\\", "D:\\Fotos"), kErrFileExists);

  EXPECT_FALSE(Exists("D:\\Fotos\\a.jpg"));
  EXPECT_FALSE(Exists("D:\\Fotos\\b.jpg"));
  EXPECT_FALSE(Exists("D:\\Fotos\\B.jpg"));
}

TEST_F(LetterCaseEntries, FoldersThatOnlyUpperCaseMakeOneAreRefusedOnEveryDrive) {
  drives_.WriteFile("C:\\Fotos\\\xCF\x83\\x.jpg", "sigma");             // "σ"
  drives_.WriteFile("C:\\Fotos\\\xCF\x82\\x.jpg", "sigma final");       // "ς"
  if (!HostHolds("C:\\Fotos", 2)) GTEST_SKIP() << "this host cannot hold σ beside ς";

  EXPECT_EQ(Copy(*native_, "C:\\Fotos\\", "D:\\Fotos"), kErrFileExists);

  EXPECT_FALSE(Exists("D:\\Fotos\\\xCF\x83\\x.jpg"));
  EXPECT_FALSE(Exists("D:\\Fotos\\\xCF\x82\\x.jpg"));
}

TEST_F(LetterCaseEntries, AFolderTheDriveTakesForOneAlreadyCopiedIsRefusedNamingBoth) {
  drives_.WriteFile("C:\\Fotos\\Ano-2009\\x.jpg", "primeira");
  drives_.WriteFile("C:\\Fotos\\Ano_2009\\x.jpg", "segunda");
  DriveWithItsOwnRule stick(*native_, drives_);

  EXPECT_EQ(Copy(stick, "C:\\Fotos\\", "D:\\Fotos"), kErrFileExists);

  EXPECT_NE(detail_.find("C:\\Fotos\\Ano-2009"), std::string::npos) << detail_;
  EXPECT_NE(detail_.find("C:\\Fotos\\Ano_2009"), std::string::npos) << detail_;
  // Refused before either folder's photos went in.
  EXPECT_FALSE(Exists("D:\\Fotos\\Ano-2009\\x.jpg"));
}

// The copy cannot tell which folder the drive meant, nor whether another
// folder of the source went there too: it writes nothing into it.
TEST_F(LetterCaseEntries, AFolderTheDriveTakesForAnotherItDidNotExpectIsLeftAsItWas) {
  drives_.WriteFile("C:\\Set\\Fotos\\Ano_2009\\x.jpg", "do backup");
  drives_.WriteFile("D:\\Fotos\\Ano-2009\\x.jpg", "instalada");
  drives_.WriteFile("D:\\Fotos\\Ano-2009\\y.jpg", "fica");
  DriveWithItsOwnRule installed(*native_, drives_);

  EXPECT_EQ(Copy(installed, "C:\\Set\\Fotos\\", "D:\\Fotos"), kErrFileExists);

  EXPECT_NE(detail_.find("C:\\Set\\Fotos\\Ano_2009"), std::string::npos) << detail_;
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\Ano-2009\\x.jpg"), "instalada");
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\Ano-2009\\y.jpg"), "fica");
}

}  // namespace
}  // namespace bt
