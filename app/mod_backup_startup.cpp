#include "app/mod_backup_startup.h"

#include "app/frm_backup.h"
#include "install/install_setting.h"

namespace bt {

std::string LastValidDrive;

void InitializeForm() {
  LastValidDrive = "C:";
  Window& form = frmBackup();
  form.SetDrive("drvLocal", LastValidDrive);
  form.SetPath("dirLocal", "\\");
  form.SetText("lblLocalTarvel", GetInstallSetting(AppServices().registry, "Path"));
  form.SetPath("dirLocal", form.Drive("drvLocal"));
  // Right whichever change events ran above.
  form.SetText("lblLocalExtenso", form.Path("dirLocal"));
}

void EnableControls(bool enabled) {
  Window& form = frmBackup();
  form.SetMousePointer(enabled ? kPointerDefault : kPointerHourglass);
  form.SetEnabled("cmdBackup", enabled);
  form.SetEnabled("cmdRestore", enabled);
  form.SetEnabled("cmdSair", enabled);
}

}  // namespace bt
