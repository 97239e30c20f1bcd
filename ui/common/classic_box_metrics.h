// The measures of a classic Windows message box at 96 dpi, in pixels, which
// both builds' boxes follow so that they look alike.
#pragma once

namespace bt::classic_box {

constexpr int kMargin = 11;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kTextToButtons = 14;
constexpr int kMaxTextWidth = 480;

}  // namespace bt::classic_box
