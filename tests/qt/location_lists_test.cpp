// The drive list and the folder list as the user works them: what they show,
// which action opens a folder, and when their change events run.
#include <filesystem>

#include <QComboBox>
#include <QListWidget>

#include "ui/qt/folder_list_widget.h"
#include "tests/qt/qt_fixture.h"

namespace bt {
namespace {

class LocationListsTest : public QtWindowTest {
 protected:
  void SetUp() override {
    Create();
    window->SetHandler("drvLocal", ControlEvent::Change, [this] { ++driveChanges; });
    window->SetHandler("dirLocal", ControlEvent::Change, [this] { ++pathChanges; });
  }

  QListWidget* Folders() { return Control<QListWidget>("dirLocal"); }
  QComboBox* Drives() { return Control<QComboBox>("drvLocal"); }

  QStringList Names() {
    QStringList names;
    for (int row = 0; row < Folders()->count(); ++row) names << Folders()->item(row)->text();
    return names;
  }

  QListWidgetItem* Item(const QString& name) {
    const QList<QListWidgetItem*> found = Folders()->findItems(name, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << name.toStdString();
    return found.value(0);
  }

  QPoint Centre(const QString& name) { return Folders()->visualItemRect(Item(name)).center(); }

  int driveChanges = 0;
  int pathChanges = 0;
};

TEST_F(LocationListsTest, TheDriveListOffersEveryDriveAndShowsTheOneChosen) {
  window->SetDrive("drvLocal", "C:");
  ASSERT_EQ(Drives()->count(), 3);
  EXPECT_TRUE(Drives()->itemText(0).startsWith("c:"));
  EXPECT_TRUE(Drives()->itemText(1).startsWith("d:"));
  EXPECT_TRUE(Drives()->itemText(2).startsWith("e:"));
  EXPECT_EQ(Drives()->currentIndex(), 0);
  EXPECT_EQ(window->Drive("drvLocal").substr(0, 2), "c:");
  EXPECT_EQ(driveChanges, 1);
}

TEST_F(LocationListsTest, SettingTheDriveItAlreadyShowsRaisesNoEvent) {
  window->SetDrive("drvLocal", "c:");
  window->SetDrive("drvLocal", "C: [anything]");
  EXPECT_EQ(driveChanges, 1);
}

TEST_F(LocationListsTest, ADriveThatDoesNotExistIsRefusedAndTheListStaysAsItWas) {
  window->SetDrive("drvLocal", "e:");
  try {
    window->SetDrive("drvLocal", "q:");
    ADD_FAILURE() << "q: was taken";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrDeviceUnavailable);
  }
  EXPECT_EQ(Drives()->currentIndex(), 2);
  EXPECT_EQ(driveChanges, 1);
}

TEST_F(LocationListsTest, TheFolderListShowsTheChainThenTheVisibleSubfoldersSortedIgnoringCase) {
  window->SetPath("dirLocal", "C:\\Copias");
  EXPECT_EQ(Names(), QStringList({"C:\\", "Copias", "2024"}));
  window->SetPath("dirLocal", "C:\\");
  EXPECT_EQ(Names(), QStringList({"C:\\", "Arquivos", "Copias", "dados", "Zeta"}));
  EXPECT_EQ(Folders()->currentRow(), 0) << "the current folder is highlighted";
  EXPECT_EQ(Item("C:\\")->data(kFolderIndentRole).toInt(), 0);
  EXPECT_EQ(Item("dados")->data(kFolderIndentRole).toInt(), 1);
}

TEST_F(LocationListsTest, ARefreshShowsAFolderMadeSinceWithoutAnEvent) {
  window->SetPath("dirLocal", "C:\\Copias");
  drives.MakeFolder("C:\\Copias\\20240305_140709");
  EXPECT_EQ(Names(), QStringList({"C:\\", "Copias", "2024"}));

  window->RefreshFolders("dirLocal");

  EXPECT_EQ(Names(), QStringList({"C:\\", "Copias", "2024", "20240305_140709"}));
  EXPECT_EQ(Folders()->currentRow(), 1) << "the current folder stays highlighted";
  EXPECT_EQ(window->Path("dirLocal"), "C:\\Copias");
  EXPECT_EQ(pathChanges, 1);
}

TEST_F(LocationListsTest, EachFolderOfTheChainIsIndentedOneStepFurther) {
  window->SetPath("dirLocal", "C:\\Copias\\2024");
  ASSERT_EQ(Names(), QStringList({"C:\\", "Copias", "2024"}));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Folders()->item(row)->data(kFolderIndentRole).toInt(), row);
  }
  EXPECT_EQ(Folders()->currentRow(), 2);

  // Drawn so: each entry's picture starts one step further right.
  Folders()->clearSelection();
  const QImage drawn = Folders()->viewport()->grab().toImage();
  const QRgb background = drawn.pixel(drawn.width() - 2, drawn.height() - 2);
  // The picture is in device pixels, at the screen's scale.
  const qreal scale = drawn.devicePixelRatio();
  std::vector<int> firstInk;
  for (int row = 0; row < 3; ++row) {
    const QRectF logical = Folders()->visualItemRect(Folders()->item(row));
    const QRect line(QPointF(logical.topLeft() * scale).toPoint(), QSizeF(logical.size() * scale).toSize());
    int first = -1;
    for (int x = line.left(); x <= line.right() && first < 0; ++x) {
      for (int y = line.top(); y <= line.bottom(); ++y) {
        if (drawn.pixel(x, y) != background) {
          first = x;
          break;
        }
      }
    }
    firstInk.push_back(first);
  }
  const int step = dynamic_cast<FolderListWidget*>(Folders())->IndentStep();
  EXPECT_GT(step, 0);
  const double tolerance = scale == 1 ? 0 : 1;  // a scaled step is rounded to whole pixels
  EXPECT_NEAR(firstInk[1] - firstInk[0], step * scale, tolerance);
  EXPECT_NEAR(firstInk[2] - firstInk[1], step * scale, tolerance);
}

