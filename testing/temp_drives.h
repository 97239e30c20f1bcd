// Drives over temporary host folders, for tests: each drive letter gets a
// folder of its own under one temporary folder, removed with the object.
// The same scenarios run on Linux (the Linux file system over a drive table)
// and on Windows (the Win32 file system over folder drives).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#if !defined(_WIN32)
#include "platform/linux/wine/drive_table.h"
#endif

namespace bt::doubles {

class TempDrives {
 public:
  TempDrives();
  ~TempDrives();
  TempDrives(const TempDrives&) = delete;
  TempDrives& operator=(const TempDrives&) = delete;

  // Adds drive `letter`; an unopenable drive's host folder does not exist
  // (a floppy drive without a disk). Returns the drive's host folder.
  std::string AddDrive(char letter, bool openable = true);
  // Adds drive `letter` over an existing host folder, root() say: a second
  // way to the other drives' folders, as a Wine prefix's Z: is.
  void AddDriveOver(char letter, const std::string& hostFolder);

  // The host path of a Windows path on one of these drives, exactly as
  // written (no letter-case resolution): "C:\A\b" -> "<root of C>/A/b" on
  // Linux, "<root of C>\A\b" on Windows.
  std::string Host(const std::string& windowsPath) const;

  // Writes a host file (parents created), for setting up a scenario.
  void WriteFile(const std::string& windowsPath, const std::string& content) const;
  std::string ReadFile(const std::string& windowsPath) const;
  void MakeFolder(const std::string& windowsPath) const;  // parents created

  // A file system over these drives; workingWindowsFolder ("C:\Copias")
  // gives its drive that current folder.
  std::unique_ptr<FileSystem> MakeFileSystem(const std::string& workingWindowsFolder = {}) const;

  const std::string& root() const { return root_; }

#if !defined(_WIN32)
  DriveTable table() const;
#endif

 private:
  struct Drive {
    char letter = 'C';
    std::string hostRoot;
  };
  // The host form of one name of a Windows path.
  static std::string HostName(const std::string& windowsName);

  std::string root_;
  std::vector<Drive> drives_;  // in letter order
};

}  // namespace bt::doubles
