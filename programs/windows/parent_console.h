// Where the command line's texts go on Windows. The program is a GUI
// program and has no console of its own: started from a console (cmd,
// PowerShell) it writes to that console; with its output redirected (a
// file, a pipe) it writes there, in UTF-8 with CRLF; from the Task
// Scheduler, nowhere, and its exit status is what the task shows.
#pragma once

#include <string>

#include "app/command_line_backup.h"

namespace bt {

class ParentConsole final : public Console {
 public:
  ParentConsole();
  ParentConsole(const ParentConsole&) = delete;
  ParentConsole& operator=(const ParentConsole&) = delete;

  void Out(const std::string& text) override;
  void Error(const std::string& text) override;

 private:
  void* out_ = nullptr;  // HANDLE; null when there is nowhere to write
  void* error_ = nullptr;
};

}  // namespace bt
