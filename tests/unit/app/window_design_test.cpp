// What every window backend reads the same way from a design: the twips
// of its measures, the designs it refuses before anything is made, and the
// order in which Tab visits the controls.
#include <gtest/gtest.h>

#include "app/frm_backup_design.h"
#include "platform/error.h"
#include "ui/common/design_measures.h"
#include "ui/common/design_rules.h"

namespace bt {
namespace {

ControlDesign Row(const std::string& name, ControlKind kind, const std::string& parent = "",
                  int tabIndex = 0) {
  ControlDesign row;
  row.name = name;
  row.kind = kind;
  row.parent = parent;
  row.tabIndex = tabIndex;
  return row;
}

WindowDesign DesignOf(std::vector<ControlDesign> controls) {
  WindowDesign design;
  design.name = "frmTeste";
  design.controls = std::move(controls);
  return design;
}

std::vector<std::string> Names(const std::vector<const ControlDesign*>& rows) {
  std::vector<std::string> names;
  for (const ControlDesign* row : rows) names.push_back(row->name);
  return names;
}

TEST(Twips, FifteenMakeAPixelAt96DpiAndLengthsFollowTheScreen) {
  EXPECT_EQ(TwipsToPixels(11910, 96), 794);
  EXPECT_EQ(TwipsToPixels(7920, 96), 528);
  EXPECT_EQ(TwipsToPixels(7180, 96), 479);  // 478.67
  EXPECT_EQ(TwipsToPixels(200, 96), 13);    // 13.33
  EXPECT_EQ(TwipsToPixels(11910, 144), 1191);
  EXPECT_EQ(TwipsToPixels(0, 96), 0);
}

TEST(WindowDesignRules, TheMainWindowsDesignIsSound) {
  EXPECT_EQ(DesignFault(FrmBackupDesign()), std::nullopt);
  EXPECT_NO_THROW(RequireSoundDesign(FrmBackupDesign()));
}

TEST(WindowDesignRules, AControlNamedTwiceIsRefused) {
  const WindowDesign twice = DesignOf({Row("cmdSair", ControlKind::Button), Row("lbl", ControlKind::Label),
                                       Row("cmdSair", ControlKind::Button)});
  ASSERT_TRUE(DesignFault(twice).has_value());
  EXPECT_NE(DesignFault(twice)->find("cmdSair"), std::string::npos) << *DesignFault(twice);
}

TEST(WindowDesignRules, AControlIsPlacedOnTheWindowOrInAFrameOnTheWindow) {
  const ControlDesign frame = Row("fraLocal", ControlKind::Frame);
  EXPECT_EQ(DesignFault(DesignOf({Row("dir", ControlKind::FolderList, "fraLocal"), frame})), std::nullopt)
      << "the frame may come after what it holds";
  EXPECT_TRUE(DesignFault(DesignOf({frame, Row("dir", ControlKind::FolderList, "fraOutro")})).has_value())
      << "a frame the design does not have";
  EXPECT_TRUE(DesignFault(DesignOf({Row("lbl", ControlKind::Label), Row("dir", ControlKind::FolderList, "lbl")}))
                  .has_value())
      << "a label is no frame";
  EXPECT_TRUE(DesignFault(DesignOf({frame, Row("fraDentro", ControlKind::Frame, "fraLocal")})).has_value())
      << "frames do not nest";
}

TEST(WindowDesignRules, TheRealWindowsRefuseAFaultyDesignAsAnInvalidCall) {
  try {
    RequireSoundDesign(DesignOf({Row("lbl", ControlKind::Label), Row("lbl", ControlKind::Label)}));
    FAIL() << "a design that names a control twice was accepted";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrInvalidCall);
    EXPECT_EQ(error.hostDetail(), "the design names lbl twice");
  }
}

TEST(FocusOrder, TabVisitsTheControlsThatTakeTheFocusByTabIndexThenInDesignOrder) {
  const WindowDesign design = DesignOf({
      Row("cmdSair", ControlKind::Button, "", 5),
      Row("fraLocal", ControlKind::Frame, "", 0),
      Row("lblTitulo", ControlKind::Label, "", 1),
      Row("drvLocal", ControlKind::DriveList, "fraLocal", 2),
      Row("chkFotos", ControlKind::CheckBox, "", 4),
      Row("dirLocal", ControlKind::FolderList, "fraLocal", 3),
      Row("cmdBackup", ControlKind::Button, "", 4),
  });
  EXPECT_EQ(Names(FocusOrder(design)),
            (std::vector<std::string>{"drvLocal", "dirLocal", "chkFotos", "cmdBackup", "cmdSair"}));
}

}  // namespace
}  // namespace bt
