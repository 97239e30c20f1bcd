// Restoring a backup set over the installation, and the refusals before it.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include "tests/unit/backup/operation_fixture.h"

namespace bt {
namespace {

using doubles::OperationTest;

const std::string kNotFoundText =
    "Este local não contém uma cópia de segurança do Tarvel 2.0.\n"
    "Selecione outro local que contenha uma cópia de segurança e tente novamente.";
const std::string kWrongPlaceText =
    "Você selecionou o local do arquivo original e não de uma cópia de segurança.\n"
    "Selecione um local que contenha uma cópia de segurança de tente novamente.";
const std::string kSuccessText =
    "A cópia de segurança foi recuperada com sucesso do seguinte local:\n";

class RestoreDataTest : public OperationTest {
 protected:
  // A full set under D:\Copias and an installation that has moved on since.
  void MakeSetAndChangedInstallation() {
    const std::string set = "D:\\Copias\\20090117_130904";
    drives_.WriteFile(set + "\\vendrial.mdb", "banco do backup");
    drives_.WriteFile(set + "\\tarvel.ini", "ini do backup");
    drives_.WriteFile(set + "\\Fotos\\produto1.jpg", "foto 1 do backup");
    drives_.WriteFile(set + "\\Fotos\\2009\\produto2.jpg", "foto 2 do backup");
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco atual");
    drives_.WriteFile("C:\\Tarvel\\tarvel.ini", "ini atual");
    drives_.WriteFile("C:\\Tarvel\\Fotos\\produto1.jpg", "foto 1 atual");
    drives_.WriteFile("C:\\Tarvel\\Fotos\\2009\\produto2.jpg", "foto 2 atual");
    drives_.WriteFile("C:\\Tarvel\\Fotos\\2009\\nova.jpg", "foto nova");
  }
  void ExpectInstallationUntouched() {
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco atual");
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\tarvel.ini"), "ini atual");
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\produto1.jpg"), "foto 1 atual");
  }
  void ExpectOnlyBox(const std::string& title, const std::string& text) {
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].title, title);
    EXPECT_EQ(boxes_.shown[0].text, text);
    EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::Ok);
  }
};

TEST_F(RestoreDataTest, AFullSetReplacesEverythingAndKeepsPhotosTheSetLacks) {
  MakeSetAndChangedInstallation();
  auto context = Context();

  RestoreData(context, "D:\\Copias\\20090117_130904", true);

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\tarvel.ini"), "ini do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\produto1.jpg"), "foto 1 do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\2009\\produto2.jpg"), "foto 2 do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\2009\\nova.jpg"), "foto nova");
  ExpectOnlyBox("Operação concluída", kSuccessText + "D:\\Copias\\20090117_130904");
}

TEST_F(RestoreDataTest, ATrailingSeparatorRestoresTheSameAndIsShownAsGiven) {
  MakeSetAndChangedInstallation();
  auto context = Context();

  RestoreData(context, "D:\\Copias\\20090117_130904\\", false);

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\tarvel.ini"), "ini atual");
  ExpectOnlyBox("Operação concluída", kSuccessText + "D:\\Copias\\20090117_130904\\");
}

TEST_F(RestoreDataTest, TheFolderHoldingTheSetsIsNotABackup) {
  MakeSetAndChangedInstallation();
  auto context = Context();

  RestoreData(context, "D:\\Copias", true);

  ExpectOnlyBox("Arquivo não encontrado", kNotFoundText);
  ExpectInstallationUntouched();
}

TEST_F(RestoreDataTest, TheInstallationFolderItselfIsRefusedInAnyLetterCase) {
  MakeSetAndChangedInstallation();
  for (const char* location : {"C:\\Tarvel", "c:\\TARVEL\\", "C:\\tarvel"}) {
    boxes_.shown.clear();
    auto context = Context();
    RestoreData(context, location, true);
    ExpectOnlyBox("Local incorreto", kWrongPlaceText);
  }
  ExpectInstallationUntouched();
}

