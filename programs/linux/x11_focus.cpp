#include "programs/linux/x11_focus.h"

#include <xcb/xcb.h>

#include <cstdlib>

#include <QGuiApplication>

namespace bt {

void FocusNow(QWidget& window) {
  // The offscreen platform answers for X11 too, without a connection.
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || !window.isVisible() || window.isMinimized()) return;
  // Checked, so that a window the server does not show yet fails here
  // quietly instead of in Qt's error log.
  const xcb_void_cookie_t cookie = xcb_set_input_focus_checked(
      connection, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window.winId()), XCB_CURRENT_TIME);
  std::free(xcb_request_check(connection, cookie));
}

}  // namespace bt
