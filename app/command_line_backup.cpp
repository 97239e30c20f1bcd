#include "app/command_line_backup.h"

#include <exception>
#include <vector>

#include "app/error_report.h"
#include "app/operation_history.h"
#include "backup/operations.h"
#include "backup/set_retention.h"
#include "install/install_setting.h"
#include "platform/message_box.h"

namespace bt {
namespace {

// The boxes a backup would show, kept to be printed.
class KeptBoxes final : public MessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string title;
    MessageIcon icon;
  };
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    shown.push_back({text, title, icon});
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  }
  std::vector<Box> shown;
};

bool IsWindowsPath(const std::string& text) {
  const bool letter = !text.empty() && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
  return letter && text.size() >= 2 && text[1] == ':';
}

// The location as the operations take it: a Windows path.
std::string WindowsLocation(const std::string& given, const HostLocation& hostLocation) {
  if (IsWindowsPath(given)) return given;
  if (hostLocation) {
    if (auto mapped = hostLocation(given)) return *mapped;
    throw AppError(kErrPathNotFound, "O local \"" + given +
                                         "\" não é uma pasta que exista em uma das unidades (como D:\\Copias "
                                         "ou /media/pendrive/Copias).");
  }
  throw AppError(kErrPathNotFound,
                 "O local \"" + given + "\" não é um caminho com a letra da unidade (como D:\\Copias).");
}

std::string ReportText(const ReportedFailure& failure) {
  return ErrorReportText(failure.number, failure.description, failure.detail) + "\n";
}

// An old set that could not be removed whole, as the report tells it.
ReportedFailure RemovalFailure(const SetRemovalFailure& failure) {
  std::string note = failure.leftover.empty()
                         ? "O backup antigo \"" + failure.set + "\" não foi apagado e continua inteiro."
                         : "O backup antigo \"" + failure.set + "\" foi apagado só em parte; o que restou está em \"" +
                               failure.leftover + "\" e pode ser apagado à mão.";
  const AppError& error = failure.error;
  return {error.number(), error.description(), error.detail().empty() ? note : error.detail() + "\n" + note,
          error.hostDetail()};
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

std::string RetentionOutcomeText(const RetentionOutcome& retention) {
  std::string text;
  if (!retention.removed.empty()) {
    text += "; backups antigos apagados:";
    for (const std::string& set : retention.removed) {
      text += ' ';
      text += NameOf(set);
    }
  }
  for (const SetRemovalFailure& failure : retention.failures) {
    // Appended piece by piece: GCC 12 at -O3 takes "text" + temporary for
    // an overlapping copy (a false -Wrestrict).
    text += "; não apagado ";
    text += failure.set;
    if (!failure.leftover.empty()) {
      text += " (restou ";
      text += failure.leftover;
      text += ')';
    }
    text += ": ";
    text += FailureOutcome(RemovalFailure(failure));
  }
  return text;
}

}  // namespace

std::optional<int> AnswerWithoutBackup(const CommandLine& line, Console& console) {
  switch (line.kind) {
    case CommandLine::Kind::kHelp:
      console.Out(UsageText());
      return 0;
    case CommandLine::Kind::kInvalid:
      console.Error("BackupTarvel: " + line.problem + "\n\n" + UsageText());
      return kExitUsage;
    default:
      return std::nullopt;
  }
}

int RunCommandLineBackup(CommandLineServices& services, const CommandLine& line, Console& console,
                         const HostLocation& hostLocation) {
  HistoryEntry entry{StartTime(services.clock), "backup", kByCommandLine, line.location, {}, {}};
  KeptBoxes boxes;
  RetentionOutcome retention;
  std::optional<std::string> backupSet;
  int status = 0;
  try {
    const std::string location = WindowsLocation(line.location, hostLocation);
    entry.location = location;
    const std::string installation = GetInstallSetting(services.registry, "Path");
    OperationContext context{services.files, services.clock, boxes, [&installation] { return installation; },
                             services.lockWait};
    if (line.keep > 0) {
      // Under the installation's lock, so that no other scheduled run
      // removes sets in the same place meanwhile.
      context.afterBackup = [&](const std::string& made) {
        const std::string setsFolder = made.substr(0, made.rfind('\\'));
        try {
          retention = KeepNewestSets(services.files, setsFolder, made, line.keep);
        } catch (const AppError& error) {
          retention.failures.push_back({setsFolder, "", error});
        }
      };
    }
    backupSet = BackupData(context, location, line.includeAll);
  } catch (const std::exception&) {
    const ReportedFailure failure = CurrentFailure();
    for (const KeptBoxes::Box& box : boxes.shown) console.Error(box.text + "\n");
    console.Error(ReportText(failure));
    if (services.log != nullptr) services.log->Append(ErrorLogLine(services.clock, failure));
    entry.outcome = FailureOutcome(failure);
    status = failure.number;
  }
  if (status == 0) {
    // The success box to the output; the others (a folder that could not
    // be created, a refused location) to the error.
    for (const KeptBoxes::Box& box : boxes.shown) {
      const bool success = backupSet && box.icon == MessageIcon::Information && &box == &boxes.shown.back();
      (success ? console.Out(box.text + "\n") : console.Error(box.text + "\n"));
    }
    if (!backupSet) {
      status = kErrInvalidCall;
      entry.outcome = "recusado: " + (boxes.shown.empty() ? std::string() : boxes.shown.back().title + ": " +
                                                                                  boxes.shown.back().text);
    } else {
      entry.set = *backupSet;
      entry.outcome = "concluído" + RetentionOutcomeText(retention);
      for (const SetRemovalFailure& failure : retention.failures) {
        const ReportedFailure reported = RemovalFailure(failure);
        console.Error(ReportText(reported));
        if (services.log != nullptr) services.log->Append(ErrorLogLine(services.clock, reported));
        if (status == 0) status = reported.number;
      }
    }
  }
  if (!RecordInHistory(services.history, services.log, entry)) {
    console.Error("Aviso: não foi possível acrescentar a linha deste backup ao histórico \"" +
                  services.history->Place() + "\".\n");
  }
  return status;
}

}  // namespace bt
