// The style of the frames: the application's own, with the strip that holds
// a frame's title one pixel deeper. The style draws a title from the top of
// a strip as high as the font's line and clips it there; at 1.5 or 2 device
// pixels a point the descenders of "p" and "ç" reach a device pixel below
// that line and were cut off. The text itself stays where it was.
#pragma once

#include <QProxyStyle>

namespace bt {

class FrameTitleStyle final : public QProxyStyle {
 public:
  // Over a new instance of the application's style as it is now.
  FrameTitleStyle();

  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override;
};

}  // namespace bt
