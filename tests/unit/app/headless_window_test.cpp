// The headless window keeps the event rules of the real one, so that the
// window scenarios mean something.
#include "ui/headless/headless_window.h"

#include <gtest/gtest.h>

#include "testing/temp_drives.h"

namespace bt::doubles {
namespace {

WindowDesign SmallDesign() {
  WindowDesign design;
  design.name = "frmTeste";
  design.title = "Teste";
  design.controls = {
      {"fra", ControlKind::Frame, "", "Quadro", 0, 0, 100, 100, 0, std::nullopt, Alignment::Left},
      {"drv", ControlKind::DriveList, "fra", "", 0, 0, 10, 10, 1, std::nullopt, Alignment::Left},
      {"dir", ControlKind::FolderList, "fra", "", 0, 0, 10, 10, 2, std::nullopt, Alignment::Left},
      {"lbl", ControlKind::Label, "", "texto", 0, 0, 10, 10, 3, std::nullopt, Alignment::Left},
      {"cmdOk", ControlKind::Button, "", "&Ok", 0, 0, 10, 10, 4, std::nullopt, Alignment::Left},
      {"chk", ControlKind::CheckBox, "", "&Tudo", 0, 0, 10, 10, 5, std::nullopt, Alignment::Left},
  };
  return design;
}

class HeadlessWindowTest : public ::testing::Test {
 protected:
  HeadlessWindowTest() {
    drives.AddDrive('C');
    drives.AddDrive('D');
    drives.AddDrive('A', /*openable=*/false);
    drives.MakeFolder("C:\\Copias");
    files = drives.MakeFileSystem();
    system = std::make_unique<HeadlessWindowSystem>(*files);
    owned = system->CreateMainWindow(SmallDesign());
    window = system->window();
  }

