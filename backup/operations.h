// The backup and restore operations. They run on the window's thread inside
// the click handler of their button and return when done; a failure they do
// not handle themselves leaves them at once as AppError, and what was copied
// before it stays. Each holds the installation's operation lock from its
// first step on, so that no other backup or restore of that installation,
// from any program, runs beside it; the lock is let go before the closing
// message, so that a box left open never holds up a scheduled backup.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace bt {

struct OperationContext {
  FileSystem& files;
  Clock& clock;
  MessageBoxes& boxes;
  // The installation folder as the window shows it, read afresh on each run.
  std::function<std::string()> installationFolder;
  // How long an operation waits for another backup or restore of the same
  // installation to end before it fails with 70 (FileSystem::LockForOperation).
  std::chrono::milliseconds lockWait{0};
  // Run by a backup once its set is complete and on the disk, still under
  // the installation's lock, before the success message; given the set's
  // folder. Must not throw. The window has none; the command line keeps the
  // newest sets with it.
  std::function<void(const std::string& backupSet)> afterBackup{};
};

// Copies the database (and, with includeAll, the options file and the photo
// tree) into a new backup set under location, then reports where it went.
// Returns the set's folder; nullopt when the location was refused before
// anything was made (a message said why).
std::optional<std::string> BackupData(OperationContext& context, const std::string& location, bool includeAll);

// Creates one folder; a failure is reported in a message box and the caller
// carries on.
void CreateFolder(OperationContext& context, const std::string& path);

// Copies the backup set at location back over the installation folder after
// checking that location holds a set, is not the installation itself, and
// holds everything that includeAll asks for.
void RestoreData(OperationContext& context, const std::string& location, bool includeAll);

}  // namespace bt
