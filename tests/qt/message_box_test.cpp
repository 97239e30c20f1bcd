// Message boxes as Windows draws them and as its users answer them: the
// buttons, the default, the keys, and the text Ctrl+C copies.
#include <QClipboard>
#include <QLabel>
#include <QPushButton>

#include "tests/qt/caption_fit.h"
#include "tests/qt/qt_fixture.h"

namespace bt {
namespace {

const char kQuestion[] =
    "Este procedimento substituirá os arquivos de dados atualmente disponíveis para o Tarvel 2.0 \n"
    "por esta cópia de segurança criada anteriormente. Tem certeza que deseja prosseguir?";

QStringList ButtonTexts(const ClassicMessageBox& box) {
  QStringList texts;
  for (const QPushButton* button : box.Buttons()) texts << button->text().remove(u'&');
  return texts;
}

TEST(MessageClipboard, IsLaidOutAsWindowsCopiesABoxWithCrLfLineBreaks) {
  const QString text = MessageClipboardText(QString::fromUtf8("Substituir arquivos?"),
                                            QStringLiteral("linha 1\nlinha 2"),
                                            {QStringLiteral("&Sim"), QString::fromUtf8("&Não")});
  const QString rule = QStringLiteral("---------------------------\r\n");
  EXPECT_EQ(rule.size(), 29) << "27 dashes and CRLF";
  EXPECT_EQ(text, rule + QStringLiteral("Substituir arquivos?\r\n") + rule +
                      QStringLiteral("linha 1\r\nlinha 2\r\n") + rule +
                      QString::fromUtf8("Sim   Não   \r\n") + rule);
}

TEST_F(QtWindowTest, AQuestionOffersSimAndNaoWithSimTheDefault) {
  QStringList buttons;
  QString title, text;
  bool firstIsDefault = false, hasIcon = false;
  OnNextBox([&](ClassicMessageBox& box) {
    buttons = ButtonTexts(box);
    title = box.windowTitle();
    text = box.findChild<QLabel*>("text")->text();
    firstIsDefault = box.Buttons().front()->isDefault() && box.Buttons().front()->hasFocus();
    hasIcon = !box.findChild<QLabel*>("icon")->pixmap().isNull();
    PressKey(Qt::Key_Return);
  });
  const MessageAnswer answer =
      windows->ShowMessage(kQuestion, "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo);
  EXPECT_EQ(answer, MessageAnswer::Yes) << "Enter answers with the default button";
  EXPECT_EQ(buttons, QStringList({"Sim", QString::fromUtf8("Não")}));
  EXPECT_EQ(title, "Substituir arquivos?");
  EXPECT_EQ(text.toStdString(), kQuestion);
  EXPECT_TRUE(firstIsDefault);
  EXPECT_TRUE(hasIcon);
}

TEST_F(QtWindowTest, TabThenEnterAnswersNo) {
  OnNextBox([](ClassicMessageBox&) {
    PressKey(Qt::Key_Tab);
    PressKey(Qt::Key_Return);
  });
  EXPECT_EQ(windows->ShowMessage(kQuestion, "Substituir arquivos?", MessageIcon::Question,
                                 MessageButtons::YesNo),
            MessageAnswer::No);
}

TEST_F(QtWindowTest, EscapeAndClosingDoNothingOnAQuestionTheUserMustChoose) {
  bool stillOpen = false;
  OnNextBox([&](ClassicMessageBox& box) {
    PressKey(Qt::Key_Escape);
    box.close();
    QTest::qWait(20);
    stillOpen = box.isVisible();
    QTest::mouseClick(box.Buttons().back(), Qt::LeftButton);
  });
  EXPECT_EQ(windows->ShowMessage(kQuestion, "Substituir arquivos?", MessageIcon::Question,
                                 MessageButtons::YesNo),
            MessageAnswer::No);
  EXPECT_TRUE(stillOpen);
}

TEST_F(QtWindowTest, AnInformationBoxHasOneOkButtonThatEscapeAlsoAnswers) {
  QStringList buttons;
  OnNextBox([&](ClassicMessageBox& box) {
    buttons = ButtonTexts(box);
    PressKey(Qt::Key_Escape);
  });
  EXPECT_EQ(windows->ShowMessage("A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\nC:\\x",
                                 "Operação concluída", MessageIcon::Information, MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_EQ(buttons, QStringList({"OK"}));
}

TEST_F(QtWindowTest, CtrlCCopiesTheBoxToTheClipboard) {
  QApplication::clipboard()->clear();
  OnNextBox([](ClassicMessageBox&) {
    PressKey(Qt::Key_C, Qt::ControlModifier);
    PressKey(Qt::Key_Return);
  });
  windows->ShowMessage("Ocorreu um erro ao criar a pasta de destino:\nD:\\Copias\\20240305140709", "Erro",
                       MessageIcon::Error, MessageButtons::Ok);
  EXPECT_EQ(QApplication::clipboard()->text(),
            QString::fromUtf8("---------------------------\r\nErro\r\n---------------------------\r\n"
                              "Ocorreu um erro ao criar a pasta de destino:\r\nD:\\Copias\\20240305140709\r\n"
                              "---------------------------\r\nOK   \r\n---------------------------\r\n"));
}

// Run again at QT_SCALE_FACTOR 1.5 and 2, as the whole suite is.
TEST(MessageBoxLayout, NoTextOrButtonIsCutAtTheScreensScale) {
  const std::vector<std::pair<std::string, MessageButtons>> texts = {
      {kQuestion, MessageButtons::YesNo},
      {"Ocorreu um erro ao criar a pasta de destino:\nD:\\Copias\\20240305_140709", MessageButtons::Ok},
      // Long enough to wrap inside the box's widest text.
      {"Esta cópia de segurança não contém o arquivo de opções \"tarvel.ini\" e a pasta de fotos "
       "\"Fotos\", por isso nenhum arquivo foi substituído.\nPara restaurar apenas o banco de dados, "
       "desmarque a opção \"Incluir fotos e opções no backup/restauração\" e tente novamente.",
       MessageButtons::Ok},
  };
  for (const auto& [text, buttons] : texts) {
    ClassicMessageBox box(nullptr, text, "Caixa", MessageIcon::Information, buttons);
    EXPECT_EQ(CutCaptions(box), "") << text;
  }
}

TEST_F(QtWindowTest, TheBoxStandsOverTheWindowAndNothingInItIsCutOff) {
  Create();
  ShowAndActivate();
  window->SetMousePointer(kPointerHourglass);  // a box over a busy window
  QWidget* owner = nullptr;
  bool fits = true, buttonsCentred = false;
  Qt::CursorShape pointer = Qt::BlankCursor;
  OnNextBox([&](ClassicMessageBox& box) {
    owner = box.parentWidget();
    pointer = box.cursor().shape();
    auto* text = box.findChild<QLabel*>("text");
    const QRect needed = QFontMetrics(text->font()).boundingRect(
        QRect(0, 0, text->width(), 10000), Qt::TextWordWrap | Qt::AlignLeft, text->text());
    fits = needed.height() <= text->height() && box.rect().contains(text->geometry());
    const QRect first = box.Buttons().front()->geometry();
    const QRect last = box.Buttons().back()->geometry();
    buttonsCentred = std::abs(first.left() - (box.width() - last.right() - 1)) <= 1 &&
                     text->geometry().bottom() < first.top();
    PressKey(Qt::Key_Return);
  });
  windows->ShowMessage(kQuestion, "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo);
  EXPECT_EQ(owner, qt->widget());
  EXPECT_EQ(pointer, Qt::ArrowCursor) << "the hourglass is the window's, not the box's";
  EXPECT_TRUE(fits);
  EXPECT_TRUE(buttonsCentred);
}

}  // namespace
}  // namespace bt
