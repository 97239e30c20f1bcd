// The main window as a person sees it: title, fixed size, every control at
// its place with its text and font, nothing cut off, and the keyboard order.
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "tests/qt/caption_fit.h"
#include "tests/qt/qt_fixture.h"
#include "tests/window_contract.h"

namespace bt {
namespace {

struct Placement {
  const char* name;
  const char* parent;  // the frame, or the window's own name
  QRect pixels;        // at 96 dpi, relative to the parent
};

// The design table's twips worked out by hand: 15 twips a pixel, rounded.
const Placement kPlacements[] = {
    {"lblTitulo", "frmBackup", {13, 13, 770, 33}},
    {"lblInfo", "frmBackup", {13, 53, 770, 13}},
    {"lblPasso1", "frmBackup", {13, 80, 770, 15}},
    {"lblPasso2", "frmBackup", {13, 100, 770, 15}},
    {"lblPasso3", "frmBackup", {13, 120, 770, 15}},
    {"fraLocalTarvel", "frmBackup", {13, 147, 770, 67}},
    {"lblLocalTarvel", "fraLocalTarvel", {13, 20, 747, 40}},
    {"fraLocal", "frmBackup", {13, 220, 533, 292}},
    {"drvLocal", "fraLocal", {13, 20, 507, 21}},
    {"dirLocal", "fraLocal", {13, 43, 507, 186}},
    {"lblLocal", "fraLocal", {13, 233, 120, 15}},
    {"lblLocalExtenso", "fraLocal", {13, 250, 507, 33}},
    {"cmdBackup", "frmBackup", {582, 227, 200, 33}},
    {"cmdRestore", "frmBackup", {582, 273, 200, 33}},
    {"chkIncluirTudo", "frmBackup", {582, 333, 200, 30}},
    {"cmdSair", "frmBackup", {582, 479, 200, 33}},
};

TEST_F(QtWindowTest, TheWindowIsTitledAndOfTheFixedDesignSize) {
  Create();
  QWidget* top = qt->widget();
  ASSERT_EQ(top->logicalDpiX(), 96) << "the figures below are for 96 dpi";
  EXPECT_EQ(top->objectName(), "frmBackup");
  EXPECT_EQ(top->windowTitle(), QString::fromUtf8("Aplicativo de Backup do Tarvel 2.0"));
  EXPECT_EQ(top->minimumSize(), QSize(794, 528));
  EXPECT_EQ(top->maximumSize(), QSize(794, 528));
  EXPECT_FALSE(top->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(top->windowIcon().isNull());
  EXPECT_FALSE(window->Visible()) << "a new window is hidden until shown";
}

TEST_F(QtWindowTest, EveryControlSitsAtItsDesignPlaceInsideItsFrame) {
  Create();
  for (const Placement& expected : kPlacements) {
    QWidget* widget = Control(expected.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), expected.parent) << expected.name;
    EXPECT_EQ(widget->geometry(), expected.pixels) << expected.name;
  }
}

TEST_F(QtWindowTest, EveryControlShowsItsDesignTextExactly) {
  Create();
  for (const ControlDesign& row : FrmBackupDesign().controls) {
    if (row.kind == ControlKind::DriveList || row.kind == ControlKind::FolderList) continue;
    EXPECT_EQ(window->Text(row.name), row.text) << row.name;
  }
  EXPECT_EQ(Control<QPushButton>("cmdSair")->text(), "Sai&r");
  EXPECT_EQ(Control<QGroupBox>("fraLocal")->title(), "Local do Backup");
  // The design's "<...>" texts are shown as written, not taken for markup.
  EXPECT_EQ(Control<QLabel>("lblLocalExtenso")->textFormat(), Qt::PlainText);
}

TEST_F(QtWindowTest, TheTitleIsLargeAndCentredAndThePathsAreBold) {
  Create();
  auto* title = Control<QLabel>("lblTitulo");
  EXPECT_DOUBLE_EQ(title->font().pointSizeF(), 18.0);
  EXPECT_EQ(title->font().weight(), QFont::Normal);
  EXPECT_TRUE(title->alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(Control<QLabel>("lblInfo")->alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(Control<QLabel>("lblPasso1")->alignment() & Qt::AlignLeft);

  for (const char* name : {"lblLocalTarvel", "lblLocalExtenso"}) {
    const QFont font = Control<QLabel>(name)->font();
    EXPECT_EQ(font.weight(), QFont::Bold) << name;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25) << name;
  }
  for (const char* name : {"lblPasso2", "lblLocal", "cmdBackup", "chkIncluirTudo"}) {
    const QFont font = Control(name)->font();
    EXPECT_EQ(font.weight(), QFont::Normal) << name;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25) << name;
    EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut()) << name;
  }
}

TEST_F(QtWindowTest, MsSansSerifIsDrawnWithANarrowSansSerifNotTheWideDefault) {
  Create();
  // fonts-liberation2 is among the packages the project installs.
  EXPECT_EQ(QFontInfo(Control("lblPasso1")->font()).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(Control("lblTitulo")->font()).family(), "Liberation Sans");
}

TEST_F(QtWindowTest, NoDesignTextIsCutOffByItsControl) {
  Create();
  const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
  for (QLabel* label : qt->widget()->findChildren<QLabel*>()) {
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, label->width(), 10000), flags, label->text());
    EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
    EXPECT_LE(needed.width(), label->width()) << label->objectName().toStdString();
  }
  // The check box's caption wraps onto a second line beside the box.
  auto* box = Control<QCheckBox>("chkIncluirTudo");
  const int captionWidth = box->width() - 20;
  const QRect caption = QFontMetrics(box->font()).boundingRect(QRect(0, 0, captionWidth, 10000), flags, box->text());
  EXPECT_LE(caption.height(), box->height());
}

