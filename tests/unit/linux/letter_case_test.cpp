// Paths on the Linux drives ignore letter case, as Windows paths do.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/linux/folder_name_cache.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::HostNames;
using doubles::ThrownDetail;
using doubles::ThrownNumber;

class LetterCase : public ::testing::Test {
 protected:
  LetterCase() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\Vendrial.mdb", "instalado");
    drives_.MakeFolder("C:\\Tarvel\\Fotos");
    drives_.WriteFile("D:\\Copias\\20240607\\vendrial.mdb", "da copia");
    files_ = drives_.MakeFileSystem();
  }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(LetterCase, ARestoreReplacesTheFileWhateverTheCaseOfItsName) {
  files_->CopyWholeFile("D:\\Copias\\20240607\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb");
  EXPECT_EQ(HostNames(drives_.Host("C:\\Tarvel")).size(), 2u);  // Vendrial.mdb and Fotos, no second file
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Vendrial.mdb"), "da copia");
}

TEST_F(LetterCase, EveryNameOnTheWayIsFoundIgnoringCase) {
  EXPECT_EQ(files_->GetAttributes("c:\\TARVEL\\fotos"), kAttrDirectory);
  EXPECT_EQ(files_->GetAttributes("C:/tarvel/VENDRIAL.MDB"), kAttrArchive);
  files_->CopyWholeFile("d:\\COPIAS\\20240607\\Vendrial.MDB", "C:\\TARVEL\\FOTOS\\v.mdb");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\v.mdb"), "da copia");
}

TEST_F(LetterCase, CreatingAFolderThatExistsInAnotherCaseFails) {
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\TARVEL\\FOTOS"); }), kErrPathFileAccess);
  EXPECT_EQ(HostNames(drives_.Host("C:\\Tarvel")).size(), 2u);
}

TEST_F(LetterCase, AccentedAndOtherNonAsciiLettersFoldToo) {
  drives_.WriteFile("C:\\Tarvel\\Fotos\\ação\\Ícone.jpg", "x");
  drives_.MakeFolder("C:\\Tarvel\\Fotos\\москва");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos\\AÇÃO\\ÍCONE.JPG"), kAttrArchive);
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\Tarvel\\Fotos\\МОСКВА"); }), kErrPathFileAccess);
}

TEST_F(LetterCase, AnExactNameWinsOverItsCaseVariants) {
  drives_.WriteFile("C:\\Tarvel\\Fotos\\foto.jpg", "minuscula");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\FOTO.JPG", "maiuscula");
  EXPECT_TRUE(files_->OrdinaryFileExists("C:\\Tarvel\\Fotos\\foto.jpg"));
  files_->CopyWholeFile("C:\\Tarvel\\Fotos\\FOTO.JPG", "D:\\f.jpg");
  EXPECT_EQ(drives_.ReadFile("D:\\f.jpg"), "maiuscula");
}

TEST_F(LetterCase, SeveralVariantsAndNoExactNameIsAnErrorNamingThem) {
  drives_.WriteFile("C:\\Tarvel\\Fotos\\foto.jpg", "minuscula");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\FOTO.JPG", "maiuscula");
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\Tarvel\\Fotos\\Foto.jpg"); }), kErrPathFileAccess);
  const std::string detail = ThrownDetail([&] { files_->GetAttributes("C:\\Tarvel\\Fotos\\Foto.jpg"); });
  EXPECT_NE(detail.find("\"foto.jpg\""), std::string::npos) << detail;
  EXPECT_NE(detail.find("\"FOTO.JPG\""), std::string::npos) << detail;
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("D:\\Copias\\20240607\\vendrial.mdb",
                                                     "C:\\Tarvel\\Fotos\\Foto.jpg"); }),
            kErrPathFileAccess);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\foto.jpg"), "minuscula");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\FOTO.JPG"), "maiuscula");
  EXPECT_FALSE(files_->OrdinaryFileExists("C:\\Tarvel\\Fotos\\Foto.jpg"));
}

TEST_F(LetterCase, AFolderCopiedFromACaseSensitiveSourceKeepsBothVariants) {
  // Copying a.jpg's listing twin A.jpg must not replace the a.jpg just copied.
  drives_.WriteFile("C:\\Tarvel\\Fotos\\a.jpg", "um");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\A.jpg", "dois");
  files_->CreateFolder("D:\\Fotos");
  files_->CopyWholeFile("C:\\Tarvel\\Fotos\\a.jpg", "D:\\Fotos\\a.jpg");
  files_->CopyWholeFile("C:\\Tarvel\\Fotos\\A.jpg", "D:\\Fotos\\A.jpg");
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\a.jpg"), "um");
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\A.jpg"), "dois");
}

TEST_F(LetterCase, ANameFoundByCaseIsSeenAgainAfterAnotherProgramChangesTheFolder) {
  const std::string folder = drives_.Host("C:\\Tarvel\\Fotos");
  // An old folder, so that the name list read from it is trusted.
  fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\Tarvel\\Fotos\\RELATORIO.TXT"); }), kErrFileNotFound);
  drives_.WriteFile("C:\\Tarvel\\Fotos\\Relatorio.txt", "novo");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos\\RELATORIO.TXT"), kAttrArchive);
  fs::remove(folder + "/Relatorio.txt");
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\Tarvel\\Fotos\\RELATORIO.TXT"); }), kErrFileNotFound);
}

