// Renders the real main window and each kind of message box into PNG files,
// on the offscreen platform, for docs/screenshots/ (make screenshots).
//
//     bt_screenshots OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include <QApplication>
#include <QDir>
#include <QWidget>

#include "app/error_report.h"
#include "app/frm_backup.h"
#include "app/main.h"
#include "app/mod_backup.h"
#include "platform/posix/posix_file_system.h"
#include "platform/qt/classic_message_box.h"
#include "platform/qt/program_icon.h"
#include "platform/qt/qt_window_system.h"
#include "platform/testing/memory_registry.h"
#include "platform/testing/temp_drives.h"

namespace {

class FixedClock final : public bt::Clock {
 public:
  bt::LocalDateTime Now() override { return {2024, 3, 5, 14, 7, 9}; }
};

bool Save(QWidget& widget, const QDir& folder, const char* name) {
  const QString path = folder.filePath(QString::fromUtf8(name));
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "bt_screenshots: não foi possível gravar %s\n", path.toUtf8().constData());
    return false;
  }
  std::printf("%s\n", path.toUtf8().constData());
  return true;
}

bool SaveBox(const QDir& folder, const char* name, const std::string& text, const std::string& title,
             bt::MessageIcon icon, bt::MessageButtons buttons) {
  bt::ClassicMessageBox box(nullptr, text, title, icon, buttons);
  box.show();
  QApplication::processEvents();
  const bool saved = Save(box, folder, name);
  box.done(QDialog::Accepted);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "uso: bt_screenshots PASTA_DE_SAIDA\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Windows"));
  QApplication::setWindowIcon(bt::ProgramIcon());
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(folder.path())) return 1;

  // A machine with a hard disk holding Tarvel and earlier backups, and a
  // second disk.
  bt::testing::TempDrives drives;
  drives.AddDrive('C');
  drives.MakeFolder("C:\\Arquivos de Programas");
  drives.MakeFolder("C:\\Tarvel\\Fotos");
  drives.MakeFolder("C:\\Copias\\20240301093012");
  drives.MakeFolder("C:\\Copias\\20240305140709");
  drives.MakeFolder("C:\\Windows");
  drives.AddDrive('D');
  // Labels as a user would see them, not the temporary host folders.
  bt::DriveTable table = drives.table();
  for (bt::DriveMapping& drive : table) drive.label = drive.letter == 'C' ? "Disco local" : "Dados";
  const auto files = bt::MakePosixFileSystem(table);
  bt::testing::MemoryRegistry registry;
  registry.SetText(bt::kHkeyLocalMachine, "Software\\KESTAL\\Tarvel\\2.0", "Path", "C:\\Tarvel");
  FixedClock clock;
  bt::QtWindowSystem windows(*files, [](int) {});
  bt::Services services{windows, *files, registry, clock};

  bt::Main(services);
  bt::frmBackup().SetPath("dirLocal", "C:\\Copias");
  bool ok = false;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->objectName() == "frmBackup") {
      QApplication::processEvents();
      ok = Save(*top, folder, "main_window.png");
      // Busy: the buttons disabled (the hourglass is the pointer's, not drawn).
      bt::EnableControls(false);
      ok = Save(*top, folder, "main_window_busy.png") && ok;
      bt::EnableControls(true);
    }
  }

  using bt::MessageButtons;
  using bt::MessageIcon;
  ok = SaveBox(folder, "message_information.png",
               "A cópia de segurança dos dados foi concluída com sucesso no seguinte local:\n"
               "C:\\Copias\\20240305140709",
               "Operação concluída", MessageIcon::Information, MessageButtons::Ok) && ok;
  ok = SaveBox(folder, "message_question.png",
               "Este procedimento substituirá os arquivos de dados atualmente disponíveis para o "
               "Tarvel 2.0 \npor esta cópia de segurança criada anteriormente. Tem certeza que "
               "deseja prosseguir?",
               "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo) && ok;
  ok = SaveBox(folder, "message_error.png",
               "Ocorreu um erro ao criar a pasta de destino:\nC:\\Copias\\20240305140709",
               "Erro", MessageIcon::Error, MessageButtons::Ok) && ok;
  ok = SaveBox(folder, "message_error_report.png",
               bt::ErrorReportText(61, bt::DescriptionOf(61), ""), bt::kErrorReportTitle,
               MessageIcon::Error, MessageButtons::Ok) && ok;

  bt::DropApplication();
  return ok ? 0 : 1;
}
