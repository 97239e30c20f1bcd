// Modal message boxes of the Windows program. Drawn by the program rather
// than by MessageBoxW, so that their buttons say "Sim", "Não" and "OK"
// whatever the language of Windows, and so that Ctrl+C (or Ctrl+Insert)
// copies a box exactly as the Linux build's box copies it
// (MessageBoxClipboardText).
//
// Laid out as Windows lays out its own: the icon on the left, the text
// beside it, the buttons centred underneath, the first one the default.
// Tab moves between the buttons and Enter presses the one that has the
// focus. Escape and the title bar's close button answer an OK box with OK
// and do nothing on a Yes/No box, whose close button is greyed: the user
// has to choose.
#pragma once

#include <windows.h>

#include <string>

#include "platform/message_box.h"
#include "ui/win32/procedure_edge.h"

namespace bt {

// The window class of the boxes, for tests that look for one.
inline constexpr wchar_t kMessageBoxClass[] = L"BackupTarvelMessageBox";

// Shows the box over owner (centred on the screen when null), disables the
// owner while the box is open, and returns the user's answer. A WM_QUIT
// that arrives meanwhile closes the box with OK, or with No for a question
// (nothing is done that was not agreed to), and is posted again.
MessageAnswer RunMessageBox(HWND owner, const std::string& text, const std::string& title,
                            MessageIcon icon, MessageButtons buttons, const FailureSink& sink);

}  // namespace bt
