#include "app/operation_handlers.h"

#include <chrono>

#include "app/frm_backup.h"
#include "app/responsive_file_system.h"
#include "backup/operations.h"

namespace bt {
namespace {

// How long a button waits, the hourglass showing, for another backup or
// restore of the installation (another user's, a scheduled one) to end.
constexpr std::chrono::seconds kOtherOperationWait{30};

struct WindowOperation {
  ResponsiveFileSystem files{AppServices().files, AppServices().windows};
  OperationContext context{files, AppServices().clock, AppServices().windows,
                           [] { return frmBackup().Text("lblLocalTarvel"); }, kOtherOperationWait};
  std::string location = frmBackup().Text("lblLocalExtenso");
  bool includeAll = frmBackup().Value("chkIncluirTudo") == 1;
};

}  // namespace

void cmdBackup_Click() {
  EnableControls(false);
  WindowOperation operation;
  BackupData(operation.context, operation.location, operation.includeAll);
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
  WindowOperation operation;
  RestoreData(operation.context, operation.location, operation.includeAll);
  EnableControls(true);
}

void RegisterOperationHandlers(Window& form) {
  SetReportedHandler(form, "cmdBackup", ControlEvent::Click, cmdBackup_Click);
  SetReportedHandler(form, "cmdRestore", ControlEvent::Click, cmdRestore_Click);
}

}  // namespace bt