TEST_F(RestoreDataTest, AHiddenDatabaseDoesNotMakeABackup) {
  MakeSetAndChangedInstallation();
  const std::string hidden = drives_.Host("D:\\Copias\\20090117_130904\\vendrial.mdb");
  ASSERT_EQ(setxattr(hidden.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0)
      << "the temporary folder's file system keeps no extended attributes";
  auto context = Context();

  RestoreData(context, "D:\\Copias\\20090117_130904", false);

  ExpectOnlyBox("Arquivo não encontrado", kNotFoundText);
  ExpectInstallationUntouched();
}

TEST_F(RestoreDataTest, ADatabaseOnlySetRestoresTheDatabaseAloneWithoutTheOption) {
  drives_.WriteFile("D:\\Copias\\Banco\\vendrial.mdb", "banco do backup");
  MakeSetAndChangedInstallation();
  auto context = Context();

  RestoreData(context, "D:\\Copias\\Banco", false);

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\tarvel.ini"), "ini atual");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\produto1.jpg"), "foto 1 atual");
}

TEST_F(RestoreDataTest, ASetLackingWhatTheOptionAsksForReplacesNothing) {
  drives_.WriteFile("D:\\Copias\\SoBanco\\vendrial.mdb", "banco do backup");
  drives_.WriteFile("D:\\Copias\\SemFotos\\vendrial.mdb", "banco do backup");
  drives_.WriteFile("D:\\Copias\\SemFotos\\tarvel.ini", "ini do backup");
  drives_.WriteFile("D:\\Copias\\SemIni\\vendrial.mdb", "banco do backup");
  drives_.MakeFolder("D:\\Copias\\SemIni\\Fotos");
  MakeSetAndChangedInstallation();

  struct Case {
    const char* set;
    const char* lacks;
  };
  for (Case c : {Case{"SoBanco", "não contém o arquivo de opções \"tarvel.ini\" e a pasta de fotos"},
                 Case{"SemFotos", "não contém a pasta de fotos \"Fotos\","},
                 Case{"SemIni", "não contém o arquivo de opções \"tarvel.ini\","}}) {
    boxes_.shown.clear();
    auto context = Context();
    RestoreData(context, std::string("D:\\Copias\\") + c.set, true);
    ASSERT_EQ(boxes_.shown.size(), 1u) << c.set;
    EXPECT_EQ(boxes_.shown[0].title, "Cópia de segurança incompleta");
    EXPECT_NE(boxes_.shown[0].text.find(c.lacks), std::string::npos) << boxes_.shown[0].text;
    EXPECT_NE(boxes_.shown[0].text.find("desmarque a opção \"Incluir fotos e opções no "
                                        "backup/restauração\""),
              std::string::npos);
    EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::Information);
  }
  ExpectInstallationUntouched();
}

TEST_F(RestoreDataTest, ADatabaseInAnotherLetterCaseIsReplacedNotDuplicated) {
  MakeSetAndChangedInstallation();
  std::filesystem::rename(drives_.Host("C:\\Tarvel\\vendrial.mdb"),
                          drives_.Host("C:\\Tarvel\\Vendrial.MDB"));
  auto context = Context();

  RestoreData(context, "D:\\Copias\\20090117_130904", false);

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Vendrial.MDB"), "banco do backup");
  EXPECT_FALSE(Exists("C:\\Tarvel\\vendrial.mdb"));
}

TEST_F(RestoreDataTest, AFailureInsideThePhotoCopyComesAfterDatabaseAndOptions) {
  MakeSetAndChangedInstallation();
  // The set holds a folder where the installation holds a file of that name.
  drives_.WriteFile("D:\\Copias\\20090117_130904\\Fotos\\capa\\a.jpg", "a");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\capa", "arquivo");
  auto context = Context();

  EXPECT_THROW(RestoreData(context, "D:\\Copias\\20090117_130904", true), AppError);

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\tarvel.ini"), "ini do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\capa"), "arquivo");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(RestoreDataTest, AnEmptyLocationOrInstallationIsError5BeforeAnyMessage) {
  MakeSetAndChangedInstallation();
  for (auto [installation, location] : {std::pair<std::string, std::string>{"C:\\Tarvel", ""},
                                        {"", "D:\\Copias\\20090117_130904"}}) {
    installation_ = installation;
    auto context = Context();
    try {
      RestoreData(context, location, true);
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
  EXPECT_TRUE(boxes_.shown.empty());
  ExpectInstallationUntouched();
}

}  // namespace
}  // namespace bt
