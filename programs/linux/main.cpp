// The program BackupTarvel: the platform's services around the application.
// With arguments it runs the command line instead, before anything of Qt:
// a scheduled backup needs no display.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <QApplication>
#include <QWidget>

#include "app/command_line.h"
#include "app/command_line_backup.h"
#include "app/frm_backup.h"
#include "app/main.h"
#include "app/services.h"
#include "platform/linux/wine/drive_table.h"
#include "platform/linux/instance_place.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/wine/wine_registry.h"
#include "platform/linux/working_folder.h"
#include "platform/windows_path.h"
#include "programs/linux/display_check.h"
#include "ui/qt/program_icon.h"
#include "ui/qt/qt_window_system.h"
#include "programs/linux/single_window.h"
#include "programs/linux/tarvel_prefix.h"

namespace {

// The seam on this machine, the same for the window and the command line:
// the drives and the registry of the Wine prefix the program works in.
struct HostSeam {
  explicit HostSeam(const bt::WinePrefixChoice& wine)
      : drives(bt::MachineDriveTable(wine.prefix)),
        files(bt::MakeLinuxFileSystem(drives, {}, bt::DefaultCopyWorkers())),
        registry(bt::MakeWineRegistry(wine.prefix + "/system.reg")) {}
  bt::DriveTable drives;
  std::unique_ptr<bt::FileSystem> files;
  std::unique_ptr<bt::Registry> registry;
};

// Why this prefix, when there was a choice to explain.
void LogPrefixChoice(bt::DeveloperLog& log, const bt::WinePrefixChoice& wine) {
  if (!wine.reason.empty()) log.Append(bt::LogLineStamp(bt::SystemClock().Now()) + wine.reason);
}

class StandardConsole final : public bt::Console {
 public:
  void Out(const std::string& text) override { Write(stdout, text); }
  void Error(const std::string& text) override { Write(stderr, text); }

 private:
  static void Write(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
  }
};

int RunCommandLine(const bt::CommandLine& line) {
  StandardConsole console;
  if (const auto status = bt::AnswerWithoutBackup(line, console)) return *status;
  const bt::WinePrefixChoice wine = bt::ProgramWinePrefix();
  HostSeam seam(wine);
  const std::unique_ptr<bt::DeveloperLog> log = bt::OpenDeveloperLog();
  LogPrefixChoice(*log, wine);
  const std::unique_ptr<bt::HistoryLog> history = bt::OpenHistoryLog();
  bt::CommandLineServices services{*seam.files, *seam.registry, bt::SystemClock(), log.get(), history.get()};
  // A host folder is taken as the starting folder is: the Windows path of
  // the drive that holds it.
  const bt::HostLocation hostLocation = [&seam](const std::string& text) -> std::optional<std::string> {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(text, error);
    if (error) return std::nullopt;
    const auto path = bt::WindowsPathOfHostFolder(seam.drives, absolute.string());
    if (!path) return std::nullopt;
    return bt::FormatWindowsPath(*path);
  };
  const int status = bt::RunCommandLineBackup(services, line, console, hostLocation);
  // An exit status keeps 8 bits here: a number above 255 (1000, a failure
  // without a classic number) ends as 255, never as its remainder.
  return status > 255 ? 255 : status;
}

}  // namespace

int main(int argc, char** argv) {
  const bt::CommandLine line = bt::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.kind != bt::CommandLine::Kind::kWindow) return RunCommandLine(line);

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

  HostSeam seam(wine);
  bt::QtWindowSystem windows(*seam.files);
  const std::unique_ptr<bt::DeveloperLog> log = bt::OpenDeveloperLog();
  LogPrefixChoice(*log, wine);
  const std::unique_ptr<bt::HistoryLog> history = bt::OpenHistoryLog();
  bt::Services services{windows, *seam.files, *seam.registry, bt::SystemClock(), log.get(), history.get()};

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
