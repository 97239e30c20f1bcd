// The developers' log: the host's own account of every failure that reaches
// the error report (host paths, the system's English messages), which the
// user's box leaves out. One line each, appended.
//
// Linux: $XDG_STATE_HOME/BackupTarvel/erros.log, by default
// ~/.local/state/BackupTarvel/erros.log. Windows:
// %LOCALAPPDATA%\BackupTarvel\erros.log. The history (historico.log) is
// in the same folder.
#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"

namespace bt {

// "2026-12-08 20:36:02 ": how every line of the log begins.
std::string LogLineStamp(const LocalDateTime& when);

class DeveloperLog {
 public:
  virtual ~DeveloperLog() = default;
  // Appends one line (a line feed is added). Never throws: a log that
  // cannot be written must not hide the failure it was to record.
  virtual void Append(const std::string& line) = 0;
};

// The platform's log file, created with its folder on the first Append.
std::unique_ptr<DeveloperLog> OpenDeveloperLog();

// The history of the operations: one line per backup or restore, run from
// the window or the command line, so that the user can see that the
// scheduled backups really happened. Beside the developers' log, in
// historico.log.
class HistoryLog {
 public:
  virtual ~HistoryLog() = default;
  // Appends one line (a line feed is added) in a single write, so that two
  // programs appending at once never mix their lines. false when the line
  // could not be written. Never throws.
  virtual bool Append(const std::string& line) = 0;
  // The log's file as the user finds it on this system (a host path on
  // Linux), for telling where it is.
  virtual std::string Place() const = 0;
};

// The platform's history file, created with its folder on the first Append.
std::unique_ptr<HistoryLog> OpenHistoryLog();

}  // namespace bt
