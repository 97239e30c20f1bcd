// The window unit frmBackup: the one main window, reached by that name, its
// handlers, and what the operations' handlers need of it.
//
// The unit's state (the services, the window) lives from Main until
// DropApplication; Main always starts from a fresh state.
#pragma once

#include <functional>
#include <string>

#include "app/mod_backup_startup.h"
#include "app/services.h"
#include "platform/window_system.h"

namespace bt {

// The single main window. Its first use creates it, hidden, from
// FrmBackupDesign() with every handler registered; no handler runs then.
Window& frmBackup();

// The services Main was given. Only valid between Main and DropApplication.
Services& AppServices();

// Registers the handler of a control's event so that it runs inside the
// top-level error report (RunWithErrorReport).
void SetReportedHandler(Window& form, const std::string& control, ControlEvent event,
                        std::function<void()> handler);

// Forgets the window (destroying it), the services and LastValidDrive, as
// before the process started. The next Main begins afresh.
void DropApplication();

// Handlers of the window's events.
void cmdSair_Click();
void drvLocal_Change();
void dirLocal_Change();

// Makes s the unit's services and drops any window of an earlier run; for
// Main only.
void StartApplication(Services& services);

}  // namespace bt
