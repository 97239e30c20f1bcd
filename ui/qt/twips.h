// Design units to screen units. Twips are 1/1440 inch; the window works in
// Qt's device-independent pixels, so a length follows the screen's logical
// dpi (15 twips make one pixel at 96 dpi) and Qt scales it for the device.
#pragma once

#include <cmath>

namespace bt {

constexpr int kTwipsPerInch = 1440;

// Rounded to the nearest pixel; each length is converted on its own, as the
// classic forms did, so a control's right edge may differ by one pixel from
// the sum of its rounded left and width.
inline int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

}  // namespace bt
