// The idle and busy states, the exit button and the check box.
#include <map>

#include "app/mod_backup_startup.h"
#include "tests/unit/app/app_scenario.h"

namespace bt {
namespace {

struct Look {
  std::map<std::string, std::pair<bool, std::string>> controls;  // enabled, text
  int pointer = 0;
  int check = 0;
  std::string drive, path;
  bool operator==(const Look&) const = default;
};

class WindowStates : public AppScenario {
 protected:
  void SetUp() override {
    SetInstallPath("C:\\Tarvel");
    ASSERT_EQ(Start(), std::nullopt);
  }

  Look LookOf() {
    Look look;
    for (const ControlDesign& row : form().design().controls) {
      const doubles::HeadlessControl& control = form().control(row.name);
      look.controls[row.name] = {control.enabled, control.text};
    }
    look.pointer = form().MousePointer();
    look.check = form().Value("chkIncluirTudo");
    look.drive = form().Drive("drvLocal");
    look.path = form().Path("dirLocal");
    return look;
  }
};

TEST_F(WindowStates, BusyDisablesOnlyTheThreeButtonsAndShowsTheHourglass) {
  Look expected = LookOf();
  EnableControls(false);
  for (const char* name : {"cmdBackup", "cmdRestore", "cmdSair"}) {
    expected.controls[name].first = false;
  }
  expected.pointer = kPointerHourglass;
  EXPECT_EQ(LookOf(), expected);
  EXPECT_TRUE(form().Enabled("chkIncluirTudo"));
  EXPECT_TRUE(form().Enabled("drvLocal"));
  EXPECT_TRUE(form().Enabled("dirLocal"));
}

TEST_F(WindowStates, IdleOnAnIdleWindowChangesNothing) {
  const Look before = LookOf();
  EnableControls(true);
  EXPECT_EQ(LookOf(), before);
}

TEST_F(WindowStates, BusyTwiceStaysBusyAndIdleRestoresEverything) {
  const Look idle = LookOf();
  EnableControls(false);
  const Look busy = LookOf();
  EnableControls(false);
  EXPECT_EQ(LookOf(), busy);
  EXPECT_EQ(form().MousePointer(), kPointerHourglass);
  EnableControls(true);
  EXPECT_EQ(LookOf(), idle);
}

TEST_F(WindowStates, SairEndsTheApplicationWithoutAQuestion) {
  EXPECT_EQ(EndsWith([&] { form().Click("cmdSair"); }), 0);
  EXPECT_TRUE(windows->messages().empty());
  EXPECT_EQ(windows->exitStatus(), 0);
}

TEST_F(WindowStates, AltREndsTheApplicationAsTheClickDoes) {
  EXPECT_EQ(EndsWith([&] { form().PressAccessKey('R'); }), 0);
  EXPECT_TRUE(windows->messages().empty());
}

TEST_F(WindowStates, ABusyWindowIgnoresSairByClickAndByAltR) {
  EnableControls(false);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdSair"); }), std::nullopt);
  EXPECT_EQ(EndsWith([&] { form().PressAccessKey('r'); }), std::nullopt);
  EXPECT_FALSE(windows->ended());
  EnableControls(true);
  EXPECT_EQ(EndsWith([&] { form().Click("cmdSair"); }), 0);
}

TEST_F(WindowStates, AClickOnADisabledButtonRunsNoHandler) {
  int runs = 0;
  SetReportedHandler(frmBackup(), "cmdBackup", ControlEvent::Click, [&] { ++runs; });
  form().Click("cmdBackup");
  ASSERT_EQ(runs, 1);
  EnableControls(false);
  form().Click("cmdBackup");
  EXPECT_EQ(runs, 1);
}

TEST_F(WindowStates, TickingTheCheckBoxOnlyChangesItsValue) {
  Look expected = LookOf();
  form().SetChecked("chkIncluirTudo", 1);
  expected.check = 1;
  EXPECT_EQ(LookOf(), expected);
  EXPECT_EQ(form().Value("chkIncluirTudo"), 1);
  form().SetChecked("chkIncluirTudo", 0);
  EXPECT_EQ(form().Value("chkIncluirTudo"), 0);
  EXPECT_TRUE(windows->messages().empty());
}

TEST_F(WindowStates, ClosingTheWindowEndsTheApplicationWithoutRunningHandlers) {
  EXPECT_EQ(EndsWith([&] { form().CloseByUser(); }), 0);
  EXPECT_TRUE(windows->messages().empty());
}

}  // namespace
}  // namespace bt
