// The keyboard focus given on X11 at the server's current time.
#pragma once

#include <QWidget>

namespace bt {

// Gives window the keyboard focus, as QWidget::activateWindow does, but at
// the server's current time: a program left idle while the user worked in
// other windows knows only the time of its own last event, and the server
// ignores a focus given at a time older than the last focus change. Does
// nothing on other platforms (Wayland, offscreen), nor while the window is
// not on the screen.
void FocusNow(QWidget& window);

}  // namespace bt
