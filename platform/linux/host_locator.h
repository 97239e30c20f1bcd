// Locating a Windows path of a drive table on the host: its drive, whether
// the drive is ready, the drives' current folders, and the host path the
// names lead to (ignoring letter case, see host_path_resolver.h).
#pragma once

#include <chrono>
#include <map>
#include <string>

#include "platform/error.h"
#include "platform/linux/host_path_resolver.h"
#include "platform/linux/wine/drive_mapping.h"
#include "platform/windows_path.h"

namespace bt {

// A Windows path found on the host.
struct Located {
  const DriveMapping* drive = nullptr;
  WindowsPath windows;
  HostPath host;
};

// A drive opens when its host folder is a folder this process may read.
bool DriveReady(const DriveMapping& drive);
// 71, naming the drive.
AppError DriveNotReady(const DriveMapping& drive);

// A failure on a drive that has stopped opening since (a disk taken out
// during the call) is reported as that.
[[noreturn]] void Fail(const DriveMapping* drive, const AppError& error);

// A failure of a copy between drives that have stopped opening since is
// reported as that.
AppError AsDriveNotReady(const DriveMapping* const (&drives)[2], const AppError& error);

// With a trailing "/" when the text named a folder, so that the host
// refuses a file there.
std::string FolderOnlyHostPath(const Located& at);

class HostLocator {
 public:
  // workingFolder: see MakeLinuxFileSystem.
  HostLocator(DriveTable drives, std::string workingFolder);

  // Throws AppError: 76 for a text that is no path or names no drive of
  // the table, 71 for a drive that is not ready, 75 for a name the host
  // cannot hold or that matches several ignoring letter case.
  // relativeAllowed: a drive-relative text ("C:foto.jpg") goes from the
  // drive's current folder.
  Located Locate(const std::string& path, bool relativeAllowed = true);

  // nullptr when the table has no such drive; either letter case.
  const DriveMapping* DriveOf(char letter) const;
  const DriveTable& drives() const { return drives_; }

  // A drive found ready is taken as ready for a moment without looking
  // again: a tree copy asks for every file. A drive gone meanwhile still
  // shows, as the failure of the call is checked again (Fail).
  void RequireDriveReady(const DriveMapping& drive);

  // The current folder; the root again once the folder has gone.
  std::string CurrentFolderText(char letter);

  HostPathResolver& resolver() { return resolver_; }

 private:
  DriveTable drives_;
  std::map<char, WindowsPath> current_;
  std::map<char, std::chrono::steady_clock::time_point> readyUntil_;
  HostPathResolver resolver_;
};

}  // namespace bt
