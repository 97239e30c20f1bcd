// The click handlers of the two operations, cmdBackup_Click and
// cmdRestore_Click, registered on the main window when it is created.
#pragma once

#include "platform/window_system.h"

namespace bt {

void RegisterOperationHandlers(Window& form);

}  // namespace bt
