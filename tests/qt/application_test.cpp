// The whole application on the real Qt window: start-up, the choice of the
// backup location by keyboard and mouse, and the exit key.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include "app/frm_backup.h"
#include "app/main.h"
#include "testing/memory_registry.h"
#include "tests/qt/qt_fixture.h"

namespace bt {
namespace {

class FixedClock final : public Clock {
 public:
  LocalDateTime Now() override { return {2024, 3, 5, 14, 7, 9}; }
};

// Fails the test and closes any message box that appears while it lives:
// for actions that must not ask the user anything.
class NoMessageBoxes {
 public:
  NoMessageBoxes() {
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (auto* box = dynamic_cast<ClassicMessageBox*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "unexpected message box: " << box->ClipboardText().toStdString();
        box->done(QDialog::Rejected);
      }
    });
    timer_.start(10);
  }

 private:
  QTimer timer_;
};

class ApplicationOnQtTest : public QtWindowTest {
 protected:
  void SetUp() override {
    registry.SetText(kHkeyLocalMachine, "Software\\KESTAL\\Tarvel\\2.0", "Path", "C:\\Tarvel");
    drives.MakeFolder("C:\\Tarvel");
    Main(services);
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == "frmBackup") form = top;
    }
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  }
  void TearDown() override { DropApplication(); }

  template <typename T = QWidget>
  T* Find(const char* name) {
    T* found = form->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString Location() { return Find<QLabel>("lblLocalExtenso")->text(); }

  doubles::MemoryRegistry registry;
  FixedClock clock;
  Services services{*windows, *files, registry, clock};
  QWidget* form = nullptr;
  NoMessageBoxes noBoxes;
};

TEST_F(ApplicationOnQtTest, StartsShownOnDriveCWithTheInstallationFolderAndTheLocation) {
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Find<QLabel>("lblLocalTarvel")->text(), "C:\\Tarvel");
  EXPECT_EQ(Location(), "C:\\");
  EXPECT_TRUE(Find<QComboBox>("drvLocal")->currentText().startsWith("c:"));
  EXPECT_EQ(QApplication::focusWidget(), Find("drvLocal"));
  EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ApplicationOnQtTest, AFloppyDriveWithoutADiskIsRefusedSilently) {
  PressKey(Qt::Key_Down);  // from c: to d:, which cannot be opened
  EXPECT_TRUE(Find<QComboBox>("drvLocal")->currentText().startsWith("c:"));
  EXPECT_EQ(Location(), "C:\\");
  EXPECT_FALSE(endStatus.has_value());
}

TEST_F(ApplicationOnQtTest, AReadableDriveBecomesTheLocationAndItsFoldersAreListed) {
  PressKey(Qt::Key_End);  // the last drive, e:
  EXPECT_TRUE(Find<QComboBox>("drvLocal")->currentText().startsWith("e:"));
  EXPECT_EQ(Location(), "E:\\");
  auto* folders = Find<QListWidget>("dirLocal");
  ASSERT_EQ(folders->count(), 2);
  EXPECT_EQ(folders->item(1)->text(), "Backups");

  const QPoint backups = folders->visualItemRect(folders->item(1)).center();
  QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, backups);
  EXPECT_EQ(Location(), "E:\\") << "a highlighted folder is not the location";
  QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, backups);
  EXPECT_EQ(Location(), "E:\\Backups");
}

TEST_F(ApplicationOnQtTest, AltREndsTheApplication) {
  PressKey(Qt::Key_R, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return endStatus.has_value(); }, 2000));
  EXPECT_EQ(endStatus, 0);
}

}  // namespace
}  // namespace bt
