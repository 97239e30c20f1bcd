// Drives over temporary host folders, for tests: each drive letter gets a
// folder of its own under one temporary folder, removed with the object.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/drive_table.h"

namespace bt::testing {

class TempDrives {
 public:
  TempDrives();
  ~TempDrives();
  TempDrives(const TempDrives&) = delete;
  TempDrives& operator=(const TempDrives&) = delete;

  // Adds drive `letter`; an unopenable drive's host folder does not exist
  // (a floppy drive without a disk). Returns the drive's host folder.
  std::string AddDrive(char letter, bool openable = true);

  // The host path of a Windows path on one of these drives, exactly as
  // written (no letter-case resolution): "C:\A\b" -> "<root of C>/A/b".
  std::string Host(const std::string& windowsPath) const;

  // Writes a host file (parents created), for setting up a scenario.
  void WriteFile(const std::string& windowsPath, const std::string& content) const;
  std::string ReadFile(const std::string& windowsPath) const;
  void MakeFolder(const std::string& windowsPath) const;  // parents created

  const DriveTable& table() const { return table_; }
  // A file system over these drives; workingWindowsFolder ("C:\Copias")
  // gives its drive that current folder.
  std::unique_ptr<FileSystem> MakeFileSystem(const std::string& workingWindowsFolder = {}) const;

  const std::string& root() const { return root_; }

 private:
  std::string root_;
  DriveTable table_;
};

}  // namespace bt::testing
