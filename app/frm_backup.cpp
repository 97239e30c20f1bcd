#include "app/frm_backup.h"

#include <memory>
#include <stdexcept>

#include "app/error_report.h"
#include "app/frm_backup_design.h"
#include "app/operation_handlers.h"

namespace bt {

namespace {

struct UnitState {
  Services* services = nullptr;
  std::unique_ptr<Window> form;
};

UnitState& State() {
  static UnitState state;
  return state;
}

}  // namespace

void StartApplication(Services& services) {
  DropApplication();
  State().services = &services;
}

void DropApplication() {
  State().form.reset();
  State().services = nullptr;
  LastValidDrive.clear();
}

Services& AppServices() {
  if (State().services == nullptr) throw std::logic_error("the application has not started");
  return *State().services;
}

Window& frmBackup() {
  UnitState& state = State();
  if (!state.form) {
    std::unique_ptr<Window> form = AppServices().windows.CreateMainWindow(FrmBackupDesign());
    SetReportedHandler(*form, "cmdSair", ControlEvent::Click, cmdSair_Click);
    SetReportedHandler(*form, "drvLocal", ControlEvent::Change, drvLocal_Change);
    SetReportedHandler(*form, "dirLocal", ControlEvent::Change, dirLocal_Change);
    RegisterOperationHandlers(*form);
    state.form = std::move(form);
  }
  return *state.form;
}

void SetReportedHandler(Window& form, const std::string& control, ControlEvent event,
                        std::function<void()> handler) {
  form.SetHandler(control, event, [handler = std::move(handler)] {
    RunWithErrorReport(AppServices(), handler);
  });
}

void cmdSair_Click() { AppServices().windows.EndApplication(0); }

}  // namespace bt
