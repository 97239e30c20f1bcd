// Failures that no procedure handles end at the top-level report.
#include <new>
#include <stdexcept>

#include "app/error_report.h"
#include "app/mod_backup_startup.h"
#include "tests/unit/app/app_scenario.h"

namespace bt {
namespace {

TEST(ErrorReportText, GivesNumberDescriptionAndDetailSeparatedByBlankLines) {
  EXPECT_EQ(ErrorReportText(61, "Disco cheio", ""),
            "Erro em tempo de execução '61':\n\nDisco cheio");
  EXPECT_EQ(ErrorReportText(76, "Caminho não encontrado", "D:\\Copias"),
            "Erro em tempo de execução '76':\n\nCaminho não encontrado\n\nD:\\Copias");
}

class TopLevelReport : public AppScenario {
 protected:
  void SetUp() override {
    SetInstallPath("C:\\Tarvel");
    ASSERT_EQ(Start(), std::nullopt);
  }

  // Puts a handler on cmdBackup that makes the window busy, then fails.
  template <typename Failure>
  void FailingOperation(Failure failure) {
    SetReportedHandler(frmBackup(), "cmdBackup", ControlEvent::Click, [failure] {
      EnableControls(false);
      failure();
      EnableControls(true);
    });
  }

  const doubles::RecordedMessage& OnlyBox() {
    EXPECT_EQ(windows->messages().size(), 1u);
    return windows->messages().at(0);
  }
};

TEST_F(TopLevelReport, AFailureInAnOperationIsShownOverTheBusyWindowAndEndsIt) {
  FailingOperation([] { throw AppError(kErrDiskFull, "D:\\Copias\\vendrial.mdb"); });
  windows->QueueAnswer(MessageAnswer::Ok);

  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);

  const doubles::RecordedMessage& box = OnlyBox();
  EXPECT_EQ(box.text,
            "Erro em tempo de execução '61':\n\nDisco cheio\n\nD:\\Copias\\vendrial.mdb");
  EXPECT_EQ(box.title, "BackupTarvel");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(box.buttons, MessageButtons::Ok);
  EXPECT_EQ(box.pointerBehind, kPointerHourglass);
  EXPECT_TRUE(box.windowVisible);
  EXPECT_FALSE(form().Enabled("cmdSair"));  // the handler's last step never ran
  EXPECT_EQ(windows->exitStatus(), 1);
}

struct RecordedLog final : DeveloperLog {
  std::vector<std::string> lines;
  void Append(const std::string& line) override { lines.push_back(line); }
};

TEST_F(TopLevelReport, TheHostsAccountGoesToTheDevelopersLogAndNeverToTheBox) {
  RecordedLog log;
  services->log = &log;
  FailingOperation([] {
    throw AppError(kErrFileNotFound, "Ao copiar \"C:\\Tarvel\\vendrial.mdb\"",
                   "open \"/home/loja/.wine/drive_c/Tarvel/vendrial.mdb\": No such file or directory");
  });
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);

  EXPECT_EQ(OnlyBox().text,
            "Erro em tempo de execução '53':\n\nArquivo não encontrado\n\n"
            "Ao copiar \"C:\\Tarvel\\vendrial.mdb\"");
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0],
            "2024-03-05 14:07:09 erro 53 (Arquivo não encontrado): Ao copiar \"C:\\Tarvel\\vendrial.mdb\" | "
            "open \"/home/loja/.wine/drive_c/Tarvel/vendrial.mdb\": No such file or directory");
}

TEST_F(TopLevelReport, AFailureWithoutDetailShowsNumberAndDescriptionOnly) {
  FailingOperation([] { throw AppError(kErrPermissionDenied); });
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);
  EXPECT_EQ(OnlyBox().text, "Erro em tempo de execução '70':\n\nPermissão negada");
}

TEST_F(TopLevelReport, LackOfMemoryIsReportedAsError7) {
  FailingOperation([] { throw std::bad_alloc(); });
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);
  EXPECT_EQ(OnlyBox().text, "Erro em tempo de execução '7':\n\nMemória insuficiente");
}

TEST_F(TopLevelReport, AnyOtherFailureIsReportedWithoutTheLibrarysEnglishMessage) {
  FailingOperation([] { throw std::runtime_error("vector::at"); });
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);
  EXPECT_EQ(OnlyBox().text, "Erro em tempo de execução '" + std::to_string(kErrUnclassified) +
                                "':\n\n" + DescriptionOf(kErrUnclassified));
}

TEST_F(TopLevelReport, AFailureOfANestedHandlerGoesToTheProcedureThatRaisedIt) {
  // dirLocal_Change is replaced by one that fails: drvLocal_Change's
  // fallback takes the failure of its step 2, so nothing is reported.
  SetReportedHandler(frmBackup(), "dirLocal", ControlEvent::Change,
                     [] { throw AppError(kErrPathNotFound); });
  form().ChooseDrive("drvLocal", "d:");
  EXPECT_TRUE(windows->messages().empty());
  EXPECT_FALSE(windows->ended());
  EXPECT_EQ(form().Drive("drvLocal").substr(0, 2), "c:");
  EXPECT_EQ(LastValidDrive, "c:");
}

TEST_F(TopLevelReport, AFailureOfTheFolderHandlerRaisedByTheUserIsReported) {
  SetReportedHandler(frmBackup(), "dirLocal", ControlEvent::Change,
                     [] { throw AppError(kErrPathNotFound, "dirLocal"); });
  drives.MakeFolder("C:\\Copias");
  form().SetPath("dirLocal", "C:\\");  // no change, no event; the list is read again
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] { form().OpenFolder("dirLocal", "Copias"); }), 1);
  EXPECT_EQ(OnlyBox().text, "Erro em tempo de execução '76':\n\nCaminho não encontrado\n\ndirLocal");
}

TEST_F(TopLevelReport, NestedRunsLeaveTheFailureToTheEnclosingOne) {
  bool handled = false;
  RunWithErrorReport(*services, [&] {
    try {
      RunWithErrorReport(*services, [] { throw AppError(kErrDiskNotReady); });
    } catch (const AppError& error) {
      handled = error.number() == kErrDiskNotReady;
    }
  });
  EXPECT_TRUE(handled);
  EXPECT_TRUE(windows->messages().empty());

  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] {
              RunWithErrorReport(*services, [&] {
                RunWithErrorReport(*services, [] { throw AppError(kErrDiskNotReady); });
              });
            }),
            1);
  EXPECT_EQ(windows->messages().size(), 1u);
}

TEST_F(TopLevelReport, AnUnscriptedBoxIsNeverSwallowedByTheReport) {
  FailingOperation([] { throw AppError(kErrDiskFull); });
  EXPECT_THROW(form().Click("cmdBackup"), doubles::UnexpectedMessageBox);
}

}  // namespace
}  // namespace bt
