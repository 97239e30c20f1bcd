#include "platform/linux/host_locator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/working_folder.h"

namespace bt {
namespace {

std::string CurrentWorkingFolder() {
  std::string buffer(4096, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.c_str();
}

}  // namespace

bool DriveReady(const DriveMapping& drive) {
  struct stat st {};
  return ::stat(drive.hostRoot.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(drive.hostRoot.c_str(), R_OK | X_OK) == 0;
}

AppError DriveNotReady(const DriveMapping& drive) {
  const std::string letter{drive.letter, ':'};
  return AppError(kErrDiskNotReady, "a unidade " + letter + " não está pronta",
                  "drive " + letter + " \"" + drive.hostRoot + "\" is missing or cannot be read");
}

void Fail(const DriveMapping* drive, const AppError& error) {
  if (drive != nullptr && !DriveReady(*drive)) throw DriveNotReady(*drive);
  throw error;
}

AppError AsDriveNotReady(const DriveMapping* const (&drives)[2], const AppError& error) {
  for (const DriveMapping* drive : drives) {
    if (drive != nullptr && !DriveReady(*drive)) return DriveNotReady(*drive);
  }
  return error;
}

std::string FolderOnlyHostPath(const Located& at) {
  if (at.windows.folderOnly && !at.windows.names.empty()) return at.host.path + '/';
  return at.host.path;
}

HostLocator::HostLocator(DriveTable drives, std::string workingFolder) : drives_(std::move(drives)) {
  if (workingFolder.empty()) workingFolder = CurrentWorkingFolder();
  if (auto path = WindowsPathOfHostFolder(drives_, workingFolder)) current_[path->drive] = *path;
}

const DriveMapping* HostLocator::DriveOf(char letter) const {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  for (const DriveMapping& drive : drives_) {
    if (drive.letter == letter) return &drive;
  }
  return nullptr;
}

void HostLocator::RequireDriveReady(const DriveMapping& drive) {
  const auto now = std::chrono::steady_clock::now();
  auto& until = readyUntil_[drive.letter];
  if (now < until) return;
  if (!DriveReady(drive)) throw DriveNotReady(drive);
  until = now + std::chrono::seconds(1);
}

std::string HostLocator::CurrentFolderText(char letter) {
  const auto it = current_.find(letter);
  if (it == current_.end()) return std::string{letter, ':', '\\'};
  try {
    const Located at = Locate(FormatWindowsPath(it->second), false);
    struct stat st {};
    if (::stat(at.host.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FormatWindowsPath(it->second);
  } catch (const AppError&) {
  }
  return std::string{letter, ':', '\\'};
}

Located HostLocator::Locate(const std::string& path, bool relativeAllowed) {
  Located at;
  const CurrentFolderOf current = [this](char letter) { return CurrentFolderText(letter); };
  at.windows = ParseWindowsPath(path, relativeAllowed ? current : CurrentFolderOf{});
  at.drive = DriveOf(at.windows.drive);
  if (at.drive == nullptr) {
    const std::string letter{at.windows.drive, ':'};
    throw AppError(kErrPathNotFound, "a unidade " + letter + " não existe", "no drive " + letter);
  }
  RequireDriveReady(*at.drive);
  at.host = resolver_.Resolve(at.drive->hostRoot, at.windows.names);
  return at;
}

}  // namespace bt
