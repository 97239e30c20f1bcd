// What a screen reader learns of the window and its message boxes: every
// control by its role and its caption, the two location lists by the frame
// that holds them, and the path labels by what they show now.
#include <QAccessible>
#include <QLabel>
#include <QPushButton>

#include "tests/qt/qt_fixture.h"

namespace bt {
namespace {

QAccessibleInterface* Accessible(QWidget* widget) {
  QAccessibleInterface* found = QAccessible::queryAccessibleInterface(widget);
  EXPECT_NE(found, nullptr) << widget->objectName().toStdString();
  return found;
}

QString NameOf(QWidget* widget) { return Accessible(widget)->text(QAccessible::Name); }
QAccessible::Role RoleOf(QWidget* widget) { return Accessible(widget)->role(); }

// A caption as it is read aloud: the access key's "&" is not spoken.
QString Spoken(const std::string& caption) { return QString::fromStdString(caption).remove(QLatin1Char('&')); }

QAccessible::Role RoleFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return QAccessible::StaticText;
    case ControlKind::Frame: return QAccessible::Grouping;
    case ControlKind::DriveList: return QAccessible::ComboBox;
    case ControlKind::FolderList: return QAccessible::List;
    case ControlKind::CheckBox: return QAccessible::CheckBox;
    case ControlKind::Button: return QAccessible::Button;
  }
  return QAccessible::NoRole;
}

TEST_F(QtWindowTest, EveryControlIsReadByItsRoleAndCaptionAndTheListsByTheirFrame) {
  Create();
  ShowAndActivate();
  EXPECT_EQ(RoleOf(qt->widget()), QAccessible::Window);
  EXPECT_EQ(NameOf(qt->widget()), QString::fromUtf8("Aplicativo de Backup do Tarvel 2.0"));
  const WindowDesign design = FrmBackupDesign();
  for (const ControlDesign& row : design.controls) {
    QWidget* widget = Control(row.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(RoleOf(widget), RoleFor(row.kind)) << row.name;
    std::string caption = row.text;
    if (row.kind == ControlKind::DriveList || row.kind == ControlKind::FolderList) {
      caption = window->Text(row.parent);
    } else if (row.kind == ControlKind::Label) {
      caption = window->Text(row.name);  // the path labels no longer show their design text
    }
    EXPECT_FALSE(caption.empty()) << row.name;
    EXPECT_EQ(NameOf(widget), Spoken(caption)) << row.name;
  }
}

TEST_F(QtWindowTest, APathLabelIsReadAsItReadsNow) {
  Create();
  window->SetText("lblLocalExtenso", "E:\\Backups");
  EXPECT_EQ(NameOf(Control("lblLocalExtenso")), "E:\\Backups");
}

TEST_F(QtWindowTest, AMessageBoxIsReadByItsTitleTextIconAndButtons) {
  Create();
  ShowAndActivate();
  std::vector<std::pair<QAccessible::Role, QString>> read;
  OnNextBox([&](ClassicMessageBox& box) {
    read.emplace_back(RoleOf(&box), NameOf(&box));
    for (const char* part : {"icon", "text"}) {
      auto* label = box.findChild<QLabel*>(part);
      read.emplace_back(RoleOf(label), NameOf(label));
    }
    for (QPushButton* button : box.Buttons()) read.emplace_back(RoleOf(button), NameOf(button));
    PressKey(Qt::Key_Return);
  });
  windows->ShowMessage("Substituir?\nTem certeza?", "Substituir arquivos?", MessageIcon::Question,
                       MessageButtons::YesNo);
  const std::vector<std::pair<QAccessible::Role, QString>> expected = {
      {QAccessible::Dialog, "Substituir arquivos?"},
      {QAccessible::Graphic, "Pergunta"},
      {QAccessible::StaticText, "Substituir?\nTem certeza?"},
      {QAccessible::Button, "Sim"},
      {QAccessible::Button, QString::fromUtf8("Não")},
  };
  EXPECT_EQ(read, expected);
}

}  // namespace
}  // namespace bt
