#include "app/operation_handlers.h"

#include <chrono>
#include <exception>
#include <optional>

#include "app/error_report.h"
#include "app/frm_backup.h"
#include "app/operation_history.h"
#include "app/responsive_file_system.h"
#include "backup/operations.h"

namespace bt {
namespace {

// How long a button waits, the hourglass showing, for another backup or
// restore of the installation (another user's, a scheduled one) to end.
constexpr std::chrono::seconds kOtherOperationWait{30};

// The window's boxes, the last one remembered: how the operation ended.
class NotedBoxes final : public MessageBoxes {
 public:
  explicit NotedBoxes(MessageBoxes& target) : target_(target) {}
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    lastTitle = title;
    lastText = text;
    return target_.ShowMessage(text, title, icon, buttons);
  }
  std::string lastTitle;
  std::string lastText;

 private:
  MessageBoxes& target_;
};

struct WindowOperation {
  explicit WindowOperation(const char* operation) : entry{StartTime(AppServices().clock), operation, kByWindow, location, {}, {}} {}

  void Record(std::string outcome) {
    entry.outcome = std::move(outcome);
    RecordInHistory(AppServices().history, AppServices().log, entry);
  }
  // From inside a catch block.
  void RecordFailure() { Record(FailureOutcome(CurrentFailure())); }
  std::string Refusal() const { return "recusado: " + boxes.lastTitle + ": " + boxes.lastText; }

  ResponsiveFileSystem files{AppServices().files, AppServices().windows};
  NotedBoxes boxes{AppServices().windows};
  OperationContext context{files, AppServices().clock, boxes,
                           [] { return frmBackup().Text("lblLocalTarvel"); }, kOtherOperationWait};
  std::string location = frmBackup().Text("lblLocalExtenso");
  bool includeAll = frmBackup().Value("chkIncluirTudo") == 1;
  HistoryEntry entry;
};

}  // namespace

void cmdBackup_Click() {
  EnableControls(false);
  WindowOperation operation("backup");
  // Written before the success box, which may stay open a long time.
  operation.context.afterBackup = [&operation](const std::string& backupSet) {
    operation.entry.set = backupSet;
    operation.Record("concluído");
  };
  std::optional<std::string> backupSet;
  try {
    backupSet = BackupData(operation.context, operation.location, operation.includeAll);
  } catch (const std::exception&) {
    operation.RecordFailure();
    throw;
  }
  if (!backupSet) operation.Record(operation.Refusal());
  frmBackup().RefreshFolders("dirLocal");  // the new set shows in the folder list
  EnableControls(true);
}

void cmdRestore_Click() {
  const MessageAnswer answer = AppServices().windows.ShowMessage(
      "Este procedimento substituirá os arquivos de dados atualmente disponíveis para o Tarvel "
      "2.0 \npor esta cópia de segurança criada anteriormente. Tem certeza que deseja "
      "prosseguir?",
      "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo);
  if (answer == MessageAnswer::No) return;
  EnableControls(false);
  WindowOperation operation("restauração");
  operation.entry.set = operation.location;
  try {
    RestoreData(operation.context, operation.location, operation.includeAll);
  } catch (const std::exception&) {
    operation.RecordFailure();
    throw;
  }
  operation.Record(operation.boxes.lastTitle == "Operação concluída" ? "concluído" : operation.Refusal());
  EnableControls(true);
}

void RegisterOperationHandlers(Window& form) {
  SetReportedHandler(form, "cmdBackup", ControlEvent::Click, cmdBackup_Click);
  SetReportedHandler(form, "cmdRestore", ControlEvent::Click, cmdRestore_Click);
}

}  // namespace bt
