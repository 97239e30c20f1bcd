// The classic Windows message box that both builds draw: its buttons, how
// it answers when dismissed, and where everything in it goes. A backend
// measures the text in its own font and places what this says.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace bt::classic_box {

// Windows' own measures at 96 dpi, in pixels.
constexpr int kMargin = 11;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kTextToButtons = 14;
// The text wraps at this width (scaled); measure it no wider.
constexpr int kMaxTextWidth = 480;

struct Button {
  std::string text;  // UTF-8; "&" marks the access key
  MessageAnswer answer;
};

// The buttons from left to right, whatever the language of the system: "OK",
// or "&Sim" and "&Não". The first is the default and has the focus.
std::vector<Button> ButtonsOf(MessageButtons buttons);

// The answer when the user dismisses the box without a button (Escape, the
// title bar's close button): OK for an OK box; none for a question, which
// stays open until the user chooses.
std::optional<MessageAnswer> AnswerWhenDismissed(MessageButtons buttons);

// The answer when the application is told to quit while the box is open:
// nothing is done that the user did not agree to (No for a question).
MessageAnswer AnswerWhenQuitting(MessageButtons buttons);

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

struct Layout {
  Rect icon;
  Rect text;
  std::vector<Rect> buttons;  // in ButtonsOf's order
  int width = 0, height = 0;  // the client area
};

// The box laid out as Windows lays out its own: the icon on the left, the
// text beside it (centred on the icon when shorter), the buttons centred
// underneath. px scales a length of the measures above to the screen, each
// length on its own; textWidth and textHeight are the text's size as the
// backend's font draws it, wrapped at px(kMaxTextWidth).
Layout LayOut(const std::function<int(int)>& px, int textWidth, int textHeight, int buttonCount);

}  // namespace bt::classic_box
