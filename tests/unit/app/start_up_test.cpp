// Starting the application: what the window shows when it first appears, and
// a start-up that cannot open drive C:.
#include <filesystem>

#include "app/error_report.h"
#include "app/mod_backup_startup.h"
#include "tests/unit/app/app_scenario.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

class StartUp : public AppScenario {};

TEST_F(StartUp, ShowsTheInstallationFolderAndTheRootOfCAsTheLocation) {
  SetInstallPath("C:\\Arquivos de programas\\Tarvel");
  ASSERT_EQ(Start(), std::nullopt);

  EXPECT_TRUE(form().Visible());
  EXPECT_EQ(windows->windowsCreated(), 1);
  EXPECT_EQ(form().Text("lblLocalTarvel"), "C:\\Arquivos de programas\\Tarvel");
  EXPECT_EQ(form().Path("dirLocal"), "C:\\");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\");
  EXPECT_EQ(form().Drive("drvLocal").substr(0, 2), "c:");
  EXPECT_EQ(LastValidDrive, "c:");
  EXPECT_TRUE(windows->messages().empty());
  EXPECT_FALSE(windows->ended());
}

TEST_F(StartUp, WithoutAnInstallationFolderTheLabelIsEmptyNotTheDesignText) {
  SetInstallPath(std::nullopt);
  ASSERT_EQ(Start(), std::nullopt);
  EXPECT_EQ(form().Text("lblLocalTarvel"), "");
  EXPECT_TRUE(windows->messages().empty());
}

TEST_F(StartUp, TheLocationLabelNeverKeepsItsDesignText) {
  SetInstallPath("C:\\Tarvel");
  ASSERT_EQ(Start(), std::nullopt);
  EXPECT_NE(form().Text("lblLocalExtenso"), "<Selecione o local do backup nas opções acima>");
  EXPECT_EQ(form().Text("lblLocalExtenso"), form().Path("dirLocal"));
}

TEST_F(StartUp, StartedInsideCopiasTheLocationIsThatFolder) {
  drives.MakeFolder("C:\\Copias\\Mensal");
  SetInstallPath("C:\\Tarvel");
  ASSERT_EQ(Start("C:\\Copias"), std::nullopt);
  EXPECT_EQ(form().Path("dirLocal"), "C:\\Copias");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias");
  EXPECT_EQ(LastValidDrive, "c:");
}

TEST_F(StartUp, TheWindowIsIdleWithTheCheckBoxAndListsEnabled) {
  SetInstallPath("C:\\Tarvel");
  ASSERT_EQ(Start(), std::nullopt);
  EXPECT_EQ(form().MousePointer(), kPointerDefault);
  for (const char* name : {"cmdBackup", "cmdRestore", "cmdSair", "chkIncluirTudo",
                           "drvLocal", "dirLocal"}) {
    EXPECT_TRUE(form().Enabled(name)) << name;
  }
}

TEST_F(StartUp, OnlyTheNamedHandlersAreRegistered) {
  SetInstallPath("C:\\Tarvel");
  ASSERT_EQ(Start(), std::nullopt);
  EXPECT_TRUE(form().HasHandler("cmdSair", ControlEvent::Click));
  EXPECT_TRUE(form().HasHandler("drvLocal", ControlEvent::Change));
  EXPECT_TRUE(form().HasHandler("dirLocal", ControlEvent::Change));
  EXPECT_FALSE(form().HasHandler("chkIncluirTudo", ControlEvent::Click));
}

TEST_F(StartUp, DriveCWithoutItsFolderIsReportedAndTheWindowNeverShows) {
  std::filesystem::remove_all(drives.Host("C:\\"));
  SetInstallPath("C:\\Tarvel");

  Prepare();
  const int expected = doubles::ThrownNumber([&] { files->GetAttributes("C:\\"); });
  ASSERT_NE(expected, 0);

  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(Launch(), 1);
  ASSERT_EQ(windows->messages().size(), 1u);
  const doubles::RecordedMessage& box = windows->messages()[0];
  EXPECT_EQ(box.title, "BackupTarvel");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(box.buttons, MessageButtons::Ok);
  const std::string expectedStart = "Erro em tempo de execução '" +
                                    std::to_string(expected) + "':\n\n" +
                                    DescriptionOf(expected);
  EXPECT_EQ(box.text.substr(0, expectedStart.size()), expectedStart) << box.text;
  EXPECT_FALSE(box.windowVisible);
  EXPECT_FALSE(windows->window() != nullptr && windows->window()->Visible());
  EXPECT_EQ(windows->exitStatus(), 1);
}

TEST_F(StartUp, AMachineWithoutDriveCIsReportedAsDeviceUnavailable) {
  doubles::TempDrives onlyD;
  onlyD.AddDrive('D');
  DropApplication();
  files = onlyD.MakeFileSystem();
  windows = std::make_unique<doubles::HeadlessWindowSystem>(*files);
  services = std::make_unique<Services>(Services{*windows, *files, registry, clock});
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(Launch(), 1);
  ASSERT_EQ(windows->messages().size(), 1u);
  const std::string expectedStart =
      "Erro em tempo de execução '68':\n\nDispositivo não disponível";
  EXPECT_EQ(windows->messages()[0].text.substr(0, expectedStart.size()), expectedStart);
  DropApplication();
}

TEST_F(StartUp, EachStartBeginsAfresh) {
  SetInstallPath("C:\\Tarvel");
  ASSERT_EQ(Start(), std::nullopt);
  form().ChooseDrive("drvLocal", "d:");
  ASSERT_EQ(LastValidDrive, "d:");
  ASSERT_EQ(Start(), std::nullopt);
  EXPECT_EQ(LastValidDrive, "c:");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\");
}

}  // namespace
}  // namespace bt
