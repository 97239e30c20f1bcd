// Backup and restore driven through the window, as the user runs them:
// the buttons, the check box, the confirmation and every message box.
#include <gtest/gtest.h>

#include "tests/unit/app/app_scenario.h"

namespace bt {
namespace {

using doubles::RecordedMessage;

class OperationsWindowTest : public AppScenario {
 protected:
  void SetUp() override {
    LayInstallation();
    ASSERT_FALSE(Start("C:\\Copias").has_value());
    ASSERT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias");
  }
  const RecordedMessage& LastMessage() { return windows->messages().back(); }
  void ExpectIdle() {
    EXPECT_EQ(form().MousePointer(), kPointerDefault);
    EXPECT_TRUE(form().Enabled("cmdBackup"));
    EXPECT_TRUE(form().Enabled("cmdRestore"));
    EXPECT_TRUE(form().Enabled("cmdSair"));
  }

  const std::string set_ = "C:\\Copias\\20240305_140709";
};

TEST_F(OperationsWindowTest, FazerBackupWithTheBoxTickedCopiesEverythingAndReturnsToIdle) {
  form().SetChecked("chkIncluirTudo", 1);
  windows->QueueAnswer(MessageAnswer::Ok);

  form().Click("cmdBackup");

  EXPECT_EQ(drives.ReadFile(set_ + "\\vendrial.mdb"), "banco original");
  EXPECT_EQ(drives.ReadFile(set_ + "\\tarvel.ini"), "ini original");
  EXPECT_EQ(drives.ReadFile(set_ + "\\Fotos\\2024\\b.jpg"), "foto b");
  ASSERT_EQ(windows->messages().size(), 1u);
  EXPECT_EQ(LastMessage().title, "Operação concluída");
  EXPECT_EQ(LastMessage().text,
            "A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\n" +
                set_);
  EXPECT_EQ(LastMessage().pointerBehind, kPointerHourglass);
  ExpectIdle();
}

TEST_F(OperationsWindowTest, AClickDuringTheOperationDoesNothing) {
  form().SetChecked("chkIncluirTudo", 1);
  windows->QueueAnswer(MessageAnswer::Ok);
  int clicksTried = 0;
  windows->OnKeepResponsive([&] {
    ++clicksTried;
    form().Click("cmdBackup");
    form().Click("cmdRestore");
    form().Click("cmdSair");
  });

  form().Click("cmdBackup");

  EXPECT_GT(clicksTried, 2) << "the window was not kept responsive during the copy";
  EXPECT_EQ(windows->messages().size(), 1u);
  EXPECT_FALSE(windows->ended());
  ExpectIdle();
}

TEST_F(OperationsWindowTest, RestoreAnsweredNoChangesNothingAndNeverGoesBusy) {
  drives.WriteFile(set_ + "\\vendrial.mdb", "banco do backup");
  form().SetPath("dirLocal", set_);
  windows->QueueAnswer(MessageAnswer::No);

  form().Click("cmdRestore");

  ASSERT_EQ(windows->messages().size(), 1u);
  const RecordedMessage& question = LastMessage();
  EXPECT_EQ(question.title, "Substituir arquivos?");
  EXPECT_EQ(question.text,
            "Este procedimento substituirá os arquivos de dados atualmente disponíveis para o "
            "Tarvel 2.0 \npor esta cópia de segurança criada anteriormente. Tem certeza que "
            "deseja prosseguir?");
  EXPECT_EQ(question.icon, MessageIcon::Question);
  EXPECT_EQ(question.buttons, MessageButtons::YesNo);
  EXPECT_EQ(question.pointerBehind, kPointerDefault);
  EXPECT_EQ(drives.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
  ExpectIdle();
}

TEST_F(OperationsWindowTest, BackupThenRestoreBringsBackTheBackedUpFiles) {
  form().SetChecked("chkIncluirTudo", 1);
  windows->QueueAnswer(MessageAnswer::Ok);
  form().Click("cmdBackup");
  drives.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco estragado");
  drives.WriteFile("C:\\Tarvel\\Fotos\\2024\\b.jpg", "foto estragada");

  form().OpenFolder("dirLocal", "20240305_140709");
  EXPECT_EQ(form().Text("lblLocalExtenso"), set_);
  windows->QueueAnswer(MessageAnswer::Yes);
  windows->QueueAnswer(MessageAnswer::Ok);
  form().Click("cmdRestore");

  EXPECT_EQ(drives.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
  EXPECT_EQ(drives.ReadFile("C:\\Tarvel\\Fotos\\2024\\b.jpg"), "foto b");
  EXPECT_EQ(LastMessage().title, "Operação concluída");
  EXPECT_EQ(LastMessage().text,
            "A cópia de segurança foi recuperada com sucesso do seguinte local:\n" + set_);
  ExpectIdle();
}

TEST_F(OperationsWindowTest, RestoreRefusalsLeaveTheWindowIdle) {
  windows->QueueAnswer(MessageAnswer::Yes);
  windows->QueueAnswer(MessageAnswer::Ok);
  form().Click("cmdRestore");  // C:\Copias holds no backup
  EXPECT_EQ(LastMessage().title, "Arquivo não encontrado");
  ExpectIdle();

  form().SetPath("dirLocal", "C:\\TARVEL");
  windows->QueueAnswer(MessageAnswer::Yes);
  windows->QueueAnswer(MessageAnswer::Ok);
  form().Click("cmdRestore");
  EXPECT_EQ(LastMessage().title, "Local incorreto");
  ExpectIdle();
  EXPECT_EQ(drives.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
}

TEST_F(OperationsWindowTest, AFailureInsideThePhotoCopyIsReportedOverTheBusyWindow) {
  drives.WriteFile(set_ + "\\vendrial.mdb", "banco do backup");
  drives.WriteFile(set_ + "\\tarvel.ini", "ini do backup");
  drives.WriteFile(set_ + "\\Fotos\\capa\\x.jpg", "x");
  drives.WriteFile("C:\\Tarvel\\Fotos\\capa", "um arquivo onde o backup tem uma pasta");
  form().SetPath("dirLocal", set_);
  form().SetChecked("chkIncluirTudo", 1);
  windows->QueueAnswer(MessageAnswer::Yes);
  windows->QueueAnswer(MessageAnswer::Ok);

  EXPECT_EQ(EndsWith([&] { form().Click("cmdRestore"); }), 1);

  const RecordedMessage& report = LastMessage();
  EXPECT_EQ(report.icon, MessageIcon::Error);
  EXPECT_EQ(report.text.rfind("Erro em tempo de execução '", 0), 0u) << report.text;
  EXPECT_EQ(report.pointerBehind, kPointerHourglass);
  EXPECT_EQ(drives.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
}

TEST_F(OperationsWindowTest, AnInstallationNotFoundMakesBothOperationsFailWithError5) {
  SetInstallPath(std::nullopt);
  registry = doubles::MemoryRegistry();
  ASSERT_FALSE(Start("C:\\Copias").has_value());
  ASSERT_EQ(form().Text("lblLocalTarvel"), "");
  windows->QueueAnswer(MessageAnswer::Ok);

  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);

  EXPECT_EQ(LastMessage().text.rfind("Erro em tempo de execução '5':", 0), 0u)
      << LastMessage().text;
  EXPECT_EQ(drives.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
}

}  // namespace
}  // namespace bt