  TempDrives drives;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<HeadlessWindowSystem> system;
  std::unique_ptr<Window> owned;
  HeadlessWindow* window = nullptr;
};

TEST_F(HeadlessWindowTest, IsCreatedHiddenWithTheDesignValues) {
  EXPECT_FALSE(window->Visible());
  EXPECT_EQ(window->Text("lbl"), "texto");
  EXPECT_EQ(window->Value("chk"), 0);
  EXPECT_TRUE(window->Enabled("cmdOk"));
  EXPECT_EQ(window->MousePointer(), kPointerDefault);
  EXPECT_EQ(window->Drive("drv"), "");
  EXPECT_EQ(window->Path("dir"), "");
  window->Show();
  EXPECT_TRUE(window->Visible());
}

TEST_F(HeadlessWindowTest, ACodeSettingRunsTheEventInsideTheCallOnlyOnARealChange) {
  std::vector<std::string> seen;
  window->SetHandler("dir", ControlEvent::Change, [&] { seen.push_back(window->Path("dir")); });
  window->SetPath("dir", "C:\\Copias");
  ASSERT_EQ(seen, std::vector<std::string>{"C:\\Copias"});  // ran before SetPath returned
  window->SetPath("dir", "c:\\Copias\\");
  window->SetPath("dir", "C:\\Copias");
  EXPECT_EQ(seen.size(), 1u);
  window->SetPath("dir", "\\");
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Copias", "C:\\"}));
}

TEST_F(HeadlessWindowTest, EventsNestInsideTheHandlerThatSetsAList) {
  std::vector<std::string> order;
  window->SetHandler("drv", ControlEvent::Change, [&] {
    order.push_back("drv begins");
    window->SetPath("dir", window->Drive("drv"));
    order.push_back("drv ends");
  });
  window->SetHandler("dir", ControlEvent::Change, [&] { order.push_back("dir"); });
  window->SetDrive("drv", "C:");
  EXPECT_EQ(order, (std::vector<std::string>{"drv begins", "dir", "drv ends"}));
}

TEST_F(HeadlessWindowTest, AFolderThatCannotBeOpenedFailsTheSettingAndRaisesNothing) {
  window->SetPath("dir", "C:\\Copias");
  int events = 0;
  window->SetHandler("dir", ControlEvent::Change, [&] { ++events; });
  EXPECT_THROW(window->SetPath("dir", "a:"), AppError);
  EXPECT_THROW(window->SetPath("dir", "C:\\Nada"), AppError);
  EXPECT_EQ(window->Path("dir"), "C:\\Copias");
  EXPECT_EQ(events, 0);
}

TEST_F(HeadlessWindowTest, TheUserCanChooseADriveWithoutADisk) {
  window->Show();
  int events = 0;
  window->SetHandler("drv", ControlEvent::Change, [&] { ++events; });
  window->ChooseDrive("drv", "a:");
  EXPECT_EQ(window->Drive("drv").substr(0, 2), "a:");
  EXPECT_EQ(events, 1);
  window->ChooseDrive("drv", "A");
  EXPECT_EQ(events, 1);
  EXPECT_THROW(window->ChooseDrive("drv", "q:"), HeadlessMisuse);
}

TEST_F(HeadlessWindowTest, ADesignTheRealWindowsRefuseIsRefusedToo) {
  WindowDesign twice = SmallDesign();
  twice.controls.push_back(twice.controls.back());
  EXPECT_THROW(system->CreateMainWindow(twice), HeadlessMisuse);
  WindowDesign inLabel = SmallDesign();
  inLabel.controls.back().parent = "lbl";
  EXPECT_THROW(system->CreateMainWindow(inLabel), HeadlessMisuse);
  WindowDesign nested = SmallDesign();
  nested.controls.push_back({"fraDentro", ControlKind::Frame, "fra", "", 0, 0, 10, 10, 6, std::nullopt,
                             Alignment::Left});
  EXPECT_THROW(system->CreateMainWindow(nested), HeadlessMisuse);
  EXPECT_EQ(system->windowsCreated(), 1) << "only the fixture's window was made";
}

TEST_F(HeadlessWindowTest, UserActionsNeedTheWindowShown) {
  EXPECT_THROW(window->Click("cmdOk"), HeadlessMisuse);
  EXPECT_THROW(window->ChooseDrive("drv", "c:"), HeadlessMisuse);
  window->Show();
  EXPECT_NO_THROW(window->Click("cmdOk"));
}

TEST_F(HeadlessWindowTest, WrongControlsFailLoudly) {
  EXPECT_THROW(window->SetText("nada", "x"), HeadlessMisuse);
  EXPECT_THROW(window->Value("lbl"), HeadlessMisuse);
  EXPECT_THROW(window->SetPath("drv", "C:\\"), HeadlessMisuse);
  EXPECT_THROW(window->Text("dir"), HeadlessMisuse);
  EXPECT_THROW(window->SetMousePointer(3), HeadlessMisuse);
}

TEST_F(HeadlessWindowTest, AccessKeysPressTheMarkedEnabledControl) {
  window->Show();
  int clicks = 0;
  window->SetHandler("cmdOk", ControlEvent::Click, [&] { ++clicks; });
  window->PressAccessKey('o');
  EXPECT_EQ(clicks, 1);
  window->PressAccessKey('T');
  EXPECT_EQ(window->Value("chk"), 1);
  window->SetEnabled("cmdOk", false);
  window->PressAccessKey('O');
  window->Click("cmdOk");
  EXPECT_EQ(clicks, 1);
}

TEST_F(HeadlessWindowTest, MessageBoxesAreAnsweredInOrderAndRecorded) {
  window->SetMousePointer(kPointerHourglass);
  system->QueueAnswer(MessageAnswer::No);
  system->QueueAnswer(MessageAnswer::Ok);
  EXPECT_EQ(system->ShowMessage("Continuar?", "T", MessageIcon::Question, MessageButtons::YesNo),
            MessageAnswer::No);
  EXPECT_EQ(system->ShowMessage("Feito", "T", MessageIcon::Information, MessageButtons::Ok),
            MessageAnswer::Ok);
  ASSERT_EQ(system->messages().size(), 2u);
  EXPECT_EQ(system->messages()[0].text, "Continuar?");
  EXPECT_EQ(system->messages()[0].answer, MessageAnswer::No);
  EXPECT_EQ(system->messages()[1].pointerBehind, kPointerHourglass);
  EXPECT_EQ(system->PendingAnswers(), 0u);
}

TEST_F(HeadlessWindowTest, AnUnscriptedOrMisfittingBoxFailsOutsideStdException) {
  EXPECT_THROW(system->ShowMessage("x", "T", MessageIcon::Error, MessageButtons::Ok),
               UnexpectedMessageBox);
  system->QueueAnswer(MessageAnswer::Yes);
  bool caughtAsStd = false;
  try {
    system->ShowMessage("y", "T", MessageIcon::Information, MessageButtons::Ok);
  } catch (const std::exception&) {
    caughtAsStd = true;
  } catch (const UnexpectedMessageBox& box) {
    EXPECT_EQ(box.text, "y");
  }
  EXPECT_FALSE(caughtAsStd);
  EXPECT_EQ(system->messages().size(), 2u);
}

TEST_F(HeadlessWindowTest, EndingRecordsTheStatusAndStopsUserActions) {
  window->Show();
  EXPECT_THROW(system->EndApplication(3), ApplicationEnded);
  EXPECT_EQ(system->exitStatus(), 3);
  EXPECT_THROW(window->Click("cmdOk"), HeadlessMisuse);
}

TEST_F(HeadlessWindowTest, TheWindowSystemForgetsADestroyedWindow) {
  owned.reset();
  EXPECT_EQ(system->window(), nullptr);
}

}  // namespace
}  // namespace bt::doubles
