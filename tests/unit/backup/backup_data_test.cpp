// Backing up an installation into a new date-and-time set.
#include <gtest/gtest.h>

#include "backup/backup_set.h"
#include "testing/faulty_file_system.h"
#include "tests/unit/backup/operation_fixture.h"

namespace bt {
namespace {

using doubles::OperationTest;
using doubles::StoppedClock;

constexpr const char* kSuccessTitle = "Operação concluída";
const std::string kSuccessText =
    "A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\n";

TEST(TimestampName, IsYearMonthDayUnderscoreHourMinuteSecondWithLeadingZeros) {
  StoppedClock clock;
  EXPECT_EQ(TimestampName(clock), "20090117_130904");
  clock.now = {2026, 12, 8, 0, 0, 0};
  EXPECT_EQ(TimestampName(clock), "20261208_000000");
  clock.now = {1999, 10, 31, 23, 59, 59};
  EXPECT_EQ(TimestampName(clock), "19991031_235959");
}

TEST(WithoutTrailingSeparator, RemovesExactlyOneAndRefusesEmptyText) {
  EXPECT_EQ(WithoutTrailingSeparator("C:\\"), "C:");
  EXPECT_EQ(WithoutTrailingSeparator("D:\\Copias"), "D:\\Copias");
  EXPECT_EQ(WithoutTrailingSeparator("C:\\A\\\\"), "C:\\A\\");
  try {
    WithoutTrailingSeparator("");
    FAIL() << "empty text accepted";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrInvalidCall);
  }
}

class BackupDataTest : public OperationTest {};

TEST_F(BackupDataTest, WithoutTheOptionOnlyTheDatabaseIsCopied) {
  MakeInstallation();
  drives_.MakeFolder("D:\\Copias");
  auto context = Context();

  BackupData(context, "D:\\Copias", false);

  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20090117_130904\\vendrial.mdb"), "banco original");
  EXPECT_FALSE(Exists("D:\\Copias\\20090117_130904\\tarvel.ini"));
  EXPECT_FALSE(Exists("D:\\Copias\\20090117_130904\\Fotos"));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, kSuccessTitle);
  EXPECT_EQ(boxes_.shown[0].text, kSuccessText + "D:\\Copias\\20090117_130904");
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::Information);
  EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::Ok);
}

TEST_F(BackupDataTest, WithTheOptionTheOptionsFileAndPhotosComeTooButNotThumbsDb) {
  MakeInstallation();
  drives_.MakeFolder("D:\\Copias");
  auto context = Context();

  BackupData(context, "D:\\Copias", true);

  const std::string set = "D:\\Copias\\20090117_130904";
  EXPECT_EQ(drives_.ReadFile(set + "\\vendrial.mdb"), "banco original");
  EXPECT_EQ(drives_.ReadFile(set + "\\tarvel.ini"), "[Opcoes]\nLoja=1\n");
  EXPECT_EQ(drives_.ReadFile(set + "\\Fotos\\produto1.jpg"), "foto 1");
  EXPECT_EQ(drives_.ReadFile(set + "\\Fotos\\2009\\produto2.jpg"), "foto 2");
  EXPECT_FALSE(Exists(set + "\\Fotos\\Thumbs.db"));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, kSuccessText + set);
}

TEST_F(BackupDataTest, ADriveRootLocationLosesItsSeparatorOnlyToGetItBackInTheJoin) {
  MakeInstallation();
  auto context = Context();

  BackupData(context, "D:\\", false);

  EXPECT_EQ(drives_.ReadFile("D:\\20090117_130904\\vendrial.mdb"), "banco original");
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, kSuccessText + "D:\\20090117_130904");
}

TEST_F(BackupDataTest, AnInstallationFolderEndingInASeparatorIsJoinedOnce) {
  MakeInstallation();
  drives_.MakeFolder("D:\\Copias");
  installation_ = "C:\\Tarvel\\";
  auto context = Context();

  BackupData(context, "D:\\Copias\\", true);

  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20090117_130904\\Fotos\\produto1.jpg"), "foto 1");
  EXPECT_EQ(boxes_.shown.back().text, kSuccessText + "D:\\Copias\\20090117_130904");
}

