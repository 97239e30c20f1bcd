// The program copies a tree's files on two workers beside the walk: a
// backup lands whole, and one that fails on a photo says which and never
// that it succeeded.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/linux/linux_file_system.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/reliability/installation_snapshot.h"

namespace bt {
namespace {

class BackgroundCopies : public doubles::OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    doubles::WriteInstallation(drives_, "C:\\Tarvel", 3);
    for (int i = 0; i < 300; ++i) {
      drives_.WriteFile("C:\\Tarvel\\Fotos\\" + std::to_string(i % 3) + "\\foto" + std::to_string(i) + ".jpg",
                        doubles::Bytes(1000 + i, i));
    }
    files_ = MakeLinuxFileSystem(drives_.table(), drives_.root(), 2);
  }
};

TEST_F(BackgroundCopies, ABackupOfManyPhotosLandsWholeAsTheInstallationHasThem) {
  auto context = Context();
  BackupData(context, "D:\\", true);
  ASSERT_EQ(boxes_.shown.back().title, "Operação concluída");
  EXPECT_EQ(doubles::TreeDifference(doubles::ExpectedSet(doubles::ReadTree(drives_.Host("C:\\Tarvel"))),
                                    doubles::ReadTree(drives_.Host("D:\\20090117_130904"))),
            "");
}

TEST_F(BackgroundCopies, APhotoThatCannotBeCopiedFailsTheBackupNamingIt) {
  ASSERT_EQ(::mkfifo(drives_.Host("C:\\Tarvel\\Fotos\\cano.jpg").c_str(), 0644), 0);
  auto context = Context();
  try {
    BackupData(context, "D:\\", true);
    FAIL() << "the backup succeeded without the photo";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrPathFileAccess);
    EXPECT_NE(error.detail().find("C:\\Tarvel\\Fotos\\cano.jpg"), std::string::npos) << error.detail();
  }
  for (const auto& box : boxes_.shown) EXPECT_NE(box.title, "Operação concluída");
}

}  // namespace
}  // namespace bt
