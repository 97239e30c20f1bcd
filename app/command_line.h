// The program's command line, the same words on both builds:
//   BackupTarvel                                        the window
//   BackupTarvel --backup LOCAL [--fotos] [--manter N]  a backup, no window
//   BackupTarvel --ajuda                                the usage text
// Options may also be written "--backup=LOCAL", "--manter=N".
#pragma once

#include <string>
#include <vector>

namespace bt {

// The exit status of a command line that is not understood.
inline constexpr int kExitUsage = 2;

struct CommandLine {
  enum class Kind { kWindow, kHelp, kBackup, kInvalid };
  Kind kind = Kind::kWindow;
  std::string location;  // as given: a Windows path, or on Linux a host path
  bool includeAll = false;
  int keep = 0;          // --manter; 0: every set stays
  std::string problem;   // kInvalid: what was not understood, in Portuguese
};

// arguments: without the program's own name. No argument at all is the
// window; any other that is not one of the forms above is kInvalid.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage text, in Portuguese, ending in a line feed.
std::string UsageText();

}  // namespace bt