TEST_F(LocationListsTest, AClickOrTheArrowKeysOnlyHighlightAFolder) {
  window->SetPath("dirLocal", "C:\\");
  pathChanges = 0;
  ShowAndActivate();
  QTest::mouseClick(Folders()->viewport(), Qt::LeftButton, {}, Centre("Copias"));
  EXPECT_EQ(Folders()->currentItem()->text(), "Copias");
  Folders()->setFocus();
  PressKey(Qt::Key_Down);
  EXPECT_EQ(Folders()->currentItem()->text(), "dados");
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(pathChanges, 0);
}

TEST_F(LocationListsTest, ADoubleClickOpensTheFolderAndRaisesTheChangeOnce) {
  window->SetPath("dirLocal", "C:\\");
  pathChanges = 0;
  ShowAndActivate();
  std::string pathSeen;
  window->SetHandler("dirLocal", ControlEvent::Change, [&] {
    ++pathChanges;
    pathSeen = window->Path("dirLocal");
  });
  QTest::mouseDClick(Folders()->viewport(), Qt::LeftButton, {}, Centre("Copias"));
  EXPECT_EQ(window->Path("dirLocal"), "C:\\Copias");
  EXPECT_EQ(pathSeen, "C:\\Copias") << "the handler sees the new path";
  EXPECT_EQ(pathChanges, 1);
  EXPECT_EQ(Names(), QStringList({"C:\\", "Copias", "2024"}));
  EXPECT_EQ(Folders()->currentItem()->text(), "Copias");

  // Opening the drive root again goes back up.
  QTest::mouseDClick(Folders()->viewport(), Qt::LeftButton, {}, Centre("C:\\"));
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(pathChanges, 2);
}

TEST_F(LocationListsTest, EnterOpensTheHighlightedFolder) {
  window->SetPath("dirLocal", "C:\\");
  pathChanges = 0;
  ShowAndActivate();
  Folders()->setFocus();
  PressKey(Qt::Key_Down);
  PressKey(Qt::Key_Down);
  EXPECT_EQ(pathChanges, 0);
  PressKey(Qt::Key_Return);
  EXPECT_EQ(window->Path("dirLocal"), "C:\\Copias");
  EXPECT_EQ(pathChanges, 1);
}

TEST_F(LocationListsTest, OpeningTheCurrentFolderAgainChangesNothing) {
  window->SetPath("dirLocal", "C:\\Copias");
  pathChanges = 0;
  ShowAndActivate();
  QTest::mouseDClick(Folders()->viewport(), Qt::LeftButton, {}, Centre("Copias"));
  EXPECT_EQ(pathChanges, 0);
  window->SetPath("dirLocal", "c:\\copias\\..\\Copias\\");
  EXPECT_EQ(pathChanges, 0);
}

TEST_F(LocationListsTest, AFolderRemovedSinceTheListWasReadCannotBeOpened) {
  window->SetPath("dirLocal", "C:\\");
  pathChanges = 0;
  ShowAndActivate();
  const QPoint zeta = Centre("Zeta");
  std::filesystem::remove(drives.Host("C:\\Zeta"));
  QTest::mouseDClick(Folders()->viewport(), Qt::LeftButton, {}, zeta);
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(pathChanges, 0);
  EXPECT_FALSE(Names().contains("Zeta")) << "the list was read again";
}

TEST_F(LocationListsTest, AFolderThatCannotBeOpenedMakesTheSettingFailAndKeepsTheList) {
  window->SetPath("dirLocal", "C:\\Copias");
  pathChanges = 0;
  const QStringList before = Names();
  EXPECT_THROW(window->SetPath("dirLocal", "C:\\Nada"), AppError);
  EXPECT_THROW(window->SetPath("dirLocal", "d:"), AppError);
  EXPECT_EQ(window->Path("dirLocal"), "C:\\Copias");
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(Folders()->currentItem()->text(), "Copias");
  EXPECT_EQ(pathChanges, 0);
}

TEST_F(LocationListsTest, ChoosingAnotherDriveRaisesTheChangeEvenWhenItCannotBeOpened) {
  window->SetDrive("drvLocal", "c:");
  driveChanges = 0;
  ShowAndActivate();
  Drives()->setFocus();
  PressKey(Qt::Key_Down);  // the user steps to d:, a floppy drive without a disk
  EXPECT_EQ(driveChanges, 1);
  EXPECT_EQ(window->Drive("drvLocal").substr(0, 2), "d:");
  EXPECT_EQ(Drives()->currentIndex(), 1);
}

TEST_F(LocationListsTest, AChangeHandlerCanPutTheDriveListBackWhileTheUserChooses) {
  window->SetDrive("drvLocal", "c:");
  driveChanges = 0;
  window->SetHandler("drvLocal", ControlEvent::Change, [this] {
    ++driveChanges;
    if (window->Drive("drvLocal").substr(0, 2) == "d:") window->SetDrive("drvLocal", "C:");
  });
  ShowAndActivate();
  Drives()->setFocus();
  PressKey(Qt::Key_Down);
  EXPECT_EQ(driveChanges, 2) << "the user's change, then the handler's own";
  EXPECT_EQ(Drives()->currentIndex(), 0);
  EXPECT_TRUE(Drives()->currentText().startsWith("c:"));
}

}  // namespace
}  // namespace bt
