// A button pressed while another backup or restore of the installation
// (another user's window, a scheduled backup) is under way: the window
// waits, busy and still answering the desktop, and the operation runs once
// the other has ended.
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/operation_elsewhere.h"
#include "tests/unit/app/app_scenario.h"

namespace bt {
namespace {

class AnotherOperationWindowTest : public AppScenario {
 protected:
  void SetUp() override {
    drives.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco original");
    drives.MakeFolder("C:\\Copias");
    SetInstallPath("C:\\Tarvel");
    ASSERT_FALSE(Start("C:\\Copias").has_value());
  }

  // While the other operation holds the installation, counts the window's
  // turns, notes what the user would have seen, and ends the other
  // operation at the turn given.
  void WatchTheWait(doubles::OperationElsewhere& other, int endAtTurn) {
    windows->OnKeepResponsive([this, &other, endAtTurn] {
      if (other.letGo()) return;
      ++turns_;
      idleMeanwhile_ = idleMeanwhile_ || form().MousePointer() != kPointerHourglass ||
                       form().Enabled("cmdBackup") || form().Enabled("cmdRestore");
      begunMeanwhile_ = begunMeanwhile_ || std::filesystem::exists(drives.Host(set_));
      if (turns_ == endAtTurn) other.Finish();
    });
  }

  const std::string set_ = "C:\\Copias\\20240305_140709";
  int turns_ = 0;
  bool idleMeanwhile_ = false;
  bool begunMeanwhile_ = false;
};

TEST_F(AnotherOperationWindowTest, FazerBackupWaitsBusyWhileAnotherRunsThenBacksUp) {
  doubles::OperationElsewhere other(drives, "C:\\Tarvel");
  WatchTheWait(other, 3);
  windows->QueueAnswer(MessageAnswer::Ok);

  form().Click("cmdBackup");

  EXPECT_EQ(turns_, 3) << "the window did not keep answering while it waited";
  EXPECT_FALSE(begunMeanwhile_) << "the backup began beside the other operation";
  EXPECT_FALSE(idleMeanwhile_) << "the window looked idle while it waited";
  EXPECT_EQ(drives.ReadFile(set_ + "\\vendrial.mdb"), "banco original");
  ASSERT_EQ(windows->messages().size(), 1u);
  EXPECT_EQ(windows->messages().back().title, "Operação concluída");
  EXPECT_EQ(form().MousePointer(), kPointerDefault);
}

}  // namespace
}  // namespace bt
