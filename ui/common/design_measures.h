// The design table's measures as every window backend reads them: lengths
// in twips (1/1440 inch), fonts in points, and the window's default font.
#pragma once

#include <cmath>
#include <optional>

#include "platform/window_system.h"

namespace bt {

constexpr int kTwipsPerInch = 1440;

// Twips to pixels at dpi (Qt's logical dpi, or the Win32 window's), rounded
// to the nearest pixel: the one conversion of the design table. Each length
// is converted on its own, as the classic forms did, so a control's right
// edge may differ by one pixel from the sum of its rounded left and width.
inline int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

// The font a control of the design gets: its own when the table gives one,
// else the window's default, "MS Sans Serif" 8.25 pt regular.
inline const FontDesign& FontOrDefault(const std::optional<FontDesign>& font) {
  static const FontDesign kDefaultFont{"MS Sans Serif", 8.25, 400};
  return font ? *font : kDefaultFont;
}

}  // namespace bt