TEST_F(BackupDataTest, AnEmptyInstallationFolderOrLocationIsError5BeforeAnythingIsCreated) {
  MakeInstallation();
  drives_.MakeFolder("D:\\Copias");
  for (auto [installation, location] :
       {std::pair<std::string, std::string>{"", "D:\\Copias"}, {"C:\\Tarvel", ""}}) {
    installation_ = installation;
    auto context = Context();
    try {
      BackupData(context, location, true);
      FAIL() << "no failure";
    } catch (const AppError& e) {
      EXPECT_EQ(e.number(), kErrInvalidCall);
      // Tarvel 2.0 not found: the detail says what was looked for.
      if (installation.empty()) {
        EXPECT_NE(e.detail().find("Path\" da chave HKEY_LOCAL_MACHINE\\Software\\KESTAL\\Tarvel\\2.0"),
                  std::string::npos)
            << e.detail();
      }
    }
  }
  EXPECT_FALSE(Exists("D:\\Copias\\20090117_130904"));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(BackupDataTest, TwoBackupsInTheSameSecondShareOneSetAfterAnErrorMessage) {
  MakeInstallation();
  drives_.MakeFolder("D:\\Copias");
  auto context = Context();
  BackupData(context, "D:\\Copias", true);
  drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco com mais vendas");

  BackupData(context, "D:\\Copias", true);

  ASSERT_EQ(boxes_.shown.size(), 3u);
  EXPECT_EQ(boxes_.shown[1].title, "Erro");
  EXPECT_EQ(boxes_.shown[1].text,
            "Ocorreu um erro ao criar a pasta de destino:\nD:\\Copias\\20090117_130904");
  EXPECT_EQ(boxes_.shown[1].icon, MessageIcon::Error);
  EXPECT_EQ(boxes_.shown[2].title, kSuccessTitle);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20090117_130904\\vendrial.mdb"),
            "banco com mais vendas");
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20090117_130904\\Fotos\\2009\\produto2.jpg"), "foto 2");
}

TEST_F(BackupDataTest, AMissingLocationShowsTheErrorThenFailsAtTheFirstCopy) {
  MakeInstallation();
  auto context = Context();

  EXPECT_THROW(BackupData(context, "D:\\NaoExiste", false), AppError);

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, "Erro");
  EXPECT_FALSE(Exists("D:\\NaoExiste"));
}

TEST_F(BackupDataTest, AMissingDatabaseFailsWithoutASuccessMessage) {
  drives_.MakeFolder("C:\\Tarvel");
  drives_.MakeFolder("D:\\Copias");
  auto context = Context();

  try {
    BackupData(context, "D:\\Copias", false);
    FAIL() << "no failure";
  } catch (const AppError& e) {
    EXPECT_EQ(e.number(), kErrFileNotFound) << e.what();
  }
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(BackupDataTest, MissingPhotosFailTheBackupAndTakeBackTheSetItHadBegun) {
  drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco");
  drives_.WriteFile("C:\\Tarvel\\tarvel.ini", "ini");
  drives_.MakeFolder("D:\\Copias");
  auto context = Context();

  EXPECT_THROW(BackupData(context, "D:\\Copias", true), AppError);

  EXPECT_FALSE(Exists("D:\\Copias\\20090117_130904"));
  EXPECT_TRUE(Exists("D:\\Copias"));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(BackupDataTest, ALocationInsideThePhotoFolderIsRefusedBeforeAnythingIsCreated) {
  MakeInstallation();
  auto context = Context();

  BackupData(context, "c:\\tarvel\\FOTOS\\2009", true);

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, "Local incorreto");
  EXPECT_FALSE(Exists("C:\\Tarvel\\Fotos\\2009\\20090117_130904"));

  // Without the photos there is nothing to loop over.
  BackupData(context, "C:\\Tarvel\\Fotos\\2009", false);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\2009\\20090117_130904\\vendrial.mdb"),
            "banco original");
}

TEST_F(BackupDataTest, ABackupThatCannotReachTheDiskIsNotReportedDone) {
  MakeInstallation();
  drives_.MakeFolder("D:\\Copias");
  doubles::FaultyFileSystem faulty(*files_);
  faulty.FailOn(doubles::FsOp::FlushWrites, 1, AppError(kErrDeviceIo, "D:\\Copias"));
  OperationContext context{faulty, clock_, boxes_, [this] { return installation_; }};

  EXPECT_THROW(BackupData(context, "D:\\Copias", true), AppError);

  EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace bt
