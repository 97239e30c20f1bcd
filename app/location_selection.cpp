// The backup location: the drive list and the folder list kept in step, and
// the location label kept equal to the folder list's path.
#include <exception>

#include "app/frm_backup.h"

namespace bt {

void dirLocal_Change() {
  Window& form = frmBackup();
  form.SetText("lblLocalExtenso", form.Path("dirLocal"));
}

void drvLocal_Change() {
  Window& form = frmBackup();
  bool refused = false;
  try {
    form.SetPath("dirLocal", form.Drive("drvLocal"));
    LastValidDrive = form.Drive("drvLocal").substr(0, 2);
  } catch (const std::exception&) {
    refused = true;  // a drive that cannot be opened: dropped without a word
  }
  if (!refused) return;

  // Outside the handler above on purpose: a failure to set the drive list
  // back is not ours to drop and goes to the top-level report. When this
  // changes the drive, this handler runs again, nested, for that drive.
  form.SetDrive("drvLocal", LastValidDrive);
}

}  // namespace bt
