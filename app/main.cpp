#include "app/main.h"

#include "app/error_report.h"
#include "app/frm_backup.h"
#include "app/mod_backup_startup.h"

namespace bt {

void Main(Services& services) {
  StartApplication(services);
  RunWithErrorReport(services, [] {
    InitializeForm();
    frmBackup().Show();
  });
}

}  // namespace bt
