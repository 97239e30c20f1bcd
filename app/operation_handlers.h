// The click handlers of the two operations, cmdBackup_Click and
// cmdRestore_Click, registered on the main window when it is created.
#pragma once

#include "platform/window_system.h"

namespace bt {

void RegisterOperationHandlers(Window& form);

// "Fazer backup": busy, back up the location the window shows, idle.
void cmdBackup_Click();

// "Restaurar backup": asks first; on Yes busy, restore, idle.
void cmdRestore_Click();

}  // namespace bt
