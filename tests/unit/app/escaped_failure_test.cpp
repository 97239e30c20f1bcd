// A failure that escapes a handler the user's action ran, at the last stop
// of the real window systems: the classic run-time error box, then the end
// of the application with status 1, shown here on the headless window.
#include "ui/common/application_end.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "testing/temp_drives.h"
#include "ui/headless/headless_window.h"

namespace bt::doubles {
namespace {

class EscapedFailure : public ::testing::Test {
 protected:
  EscapedFailure() {
    drives.AddDrive('C');
    files = drives.MakeFileSystem();
    system = std::make_unique<HeadlessWindowSystem>(*files);
  }

  // Reports the failure with an OK answer queued; returns the box shown.
  RecordedMessage Report(std::exception_ptr failure) {
    system->QueueAnswer(MessageAnswer::Ok);
    EXPECT_THROW(ReportEscapedFailureAndEnd(*system, failure), ApplicationEnded);
    EXPECT_EQ(system->exitStatus(), 1);
    EXPECT_EQ(system->messages().size(), 1u);
    return system->messages().empty() ? RecordedMessage{} : system->messages().front();
  }

  TempDrives drives;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<HeadlessWindowSystem> system;
};

TEST_F(EscapedFailure, AnAppErrorIsReportedByItsNumberAndDescriptionThenTheApplicationEnds) {
  const RecordedMessage box = Report(std::make_exception_ptr(AppError(kErrDiskFull, "D:\\Copias")));
  EXPECT_EQ(box.text, "Erro em tempo de execução '61':\n\nDisco cheio");
  EXPECT_EQ(box.title, "BackupTarvel");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(box.buttons, MessageButtons::Ok);
}

TEST_F(EscapedFailure, MemoryRunningOutIsError7) {
  const RecordedMessage box = Report(std::make_exception_ptr(std::bad_alloc()));
  EXPECT_EQ(box.text, "Erro em tempo de execução '7':\n\nMemória insuficiente");
}

TEST_F(EscapedFailure, AFailureWithoutANumberIsTheUnclassified1000) {
  EXPECT_EQ(Report(std::make_exception_ptr(std::logic_error("bug"))).text,
            "Erro em tempo de execução '1000':\n\nErro definido pelo aplicativo ou pelo objeto");
  system = std::make_unique<HeadlessWindowSystem>(*files);
  EXPECT_EQ(Report(std::make_exception_ptr(42)).text.rfind("Erro em tempo de execução '1000'", 0), 0u);
}

TEST_F(EscapedFailure, TheApplicationEndsAlsoWhenTheBoxCannotBeShown) {
  // No answer queued: the headless box fails as a box nobody expected.
  EXPECT_THROW(ReportEscapedFailureAndEnd(*system, std::make_exception_ptr(AppError(kErrDiskFull))),
               ApplicationEnded);
  EXPECT_EQ(system->exitStatus(), 1);
}

}  // namespace
}  // namespace bt::doubles
