#include "ui/common/classic_box.h"

#include <algorithm>

namespace bt::classic_box {

std::vector<Button> ButtonsOf(MessageButtons buttons) {
  if (buttons == MessageButtons::Ok) return {{"OK", MessageAnswer::Ok}};
  return {{"&Sim", MessageAnswer::Yes}, {"&Não", MessageAnswer::No}};
}

std::optional<MessageAnswer> AnswerWhenDismissed(MessageButtons buttons) {
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return std::nullopt;
}

MessageAnswer AnswerWhenQuitting(MessageButtons buttons) {
  return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

Layout LayOut(const std::function<int(int)>& px, int textWidth, int textHeight, int buttonCount) {
  Layout layout;
  layout.icon = {px(kMargin), px(kMargin), px(kIconSize), px(kIconSize)};
  // One pixel wider than measured, so that the last letter is never cut.
  const int textLeft = px(kMargin + kIconSize + kIconGap);
  const int textTop = px(kMargin) + std::max(0, (px(kIconSize) - textHeight) / 2);
  layout.text = {textLeft, textTop, textWidth + 1, textHeight};

  const int rowWidth = buttonCount * px(kButtonWidth) + (buttonCount - 1) * px(kButtonGap);
  layout.width = std::max(textLeft + layout.text.width + px(kMargin), rowWidth + 2 * px(kMargin));
  const int buttonsTop = std::max(px(kMargin + kIconSize), textTop + textHeight) + px(kTextToButtons);
  int left = (layout.width - rowWidth) / 2;
  for (int i = 0; i < buttonCount; ++i) {
    layout.buttons.push_back({left, buttonsTop, px(kButtonWidth), px(kButtonHeight)});
    left += px(kButtonWidth) + px(kButtonGap);
  }
  layout.height = buttonsTop + px(kButtonHeight) + px(kMargin);
  return layout;
}

}  // namespace bt::classic_box
