// What Ctrl+C copies from a message box: Windows' own layout, which every
// window system of the program copies byte for byte.
#pragma once

#include <string>
#include <vector>

namespace bt {

// UTF-8, with CRLF line breaks: a line of 27 dashes, the title, dashes, the
// text (its LF or CRLF line breaks as CRLF), dashes, each button's text
// (access-key "&" removed) followed by three spaces, dashes.
inline std::string MessageBoxClipboardText(const std::string& title, const std::string& text,
                                           const std::vector<std::string>& buttonTexts) {
  const std::string rule = "---------------------------\r\n";
  std::string body;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    body += text[i] == '\n' ? std::string("\r\n") : std::string(1, text[i]);
  }
  std::string buttons;
  for (const std::string& button : buttonTexts) {
    for (std::size_t i = 0; i < button.size(); ++i) {
      if (button[i] == '&' && i + 1 < button.size()) ++i;
      buttons += button[i];
    }
    buttons += "   ";
  }
  return rule + title + "\r\n" + rule + body + "\r\n" + rule + buttons + "\r\n" + rule;
}

}  // namespace bt
