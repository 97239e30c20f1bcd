// A backup set folder made in advance by someone else (its name is easy to
// predict), with links in it to lead the copies elsewhere. Inside a set the
// program never follows a link it did not make; the links of the
// installation itself and the location the user chose keep working.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

const char* const kSet = "D:\\Copias\\20090117_130904";

class PlantedSetTest : public doubles::OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    MakeInstallation();
    drives_.WriteFile("D:\\Importante\\contrato.doc", "contrato");
    drives_.MakeFolder(kSet);
  }
  int BackupFailure(bool includeAll) {
    auto context = Context();
    return doubles::ThrownNumber([&] { BackupData(context, "D:\\Copias", includeAll); });
  }
  std::string Set(const std::string& name) const { return std::string(kSet) + "\\" + name; }
};

TEST_F(PlantedSetTest, ALinkInThePlaceOfTheDatabaseIsReplacedItselfAndItsTargetKept) {
  fs::create_symlink(drives_.Host("D:\\Importante\\contrato.doc"), drives_.Host(Set("vendrial.mdb")));

  EXPECT_EQ(BackupFailure(false), 0);

  EXPECT_EQ(drives_.ReadFile("D:\\Importante\\contrato.doc"), "contrato");
  EXPECT_FALSE(fs::is_symlink(drives_.Host(Set("vendrial.mdb"))));
  EXPECT_EQ(drives_.ReadFile(Set("vendrial.mdb")), "banco original");
  EXPECT_EQ(boxes_.shown.front().title, "Erro") << "the set folder existed already";
  EXPECT_EQ(boxes_.shown.back().title, "Operação concluída");
}

TEST_F(PlantedSetTest, ALinkInThePlaceOfThePhotoFolderIsRefusedAndNothingGoesThrough) {
  fs::create_directory_symlink(drives_.Host("D:\\Importante"), drives_.Host(Set("Fotos")));

  EXPECT_EQ(BackupFailure(true), kErrPathFileAccess);

  EXPECT_FALSE(Exists("D:\\Importante\\produto1.jpg"));
  EXPECT_FALSE(Exists("D:\\Importante\\2009"));
  EXPECT_NE(boxes_.shown.back().title, "Operação concluída");
}

TEST_F(PlantedSetTest, ASetFolderThatIsItselfALinkIsRefusedBeforeAnyCopy) {
  fs::remove(drives_.Host(kSet));
  fs::create_directory_symlink(drives_.Host("D:\\Importante"), drives_.Host(kSet));

  EXPECT_EQ(BackupFailure(true), kErrPathFileAccess);

  EXPECT_FALSE(Exists("D:\\Importante\\vendrial.mdb"));
  EXPECT_FALSE(Exists("D:\\Importante\\Fotos"));
}

TEST_F(PlantedSetTest, TheInstallationsOwnLinksAndAChosenLinkLocationKeepWorking) {
  fs::remove(drives_.Host(kSet));
  // The photos kept on another disk through a link, as some shops do.
  fs::rename(drives_.Host("C:\\Tarvel\\Fotos"), drives_.Host("D:\\FotosReais"));
  fs::create_directory_symlink(drives_.Host("D:\\FotosReais"), drives_.Host("C:\\Tarvel\\Fotos"));
  // The location the user chose is a link itself.
  drives_.MakeFolder("D:\\Pendrive");
  fs::create_directory_symlink(drives_.Host("D:\\Pendrive"), drives_.Host("D:\\Copias2"));
  auto context = Context();

  BackupData(context, "D:\\Copias2", true);
  ASSERT_EQ(boxes_.shown.back().title, "Operação concluída");
  EXPECT_EQ(drives_.ReadFile("D:\\Pendrive\\20090117_130904\\Fotos\\2009\\produto2.jpg"), "foto 2");

  drives_.WriteFile("D:\\Pendrive\\20090117_130904\\Fotos\\2009\\produto2.jpg", "foto 2 restaurada");
  RestoreData(context, "D:\\Copias2\\20090117_130904", true);
  ASSERT_EQ(boxes_.shown.back().title, "Operação concluída");
  EXPECT_TRUE(fs::is_symlink(drives_.Host("C:\\Tarvel\\Fotos")));
  EXPECT_EQ(drives_.ReadFile("D:\\FotosReais\\2009\\produto2.jpg"), "foto 2 restaurada");
}

TEST_F(PlantedSetTest, ARestoreReplacesTheDatabaseThatTheInstallationKeepsThroughALink) {
  fs::rename(drives_.Host("C:\\Tarvel\\vendrial.mdb"), drives_.Host("D:\\Dados.mdb"));
  fs::create_symlink(drives_.Host("D:\\Dados.mdb"), drives_.Host("C:\\Tarvel\\vendrial.mdb"));
  drives_.WriteFile(Set("vendrial.mdb"), "banco do backup");
  auto context = Context();

  RestoreData(context, kSet, false);

  EXPECT_TRUE(fs::is_symlink(drives_.Host("C:\\Tarvel\\vendrial.mdb")));
  EXPECT_EQ(drives_.ReadFile("D:\\Dados.mdb"), "banco do backup");
}

}  // namespace
}  // namespace bt