TEST_F(LetterCase, CarrierCharactersCannotLeaveTheDrive) {
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\\uF02E\uF02E\\fora"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\a\uF02Fb"); }), kErrPathFileAccess);
  EXPECT_FALSE(fs::exists(drives_.root() + "/fora"));
}

TEST_F(LetterCase, DotDotNeverClimbsAboveTheDrive) {
  files_->CreateFolder("C:\\..\\..\\fora");
  EXPECT_TRUE(fs::is_directory(drives_.Host("C:\\fora")));
  EXPECT_FALSE(fs::exists(drives_.root() + "/fora"));
  EXPECT_EQ(files_->GetAttributes("C:/Tarvel/../Tarvel/./Fotos/.."), kAttrDirectory);
}

// The folder name cache alone: copying many new files into one folder must
// not read the folder again for each of them.
TEST(FolderNameCache, OurOwnAdditionsDoNotMakeItReadTheFolderAgain) {
  doubles::TempDrives drives;
  const std::string folder = drives.AddDrive('C');
  FolderNameCache cache;
  for (int i = 0; i < 50; ++i) {
    const std::string name = "foto" + std::to_string(i) + ".jpg";
    EXPECT_EQ(cache.Matches(folder, CaseKey(name)), std::vector<std::string>{});
    const FolderNameCache::Change change = cache.BeginChange(folder);
    drives.WriteFile("C:\\" + name, "x");
    cache.EndChange(change, name);
  }
  EXPECT_LE(cache.reads(), 2u);
  EXPECT_EQ(cache.Matches(folder, CaseKey("FOTO7.JPG")), std::vector<std::string>{"foto7.jpg"});
}

TEST(FolderNameCache, AFolderChangedByAnotherProgramIsReadAgain) {
  doubles::TempDrives drives;
  const std::string folder = drives.AddDrive('C');
  fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
  FolderNameCache cache;
  EXPECT_EQ(cache.Matches(folder, CaseKey("A.TXT")), std::vector<std::string>{});
  EXPECT_EQ(cache.Matches(folder, CaseKey("A.TXT")), std::vector<std::string>{});
  EXPECT_EQ(cache.reads(), 1u);  // settled and unchanged: read once
  drives.WriteFile("C:\\a.txt", "theirs");
  EXPECT_EQ(cache.Matches(folder, CaseKey("A.TXT")), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(cache.reads(), 2u);
  EXPECT_EQ(cache.Matches(folder + "/nada", CaseKey("A.TXT")), std::nullopt);
}

// A folder the copy has just written into is known without a look; a name
// another program takes there meanwhile is met when the copy takes it, and
// replaced whole like any file found in a backup set.
TEST_F(LetterCase, ANameAnotherProgramTakesInAFolderTheCopyJustWroteIsReplacedWhole) {
  drives_.WriteFile("C:\\Tarvel\\Fotos\\a.jpg", "nossa a");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\b.jpg", "nossa b");
  files_->CreateFolder("D:\\Copias\\Novo");
  files_->CopyWholeFile("C:\\Tarvel\\Fotos\\a.jpg", "D:\\Copias\\Novo\\a.jpg", Durability::kAtFlush,
                        DestinationLinks::kReplace);
  files_->FinishCopies();
  drives_.WriteFile("D:\\Copias\\Novo\\b.jpg", "de outro programa");
  files_->CopyWholeFile("C:\\Tarvel\\Fotos\\b.jpg", "D:\\Copias\\Novo\\b.jpg", Durability::kAtFlush,
                        DestinationLinks::kReplace);
  files_->FlushWrites();
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\Novo\\b.jpg"), "nossa b");
  std::vector<std::string> names = HostNames(drives_.Host("D:\\Copias\\Novo"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "b.jpg"}));
}

// Only a name the folder surely lacks is answered without a look.
TEST(FolderNameCache, ANameTheFolderHoldsInAnyCaseIsNeverKnownAbsent) {
  doubles::TempDrives drives;
  const std::string folder = drives.AddDrive('C');
  drives.WriteFile("C:\\Deles.jpg", "x");
  FolderNameCache cache;
  EXPECT_FALSE(cache.KnownAbsent(folder, CaseKey("nada.jpg")));  // never read
  EXPECT_EQ(cache.Matches(folder, CaseKey("nada.jpg")), std::vector<std::string>{});
  EXPECT_FALSE(cache.KnownAbsent(folder, CaseKey("nada.jpg")));  // read, but not changed by us
  const FolderNameCache::Change change = cache.BeginChange(folder);
  drives.WriteFile("C:\\Nossa.jpg", "x");
  cache.EndChange(change, "Nossa.jpg");
  EXPECT_FALSE(cache.KnownAbsent(folder, CaseKey("NOSSA.JPG")));
  EXPECT_FALSE(cache.KnownAbsent(folder, CaseKey("deles.JPG")));
}

}  // namespace
}  // namespace bt
