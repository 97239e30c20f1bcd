#include "ui/qt/frame_title_style.h"

#include <QApplication>

namespace bt {

// Without a base, a proxy would draw in the platform's default style rather
// than the one the program chose.
FrameTitleStyle::FrameTitleStyle() : QProxyStyle(QApplication::style()->name()) {}

QRect FrameTitleStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                      SubControl part, const QWidget* widget) const {
  const QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
  if (control == CC_GroupBox && part == SC_GroupBoxLabel && rect.isValid()) return rect.adjusted(0, 0, 0, 1);
  return rect;
}

}  // namespace bt
