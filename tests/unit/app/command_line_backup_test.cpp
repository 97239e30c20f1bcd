// A backup run from the command line, as a scheduler runs it: the same set
// as the window makes, what is printed, the exit status, the old sets it
// removes and the history line. And the history lines of the window's own
// operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line_backup.h"
#include "app/error_report.h"
#include "platform/forwarding_file_system.h"
#include "testing/faulty_file_system.h"
#include "testing/operation_elsewhere.h"
#include "tests/unit/app/app_scenario.h"
#include "tests/unit/app/printed_console.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

struct MemoryHistory final : HistoryLog {
  std::vector<std::string> lines;
  bool writable = true;
  bool Append(const std::string& line) override {
    if (writable) lines.push_back(line);
    return writable;
  }
  std::string Place() const override { return "/home/loja/.local/state/BackupTarvel/historico.log"; }
};

struct MemoryLog final : DeveloperLog {
  std::vector<std::string> lines;
  void Append(const std::string& line) override { lines.push_back(line); }
};

// The entries of a host folder and their contents, relative to it.
std::vector<std::pair<std::string, std::string>> Tree(const std::string& hostFolder) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& entry : fs::recursive_directory_iterator(hostFolder)) {
    std::string content = "<pasta>";
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      content.assign(std::istreambuf_iterator<char>(in), {});
    }
    entries.emplace_back(fs::relative(entry.path(), hostFolder).generic_string(), content);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

class CommandLineBackup : public AppScenario {
 protected:
  void SetUp() override {
    LayInstallation();
    drives.MakeFolder("D:\\Copias");
    cliFiles = drives.MakeFileSystem();
  }

  int Run(const std::vector<std::string>& arguments, const HostLocation& hostLocation = {}) {
    CommandLineServices cli{*cliFiles, registry, clock, &log, &history};
    cli.lockWait = lockWait;
    return RunCommandLineBackup(cli, ParseCommandLine(arguments), console, hostLocation);
  }

