#include "ui/qt/classic_message_box.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "ui/common/classic_box.h"
#include "ui/common/message_clipboard.h"
#include "ui/qt/design_font.h"

namespace bt {

namespace {

using namespace classic_box;  // Windows' own measures, shared by both builds

// What a screen reader says for the icon, which has no text of its own.
QString IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Question: return QStringLiteral("Pergunta");
    case MessageIcon::Error: return QStringLiteral("Erro");
    case MessageIcon::Information: break;
  }
  return QString::fromUtf8("Informação");
}

void Place(QWidget* widget, const Rect& at) { widget->setGeometry(at.left, at.top, at.width, at.height); }

QStyle::StandardPixmap IconPixmap(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Question: return QStyle::SP_MessageBoxQuestion;
    case MessageIcon::Error: return QStyle::SP_MessageBoxCritical;
    case MessageIcon::Information: break;
  }
  return QStyle::SP_MessageBoxInformation;
}

}  // namespace

QString MessageClipboardText(const QString& title, const QString& text,
                             const std::vector<QString>& buttonTexts) {
  std::vector<std::string> buttons;
  for (const QString& button : buttonTexts) buttons.push_back(button.toStdString());
  return QString::fromStdString(
      MessageBoxClipboardText(title.toStdString(), text.toStdString(), buttons));
}

ClassicMessageBox::ClassicMessageBox(QWidget* parent, const std::string& text,
                                     const std::string& title, MessageIcon icon,
                                     MessageButtons buttons)
    : QDialog(parent), text_(QString::fromStdString(text)), kind_(buttons) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint;
  if (AnswerWhenDismissed(buttons)) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  setWindowFlags(flags);
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(QString::fromStdString(title));
  setFont(DesignFont(std::nullopt));
  setObjectName(QStringLiteral("ClassicMessageBox"));

  const double scale = logicalDpiX() / 96.0;
  const auto px = [scale](int pixels) { return static_cast<int>(pixels * scale + 0.5); };
  const QFontMetrics metrics(font());
  const QRect textRect = metrics.boundingRect(QRect(0, 0, px(kMaxTextWidth), 100000),
                                              Qt::TextWordWrap | Qt::AlignLeft, text_);
  const std::vector<Button> choices = ButtonsOf(buttons);
  const Layout layout = LayOut(px, textRect.width(), textRect.height(), static_cast<int>(choices.size()));

  auto* iconLabel = new QLabel(this);
  iconLabel->setObjectName(QStringLiteral("icon"));
  iconLabel->setAccessibleName(IconName(icon));
  iconLabel->setPixmap(style()->standardIcon(IconPixmap(icon)).pixmap(px(kIconSize), px(kIconSize)));
  Place(iconLabel, layout.icon);

  auto* textLabel = new QLabel(this);
  textLabel->setObjectName(QStringLiteral("text"));
  textLabel->setTextFormat(Qt::PlainText);
  textLabel->setWordWrap(true);
  textLabel->setText(text_);
  Place(textLabel, layout.text);

  for (std::size_t i = 0; i < choices.size(); ++i) {
    Place(AddButton(QString::fromStdString(choices[i].text), choices[i].answer), layout.buttons[i]);
  }
  setFixedSize(layout.width, layout.height);

  buttons_.front()->setDefault(true);
  buttons_.front()->setFocus();
}

QPushButton* ClassicMessageBox::AddButton(const QString& text, MessageAnswer answer) {
  auto* button = new QPushButton(text, this);
  button->setAutoDefault(true);
  button->setFocusPolicy(Qt::StrongFocus);
  connect(button, &QPushButton::clicked, this, [this, answer] {
    answer_ = answer;
    accept();
  });
  if (!buttons_.empty()) setTabOrder(buttons_.back(), button);
  buttons_.push_back(button);
  return button;
}

QString ClassicMessageBox::ClipboardText() const {
  std::vector<QString> texts;
  for (const QPushButton* button : buttons_) texts.push_back(button->text());
  return MessageClipboardText(windowTitle(), text_, texts);
}

void ClassicMessageBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QGuiApplication::clipboard()->setText(ClipboardText());
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ClassicMessageBox::reject() {
  // Escape and the title bar's close button.
  const std::optional<MessageAnswer> answer = AnswerWhenDismissed(kind_);
  if (!answer) return;
  answer_ = *answer;
  QDialog::reject();
}

void ClassicMessageBox::closeEvent(QCloseEvent* event) {
  if (!AnswerWhenDismissed(kind_) && result() != QDialog::Accepted) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

MessageAnswer RunClassicMessageBox(QWidget* parent, const std::string& text,
                                   const std::string& title, MessageIcon icon,
                                   MessageButtons buttons) {
  ClassicMessageBox box(parent, text, title, icon, buttons);
  box.exec();
  return box.Answer();
}

}  // namespace bt
