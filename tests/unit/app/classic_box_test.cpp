// The classic message box as both builds draw it: its buttons, what it
// answers when dismissed, and where its parts go at the screen's scale.
#include "ui/common/classic_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace bt::classic_box {
namespace {

std::function<int(int)> AtScale(double scale) {
  return [scale](int pixels) { return static_cast<int>(pixels * scale + 0.5); };
}

int Right(const Rect& r) { return r.left + r.width; }
int Bottom(const Rect& r) { return r.top + r.height; }

bool Inside(const Rect& r, const Layout& box, int margin) {
  return r.left >= margin && r.top >= margin && Right(r) <= box.width - margin &&
         Bottom(r) <= box.height - margin;
}

// Texts as a font would measure them: one short line, three lines of a
// longer one, and the widest a box wraps at.
struct Text {
  const char* what;
  int width, height;
};
const Text kTexts[] = {{"one short line", 60, 13}, {"three lines", 300, 39}, {"wrapped at the widest", 480, 91}};
const double kScales[] = {1, 1.25, 1.5, 2};

TEST(ClassicBox, AQuestionOffersSimThenNaoAndAnyOtherBoxOnlyOk) {
  const std::vector<Button> question = ButtonsOf(MessageButtons::YesNo);
  ASSERT_EQ(question.size(), 2u);
  EXPECT_EQ(question[0].text, "&Sim");
  EXPECT_EQ(question[0].answer, MessageAnswer::Yes);
  EXPECT_EQ(question[1].text, "&Não");
  EXPECT_EQ(question[1].answer, MessageAnswer::No);
  const std::vector<Button> ok = ButtonsOf(MessageButtons::Ok);
  ASSERT_EQ(ok.size(), 1u);
  EXPECT_EQ(ok[0].text, "OK");
  EXPECT_EQ(ok[0].answer, MessageAnswer::Ok);
}

TEST(ClassicBox, OnlyAnOkBoxCanBeDismissedAndAQuitAgreesToNothing) {
  EXPECT_EQ(AnswerWhenDismissed(MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(AnswerWhenDismissed(MessageButtons::YesNo), std::nullopt);
  EXPECT_EQ(AnswerWhenQuitting(MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(AnswerWhenQuitting(MessageButtons::Ok), MessageAnswer::Ok);
}

TEST(ClassicBoxLayout, TheTextStandsBesideTheIconAndAShortOneIsCentredOnIt) {
  for (double scale : kScales) {
    for (const Text& text : kTexts) {
      const Layout box = LayOut(AtScale(scale), text.width, text.height, 2);
      SCOPED_TRACE(std::string(text.what) + " at " + std::to_string(scale));
      EXPECT_GT(box.text.left, Right(box.icon));
      EXPECT_GE(box.text.width, text.width) << "no letter cut";
      EXPECT_EQ(box.text.height, text.height);
      if (text.height < box.icon.height) {
        const int iconMiddle = box.icon.top * 2 + box.icon.height;
        const int textMiddle = box.text.top * 2 + box.text.height;
        EXPECT_LE(std::abs(iconMiddle - textMiddle), 2);
      } else {
        EXPECT_EQ(box.text.top, box.icon.top);
      }
    }
  }
}

TEST(ClassicBoxLayout, TheButtonsStandCentredInARowBelowTheIconAndTheText) {
  for (double scale : kScales) {
    for (const Text& text : kTexts) {
      for (int count : {1, 2}) {
        const Layout box = LayOut(AtScale(scale), text.width, text.height, count);
        SCOPED_TRACE(std::string(text.what) + " at " + std::to_string(scale));
        ASSERT_EQ(box.buttons.size(), static_cast<std::size_t>(count));
        const Rect& first = box.buttons.front();
        const Rect& last = box.buttons.back();
        EXPECT_GT(first.top, std::max(Bottom(box.icon), Bottom(box.text)));
        EXPECT_LE(std::abs(first.left - (box.width - Right(last))), 1) << "centred";
        for (std::size_t i = 1; i < box.buttons.size(); ++i) {
          EXPECT_EQ(box.buttons[i].top, first.top);
          EXPECT_EQ(box.buttons[i].width, first.width);
          EXPECT_GT(box.buttons[i].left, Right(box.buttons[i - 1])) << "apart";
        }
      }
    }
  }
}

TEST(ClassicBoxLayout, EverythingKeepsTheMarginAndTheBoxGrowsOnlyWithItsText) {
  for (double scale : kScales) {
    const auto px = AtScale(scale);
    const Layout shortest = LayOut(px, kTexts[0].width, kTexts[0].height, 2);
    for (const Text& text : kTexts) {
      const Layout box = LayOut(px, text.width, text.height, 2);
      SCOPED_TRACE(std::string(text.what) + " at " + std::to_string(scale));
      EXPECT_TRUE(Inside(box.icon, box, px(kMargin)));
      EXPECT_TRUE(Inside(box.text, box, px(kMargin)));
      for (const Rect& button : box.buttons) EXPECT_TRUE(Inside(button, box, px(kMargin)));
      EXPECT_GE(box.width, shortest.width);
      EXPECT_GE(box.height, shortest.height);
    }
    const Layout widest = LayOut(px, kTexts[2].width, kTexts[2].height, 2);
    EXPECT_EQ(Right(widest.text) + px(kMargin), widest.width) << "a wide text sets the width";
  }
}

}  // namespace
}  // namespace bt::classic_box
