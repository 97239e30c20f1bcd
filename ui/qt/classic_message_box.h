// Modal message boxes laid out and answering as Windows' own: the icon on
// the left, the text beside it, the buttons centred underneath with the
// first one the default. Tab moves between the buttons. Escape answers an OK
// box with OK and does nothing on a Yes/No box, whose title bar offers no
// close button either: the user has to choose. Ctrl+C copies the box to the
// clipboard as Windows does (MessageClipboardText).
#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QString>

#include "platform/message_box.h"

class QPushButton;

namespace bt {

// The clipboard text of a box, in Windows' layout with CRLF line breaks
// (MessageBoxClipboardText, which the Windows build copies too).
QString MessageClipboardText(const QString& title, const QString& text,
                             const std::vector<QString>& buttonTexts);

class ClassicMessageBox final : public QDialog {
 public:
  ClassicMessageBox(QWidget* parent, const std::string& text, const std::string& title,
                    MessageIcon icon, MessageButtons buttons);

  // Valid once the box has closed: the button chosen.
  MessageAnswer Answer() const { return answer_; }

  const std::vector<QPushButton*>& Buttons() const { return buttons_; }
  QString ClipboardText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  QPushButton* AddButton(const QString& text, MessageAnswer answer);

  QString text_;
  MessageButtons kind_;
  MessageAnswer answer_ = MessageAnswer::Ok;
  std::vector<QPushButton*> buttons_;
};

// Shows the box modally over parent (the screen's centre when null) and
// returns the user's answer.
MessageAnswer RunClassicMessageBox(QWidget* parent, const std::string& text,
                                   const std::string& title, MessageIcon icon,
                                   MessageButtons buttons);

}  // namespace bt
