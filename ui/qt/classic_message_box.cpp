#include "ui/qt/classic_message_box.h"

#include <algorithm>

#include <QClipboard>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "ui/common/classic_box_metrics.h"
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
  if (buttons == MessageButtons::Ok) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
  setWindowFlags(flags);
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(QString::fromStdString(title));
  setFont(DesignFont(std::nullopt));
  setObjectName(QStringLiteral("ClassicMessageBox"));

  const double scale = logicalDpiX() / 96.0;
  const auto px = [scale](int pixels) { return static_cast<int>(pixels * scale + 0.5); };

  auto* iconLabel = new QLabel(this);
  iconLabel->setObjectName(QStringLiteral("icon"));
  iconLabel->setAccessibleName(IconName(icon));
  iconLabel->setPixmap(style()->standardIcon(IconPixmap(icon)).pixmap(px(kIconSize), px(kIconSize)));
  iconLabel->setGeometry(px(kMargin), px(kMargin), px(kIconSize), px(kIconSize));

  auto* textLabel = new QLabel(this);
  textLabel->setObjectName(QStringLiteral("text"));
  textLabel->setTextFormat(Qt::PlainText);
  textLabel->setWordWrap(true);
  textLabel->setText(text_);
  const QFontMetrics metrics(font());
  const QRect textRect = metrics.boundingRect(QRect(0, 0, px(kMaxTextWidth), 100000),
                                              Qt::TextWordWrap | Qt::AlignLeft, text_);
  const int textLeft = px(kMargin + kIconSize + kIconGap);
  const int textTop = px(kMargin) + std::max(0, (px(kIconSize) - textRect.height()) / 2);
  textLabel->setGeometry(textLeft, textTop, textRect.width() + 1, textRect.height());

  if (buttons == MessageButtons::Ok) {
    AddButton(QStringLiteral("OK"), MessageAnswer::Ok);
  } else {
    AddButton(QStringLiteral("&Sim"), MessageAnswer::Yes);
    AddButton(QString::fromUtf8("&Não"), MessageAnswer::No);
  }

  const int count = static_cast<int>(buttons_.size());
  const int rowWidth = count * px(kButtonWidth) + (count - 1) * px(kButtonGap);
  const int contentRight = textLeft + textRect.width() + 1 + px(kMargin);
  const int width = std::max(contentRight, rowWidth + 2 * px(kMargin));
  const int buttonsTop =
      std::max(px(kMargin + kIconSize), textTop + textRect.height()) + px(kTextToButtons);
  int left = (width - rowWidth) / 2;
  for (QPushButton* button : buttons_) {
    button->setGeometry(left, buttonsTop, px(kButtonWidth), px(kButtonHeight));
    left += px(kButtonWidth) + px(kButtonGap);
  }
  setFixedSize(width, buttonsTop + px(kButtonHeight) + px(kMargin));

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
  // Escape and the title bar's close button: an OK box closes with OK; a
  // Yes/No box must be answered with one of its buttons.
  if (kind_ == MessageButtons::YesNo) return;
  answer_ = MessageAnswer::Ok;
  QDialog::reject();
}

void ClassicMessageBox::closeEvent(QCloseEvent* event) {
  if (kind_ == MessageButtons::YesNo && result() != QDialog::Accepted) {
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