  std::vector<std::string> Entries(const std::string& windowsFolder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(drives.Host(windowsFolder))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<FileSystem> cliFiles;
  PrintedConsole console;
  MemoryHistory history;
  MemoryLog log;
  std::chrono::milliseconds lockWait{0};
  const std::string done = "A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\n";
};

TEST_F(CommandLineBackup, MakesTheSameSetAsTheWindowAndPrintsTheSuccessBoxsText) {
  ASSERT_FALSE(Start("C:\\Copias").has_value());
  form().SetChecked("chkIncluirTudo", 1);
  windows->QueueAnswer(MessageAnswer::Ok);
  form().Click("cmdBackup");
  ASSERT_EQ(windows->messages().size(), 1u);

  EXPECT_EQ(Run({"--backup", "D:\\Copias", "--fotos"}), 0);

  EXPECT_EQ(Tree(drives.Host("D:\\Copias\\20240305_140709")), Tree(drives.Host("C:\\Copias\\20240305_140709")));
  EXPECT_EQ(Tree(drives.Host("D:\\Copias\\20240305_140709")).size(), 6u);  // Thumbs.db left out, as ever
  EXPECT_EQ(windows->messages()[0].text, done + "C:\\Copias\\20240305_140709");
  EXPECT_EQ(console.out, done + "D:\\Copias\\20240305_140709\n");
  EXPECT_EQ(console.error, "");
}

TEST_F(CommandLineBackup, WithoutFotosOnlyTheDatabaseAndADriveRootLikeTheWindowShowsIt) {
  EXPECT_EQ(Run({"--backup", "D:\\"}), 0);

  EXPECT_EQ(Tree(drives.Host("D:\\20240305_140709")),
            (std::vector<std::pair<std::string, std::string>>{{"vendrial.mdb", "banco original"}}));
  EXPECT_EQ(console.out, done + "D:\\20240305_140709\n");
}

TEST_F(CommandLineBackup, EveryRunLeavesOneHistoryLine) {
  EXPECT_EQ(Run({"--backup", "D:\\Copias\\"}), 0);
  fs::remove(drives.Host("C:\\Tarvel\\vendrial.mdb"));
  EXPECT_EQ(Run({"--backup", "D:\\Copias\\"}), kErrFileNotFound);

  ASSERT_EQ(history.lines.size(), 2u);
  EXPECT_EQ(history.lines[0],
            "2024-03-05 14:07:09 | backup | linha de comando | D:\\Copias\\ | D:\\Copias\\20240305_140709 | concluído");
  EXPECT_TRUE(history.lines[1].starts_with(
      "2024-03-05 14:07:09 | backup | linha de comando | D:\\Copias\\ | - | erro 53 (Arquivo não encontrado): "))
      << history.lines[1];
}

TEST_F(CommandLineBackup, AFailedBackupPrintsTheReportLeavesNoSetAndRemovesNothing) {
  drives.WriteFile("D:\\Copias\\20240301_020000\\vendrial.mdb", "backup antigo");
  fs::remove(drives.Host("C:\\Tarvel\\tarvel.ini"));

  const int status = Run({"--backup", "D:\\Copias", "--fotos", "--manter", "1"});

  EXPECT_EQ(status, kErrFileNotFound);
  EXPECT_EQ(Entries("D:\\Copias"), (std::vector<std::string>{"20240301_020000"}));
  EXPECT_EQ(console.out, "");
  EXPECT_TRUE(console.error.starts_with("Erro em tempo de execução '53':\n\nArquivo não encontrado\n\nAo copiar "))
      << console.error;
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_TRUE(log.lines[0].starts_with("2024-03-05 14:07:09 erro 53 (Arquivo não encontrado): ")) << log.lines[0];
}

TEST_F(CommandLineBackup, WithoutTarvelInstalledItIsError5AndNothingIsMade) {
  registry = doubles::MemoryRegistry();

  EXPECT_EQ(Run({"--backup", "D:\\Copias"}), kErrInvalidCall);

  EXPECT_TRUE(Entries("D:\\Copias").empty());
  EXPECT_TRUE(console.error.starts_with("Erro em tempo de execução '5':\n\nChamada de procedimento ou argumento"))
      << console.error;
}

TEST_F(CommandLineBackup, ALocationInsideThePhotosIsRefusedWithStatus5AndTheBoxsText) {
  EXPECT_EQ(Run({"--backup", "C:\\Tarvel\\Fotos\\2024", "--fotos"}), kErrInvalidCall);

  EXPECT_EQ(Entries("C:\\Tarvel\\Fotos\\2024"), (std::vector<std::string>{"b.jpg"}));
  EXPECT_EQ(console.out, "");
  EXPECT_EQ(console.error,
            "O local do backup fica dentro da pasta de fotos do Tarvel 2.0, que seria copiada para dentro de si "
            "mesma.\nSelecione um local fora da pasta \"Fotos\" e tente novamente.\n");
  ASSERT_EQ(history.lines.size(), 1u);
  EXPECT_NE(history.lines[0].find("| - | recusado: Local incorreto: O local do backup fica dentro"), std::string::npos)
      << history.lines[0];
}

TEST_F(CommandLineBackup, AMissingLocationIsError76AsTheWindowWouldReportIt) {
  EXPECT_EQ(Run({"--backup", "D:\\Pendrive ausente"}), kErrPathNotFound);
  // As the window: the folder could not be made, then the report.
  EXPECT_TRUE(console.error.starts_with("Ocorreu um erro ao criar a pasta de destino:\nD:\\Pendrive ausente\\"
                                        "20240305_140709\nErro em tempo de execução '76':\n\nCaminho não encontrado"))
      << console.error;
  EXPECT_FALSE(fs::exists(drives.Host("D:\\Pendrive ausente")));
}

TEST_F(CommandLineBackup, AHostFolderIsTakenThroughTheDriveThatHoldsItAndOtherTextsAreRefused) {
  const HostLocation hostLocation = [](const std::string& text) -> std::optional<std::string> {
    if (text == "/media/loja/PENDRIVE/Copias") return "D:\\Copias";
    return std::nullopt;
  };
  EXPECT_EQ(Run({"--backup", "/media/loja/PENDRIVE/Copias"}, hostLocation), 0);
  EXPECT_EQ(console.out, done + "D:\\Copias\\20240305_140709\n");

  console = {};
  EXPECT_EQ(Run({"--backup", "/media/loja/OUTRO/Copias"}, hostLocation), kErrPathNotFound);
  EXPECT_EQ(Run({"--backup", "Copias"}), kErrPathNotFound);
  EXPECT_NE(console.error.find("O local \"Copias\" não é um caminho com a letra da unidade (como D:\\Copias)."),
            std::string::npos)
      << console.error;
}

TEST_F(CommandLineBackup, ManterKeepsTheNewestSetsCountingTheNewOne) {
  for (const char* old : {"20240301_020000", "20240302_020000", "20240303_020000"}) {
    drives.WriteFile(std::string("D:\\Copias\\") + old + "\\vendrial.mdb", "backup antigo");
  }
  drives.WriteFile("D:\\Copias\\20240101_000000\\Fotos\\x.jpg", "sem banco: não é um backup");

  EXPECT_EQ(Run({"--backup", "D:\\Copias", "--manter", "2"}), 0);

  EXPECT_EQ(Entries("D:\\Copias"), (std::vector<std::string>{"20240101_000000", "20240303_020000", "20240305_140709"}));
  EXPECT_EQ(console.out, done + "D:\\Copias\\20240305_140709\n");
  ASSERT_EQ(history.lines.size(), 1u);
  EXPECT_TRUE(history.lines[0].ends_with("| concluído; backups antigos apagados: 20240301_020000 20240302_020000"))
      << history.lines[0];
}

TEST_F(CommandLineBackup, AnOldSetThatCannotGoIsReportedAndTheStatusIsItsError) {
  drives.WriteFile("D:\\Copias\\20240301_020000\\vendrial.mdb", "backup antigo");
  doubles::FaultyFileSystem faulty(*cliFiles);
  faulty.FailOn(doubles::FsOp::RenameFolder, 1, AppError(kErrPermissionDenied, "Ao renomear a pasta"));
  CommandLineServices cli{faulty, registry, clock, &log, &history};

  const int status = RunCommandLineBackup(cli, ParseCommandLine({"--backup", "D:\\Copias", "--manter", "1"}), console);

  EXPECT_EQ(status, kErrPermissionDenied);
  EXPECT_EQ(console.out, done + "D:\\Copias\\20240305_140709\n");  // the backup itself was made
  EXPECT_EQ(console.error, ErrorReportText(kErrPermissionDenied, "Permissão negada",
                                           "Ao renomear a pasta\nO backup antigo \"D:\\Copias\\20240301_020000\" "
                                           "não foi apagado e continua inteiro.") +
                               "\n");
  EXPECT_EQ(drives.ReadFile("D:\\Copias\\20240301_020000\\vendrial.mdb"), "backup antigo");
  ASSERT_EQ(history.lines.size(), 1u);
  EXPECT_NE(history.lines[0].find("| concluído; não apagado D:\\Copias\\20240301_020000: erro 70"), std::string::npos)
      << history.lines[0];
}

TEST_F(CommandLineBackup, RetentionRunsWhileTheInstallationIsStillLocked) {
  drives.WriteFile("D:\\Copias\\20240301_020000\\vendrial.mdb", "backup antigo");
  std::optional<int> refusedDuringRetention;
  class WatchingRenames final : public ForwardingFileSystem {
   public:
    WatchingRenames(FileSystem& target, doubles::TempDrives& drives, std::optional<int>& refused)
        : ForwardingFileSystem(target), drives_(drives), refused_(refused) {}
    void RenameFolder(const std::string& path, const std::string& newName) override {
      doubles::OperationElsewhere other(drives_, "C:\\Tarvel");
      refused_ = other.refusal();
      ForwardingFileSystem::RenameFolder(path, newName);
    }

   private:
    doubles::TempDrives& drives_;
    std::optional<int>& refused_;
  } watching(*cliFiles, drives, refusedDuringRetention);
  CommandLineServices cli{watching, registry, clock, &log, &history};

  EXPECT_EQ(RunCommandLineBackup(cli, ParseCommandLine({"--backup", "D:\\Copias", "--manter", "1"}), console), 0);

  EXPECT_EQ(refusedDuringRetention, kErrPermissionDenied);
  EXPECT_EQ(Entries("D:\\Copias"), (std::vector<std::string>{"20240305_140709"}));
}

TEST_F(CommandLineBackup, WhileAnotherOperationHoldsTheInstallationItFailsWith70AfterItsWait) {
  doubles::OperationElsewhere other(drives, "C:\\Tarvel");

  EXPECT_EQ(Run({"--backup", "D:\\Copias"}), kErrPermissionDenied);

  EXPECT_EQ(console.error, ErrorReportText(kErrPermissionDenied, "Permissão negada", kOperationUnderWay) + "\n");
  EXPECT_TRUE(Entries("D:\\Copias").empty());
}

TEST_F(CommandLineBackup, AHistoryThatCannotBeWrittenIsToldAndChangesNothingElse) {
  history.writable = false;

  EXPECT_EQ(Run({"--backup", "D:\\Copias"}), 0);

  EXPECT_EQ(console.out, done + "D:\\Copias\\20240305_140709\n");
  EXPECT_EQ(console.error,
            "Aviso: não foi possível acrescentar a linha deste backup ao histórico "
            "\"/home/loja/.local/state/BackupTarvel/historico.log\".\n");
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_NE(log.lines[0].find("history line could not be written"), std::string::npos);
}

// The window's own operations write their lines too.
class WindowHistory : public CommandLineBackup {
 protected:
  void SetUp() override {
    CommandLineBackup::SetUp();
    ASSERT_FALSE(Start("C:\\Copias").has_value());
    services->history = &history;
    services->log = &log;
  }
};

TEST_F(WindowHistory, ABackupWritesItsLineBeforeTheSuccessBoxIsAnswered) {
  std::size_t linesWhileTheBoxWasOpen = 0;
  windows->OnMessage([&](const doubles::RecordedMessage&) { linesWhileTheBoxWasOpen = history.lines.size(); });
  windows->QueueAnswer(MessageAnswer::Ok);

  form().Click("cmdBackup");

  EXPECT_EQ(linesWhileTheBoxWasOpen, 1u);
  EXPECT_EQ(history.lines, (std::vector<std::string>{"2024-03-05 14:07:09 | backup | janela | C:\\Copias | "
                                                      "C:\\Copias\\20240305_140709 | concluído"}));
}

TEST_F(WindowHistory, AFailedBackupAndARestoreWriteTheirs) {
  fs::remove(drives.Host("C:\\Tarvel\\vendrial.mdb"));
  windows->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdBackup"); }), 1);
  ASSERT_EQ(history.lines.size(), 1u);
  EXPECT_TRUE(history.lines[0].starts_with("2024-03-05 14:07:09 | backup | janela | C:\\Copias | - | erro 53"))
      << history.lines[0];

  Prepare("C:\\Copias");
  ASSERT_FALSE(Launch().has_value());
  services->history = &history;
  drives.WriteFile("C:\\Copias\\20240101_000000\\vendrial.mdb", "banco do backup");
  form().SetPath("dirLocal", "C:\\Copias\\20240101_000000");
  windows->QueueAnswer(MessageAnswer::Yes);
  windows->QueueAnswer(MessageAnswer::Ok);
  form().Click("cmdRestore");

  ASSERT_EQ(history.lines.size(), 2u);
  EXPECT_EQ(history.lines[1], "2024-03-05 14:07:09 | restauração | janela | C:\\Copias\\20240101_000000 | "
                              "C:\\Copias\\20240101_000000 | concluído");
}

}  // namespace
}  // namespace bt
