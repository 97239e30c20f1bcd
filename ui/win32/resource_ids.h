// Resource numbers shared by the program's resource script and the window.
// Plain macros: the resource compiler reads this file too.
#pragma once

// The program's icon, 32 x 32 in 16 colours: the file's icon in Explorer
// and the window's own.
#define BT_PROGRAM_ICON 1
