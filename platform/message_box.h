// Modal message boxes: a text (line breaks are single LF characters), a
// title, an icon and either an OK button or Yes and No.
#pragma once

#include <string>

namespace bt {

enum class MessageIcon { Information, Question, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and waits for the user's answer.
  virtual MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                                    MessageIcon icon, MessageButtons buttons) = 0;
};

}  // namespace bt
