// The program BackupTarvel: the platform's services around the application.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QWidget>

#include "app/frm_backup.h"
#include "app/main.h"
#include "app/services.h"
#include "platform/linux/wine/drive_table.h"
#include "platform/linux/instance_place.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/wine/wine_registry.h"
#include "programs/linux/display_check.h"
#include "ui/qt/program_icon.h"
#include "ui/qt/qt_window_system.h"
#include "programs/linux/single_window.h"
#include "programs/linux/tarvel_prefix.h"

int main(int argc, char** argv) {
  if (const auto reason = bt::NoDisplayReason([](const char* name) { return std::getenv(name); })) {
    std::fprintf(stderr, "%s\n", reason->c_str());
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("BackupTarvel"));
  QApplication::setApplicationVersion(QStringLiteral(BT_VERSION));
  // Lets the desktop match the window to the installed desktop entry (its
  // name and icon in the task bar; the application id on Wayland).
  QApplication::setDesktopFileName(QStringLiteral(BT_APP_ID));
  QApplication::setStyle(QStringLiteral("Windows"));
  QApplication::setWindowIcon(bt::ProgramIcon());

  // The prefix that holds Tarvel 2.0 first; a later start of the same user
  // and prefix brings the first program's window forward and ends here.
  const auto environment = [](const char* name) -> const char* { return std::getenv(name); };
  const bt::WinePrefixChoice wine = bt::ProgramWinePrefix();
  std::unique_ptr<bt::SingleWindow> single;
  if (const auto place = bt::InstancePlaceFor(wine.prefix, environment)) {
    single = std::make_unique<bt::SingleWindow>(*place);
    if (!single->Claim()) return 0;
  }

  const std::unique_ptr<bt::FileSystem> files =
      bt::MakeLinuxFileSystem(bt::MachineDriveTable(wine.prefix), {}, bt::DefaultCopyWorkers());
  const std::unique_ptr<bt::Registry> registry = bt::MakeWineRegistry(wine.prefix + "/system.reg");
  bt::QtWindowSystem windows(*files);
  const std::unique_ptr<bt::DeveloperLog> log = bt::OpenDeveloperLog();
  if (!wine.reason.empty()) log->Append(bt::LogLineStamp(bt::SystemClock().Now()) + wine.reason);
  bt::Services services{windows, *files, *registry, bt::SystemClock(), log.get()};

  bt::Main(services);
  // Main ends the process itself when start-up fails; a window it did not
  // show would leave the event loop waiting for nothing.
  QWidget* shown = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) shown = widget;
  }
  if (single != nullptr) single->ForwardTo(shown);
  int status = 1;
  if (shown != nullptr) status = QApplication::exec();
  bt::DropApplication();
  return status;
}
