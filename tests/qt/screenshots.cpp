// Renders the real main window and every message box the operations show,
// on the offscreen platform, for docs/screenshots/ (make screenshots). The
// boxes come from real backups and restores over temporary drives, so the
// pictures show the program's own texts. The top-level error report is left
// out: its detail names the host's temporary folders.
//
//     bt_screenshots OUTPUT_FOLDER            every picture
//     bt_screenshots OUTPUT_FOLDER SUFFIX     the window and the confirmation
//                                             only, named <name>_SUFFIX.png
//                                             (for runs at QT_SCALE_FACTOR)
#include <cstdio>
#include <deque>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "app/frm_backup.h"
#include "app/main.h"
#include "app/mod_backup_startup.h"
#include "platform/linux/linux_file_system.h"
#include "ui/qt/classic_message_box.h"
#include "ui/qt/program_icon.h"
#include "ui/qt/qt_window_system.h"
#include "testing/memory_registry.h"
#include "testing/temp_drives.h"

namespace {

class FixedClock final : public bt::Clock {
 public:
  bt::LocalDateTime Now() override { return {2024, 3, 5, 14, 7, 9}; }
};

QDir output;
std::string suffix;
bool ok = true;

bool Save(QWidget& widget, const std::string& name) {
  const std::string file = suffix.empty() ? name + ".png" : name + "_" + suffix + ".png";
  const QString path = output.filePath(QString::fromStdString(file));
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "bt_screenshots: não foi possível gravar %s\n", path.toUtf8().constData());
    return ok = false;
  }
  std::printf("%s\n", path.toUtf8().constData());
  return true;
}

// The boxes expected next, in order: the picture's name (empty: not saved)
// and the button that answers it.
struct ExpectedBox {
  std::string name;
  int button;
};
std::deque<ExpectedBox> expected;

// Watches for the next modal box while an operation runs inside its click
// handler; a box nobody expected, or none at all, fails the run.
void AnswerBoxes() {
  auto* box = dynamic_cast<bt::ClassicMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible()) return;
  if (expected.empty()) {
    std::fprintf(stderr, "bt_screenshots: caixa inesperada \"%s\"\n", box->windowTitle().toUtf8().constData());
    ok = false;
    box->done(QDialog::Rejected);
    return;
  }
  const ExpectedBox next = expected.front();
  expected.pop_front();
  QApplication::processEvents();
  if (!next.name.empty()) Save(*box, next.name);
  box->Buttons().at(next.button)->click();
}

QWidget* MainWindow() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == "frmBackup") return top;
  }
  return nullptr;
}

// Clicks a button of the main window with the location (unless empty) and
// the check box set as given, and answers the boxes that follow.
void Press(const char* button, const std::string& location, bool includeAll, std::deque<ExpectedBox> boxes) {
  if (!location.empty()) bt::frmBackup().SetPath("dirLocal", location);
  MainWindow()->findChild<QCheckBox*>("chkIncluirTudo")->setChecked(includeAll);
  expected = std::move(boxes);
  MainWindow()->findChild<QPushButton*>(button)->click();
  if (!expected.empty()) {
    std::fprintf(stderr, "bt_screenshots: faltou a caixa de %s\n", expected.front().name.c_str());
    ok = false;
  }
}

constexpr int kOk = 0, kYes = 0;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "uso: bt_screenshots PASTA_DE_SAIDA [SUFIXO]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Windows"));
  QApplication::setWindowIcon(bt::ProgramIcon());
  output = QDir(QString::fromLocal8Bit(argv[1]));
  if (argc == 3) suffix = argv[2];
  if (!QDir().mkpath(output.path())) return 1;

  // A machine with Tarvel on its hard disk, an earlier backup holding the
  // database alone, and a second disk.
  bt::doubles::TempDrives drives;
  drives.AddDrive('C');
  drives.MakeFolder("C:\\Arquivos de Programas");
  drives.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco de dados");
  drives.WriteFile("C:\\Tarvel\\tarvel.ini", "[Opcoes]\n");
  drives.WriteFile("C:\\Tarvel\\Fotos\\produto1.jpg", "foto");
  drives.WriteFile("C:\\Copias\\20240301_093012\\vendrial.mdb", "banco de dados antigo");
  drives.MakeFolder("C:\\Windows");
  drives.AddDrive('D');
  // Labels as a user would see them, not the temporary host folders.
  bt::DriveTable table = drives.table();
  for (bt::DriveMapping& drive : table) drive.label = drive.letter == 'C' ? "Disco local" : "Dados";
  const auto files = bt::MakeLinuxFileSystem(table);
  bt::doubles::MemoryRegistry registry;
  registry.SetText(bt::kHkeyLocalMachine, "Software\\KESTAL\\Tarvel\\2.0", "Path", "C:\\Tarvel");
  FixedClock clock;
  bt::QtWindowSystem windows(*files, [](int) {});
  bt::Services services{windows, *files, registry, clock};

  bt::Main(services);
  QWidget* top = MainWindow();
  if (top == nullptr) return 1;
  QTimer boxes;
  QObject::connect(&boxes, &QTimer::timeout, &boxes, AnswerBoxes);
  boxes.start(20);

  bt::frmBackup().SetPath("dirLocal", "C:\\Copias");
  QApplication::processEvents();
  Save(*top, "main_window");
  if (!suffix.empty()) {
    Press("cmdRestore", "C:\\Copias", false, {{"message_restore_question", 1}});
    bt::DropApplication();
    return ok ? 0 : 1;
  }
  // Busy: the buttons disabled (the hourglass is the pointer's, not drawn).
  bt::EnableControls(false);
  Save(*top, "main_window_busy");
  bt::EnableControls(true);

  Press("cmdBackup", "C:\\Copias", false, {{"message_backup_done", kOk}});
  // The same second again: the set's folder exists already.
  Press("cmdBackup", "C:\\Copias", false, {{"message_folder_error", kOk}, {"", kOk}});
  Press("cmdBackup", "C:\\Tarvel\\Fotos", true, {{"message_backup_inside_photos", kOk}});
  Press("cmdRestore", "C:\\Copias", false,
        {{"message_restore_question", kYes}, {"message_not_a_backup", kOk}});
  Press("cmdRestore", "C:\\Tarvel", false, {{"", kYes}, {"message_wrong_location", kOk}});
  Press("cmdRestore", "C:\\Copias\\20240301_093012", true, {{"", kYes}, {"message_incomplete_backup", kOk}});
  Press("cmdRestore", "C:\\Copias\\20240301_093012", false, {{"", kYes}, {"message_restore_done", kOk}});

  bt::DropApplication();
  return ok ? 0 : 1;
}
