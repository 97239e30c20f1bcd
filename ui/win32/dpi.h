// The screen's dots per inch and what depends on it. Every length of the
// window goes through TwipsToPixels (ui/common/design_measures.h) or
// ScalePixels at the window's dpi, so the window looks the same at 100 %
// and at 200 %.
//
// Functions newer than Windows 7 (per-monitor dpi, Windows 10 1607 and
// later) are looked up at run time; where they are missing the system's dpi
// stands in, as it does for a program that is not per-monitor aware.
#pragma once

#include <windows.h>

#include "ui/common/design_measures.h"

namespace bt {

constexpr UINT kDesignDpi = 96;

// A length given in pixels at 96 dpi, at dpi.
int ScalePixels(int pixels, UINT dpi);

// The dpi a window is drawn at (GetDpiForWindow), else the system's.
UINT DpiOfWindow(HWND window);
// The system's dpi, for what is made before its window exists.
UINT SystemDpi();

// The outer size of a window whose client area is client pixels.
SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The height of a line of text in font, in pixels, as the screen draws it.
int FontLineHeight(HFONT font);

// The desktop's fonts (the message font among them) at dpi.
NONCLIENTMETRICSW NonClientMetricsAt(UINT dpi);

// Makes the process per-monitor dpi aware when it has no manifest that says
// so (the test programs); the program's manifest does it before any window.
void BecomeDpiAware();

}  // namespace bt