// The suite runs again at QT_SCALE_FACTOR 1.5 and 2 (tests/qt/CMakeLists.txt).
TEST_F(QtWindowTest, NoCaptionIsCutAtTheScreensScale) {
  Create();
  window->SetText("lblLocalTarvel", "C:\\Arquivos de Programas\\Tarvel");
  EXPECT_EQ(CutCaptions(*qt->widget()), "");
}

TEST(CaptionFit, ACaptionWiderThanItsControlIsSeenAsCutAndOneThatFitsIsNot) {
  QPushButton button(QStringLiteral("Restaurar backup"));
  button.setObjectName(QStringLiteral("cmdRestore"));
  const int needed = button.sizeHint().width();
  button.resize(needed, 33);
  EXPECT_EQ(CutCaptions(button), "");
  button.resize(needed / 2, 33);
  EXPECT_NE(CutCaptions(button), "");

  QLabel label(QString::fromUtf8("3. Aguarde a operação ser concluída."));
  label.setObjectName(QStringLiteral("lblPasso3"));
  label.resize(label.sizeHint());
  EXPECT_EQ(CutCaptions(label), "");
  label.resize(label.sizeHint() - QSize(0, 3));
  EXPECT_NE(CutCaptions(label), "") << "the descenders cut off";
}

TEST_F(QtWindowTest, TabVisitsTheListsTheButtonsAndTheCheckBoxInDesignOrder) {
  Create();
  ShowAndActivate();
  const std::vector<std::string> expected = {"dirLocal",       "cmdBackup", "cmdRestore",
                                             "chkIncluirTudo", "cmdSair",   "drvLocal"};
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "drvLocal") << "the drive list starts with the focus";
  for (const std::string& next : expected) {
    PressKey(Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next);
  }
}

TEST_F(QtWindowTest, LabelsAndFramesNeverTakeTheFocus) {
  Create();
  for (QWidget* widget : qt->widget()->findChildren<QWidget*>()) {
    if (dynamic_cast<QLabel*>(widget) != nullptr || dynamic_cast<QGroupBox*>(widget) != nullptr) {
      EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << widget->objectName().toStdString();
    }
  }
}

TEST_F(QtWindowTest, AWindowSystemThatEndsFirstTakesItsWindowsWithIt) {
  Create();
  QPointer<QWidget> top = qt->widget();
  windows.reset();
  EXPECT_TRUE(top.isNull());
  EXPECT_EQ(qt->widget(), nullptr);
  EXPECT_THROW(window->SetText("lblInfo", "x"), AppError);
}

TEST_F(QtWindowTest, ADesignWithAFrameInsideAFrameIsRefusedAsEveryWindowRefusesIt) {
  window_contract::ExpectAFrameInsideAFrameRefused(*windows);
}

}  // namespace
}  // namespace bt
