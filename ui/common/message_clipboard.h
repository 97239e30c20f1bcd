// What Ctrl+C copies from a message box: Windows' own layout, which every
// window system of the program copies byte for byte.
#pragma once

#include <string>
#include <vector>

namespace bt {

// The text with every line break as CRLF, as Windows shows and copies a
// box's text: a lone LF becomes CRLF; CRLF and a lone CR stay.
inline std::string WithCrLf(const std::string& text) {
  std::string converted;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) converted += '\r';
    converted += text[i];
  }
  return converted;
}

// UTF-8, with CRLF line breaks: a line of 27 dashes, the title, dashes, the
// text (its LF or CRLF line breaks as CRLF), dashes, each button's text
// (access-key "&" removed) followed by three spaces, dashes.
inline std::string MessageBoxClipboardText(const std::string& title, const std::string& text,
                                           const std::vector<std::string>& buttonTexts) {
  const std::string rule = "---------------------------\r\n";
  std::string buttons;
  for (const std::string& button : buttonTexts) {
    for (std::size_t i = 0; i < button.size(); ++i) {
      if (button[i] == '&' && i + 1 < button.size()) ++i;
      buttons += button[i];
    }
    buttons += "   ";
  }
  return rule + title + "\r\n" + rule + WithCrLf(text) + "\r\n" + rule + buttons + "\r\n" + rule;
}

}  // namespace bt
