// The design of the main window frmBackup: its title, size and sixteen
// controls with their design texts, positions (twips), frames, tab order,
// fonts and alignment. The window system builds the window from it; no code
// of the application runs while it does.
#pragma once

#include "platform/window_system.h"

namespace bt {

const WindowDesign& FrmBackupDesign();

}  // namespace bt
