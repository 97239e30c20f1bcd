// The program's standard output and error, kept for a test to read.
#pragma once

#include <string>

#include "app/command_line_backup.h"

namespace bt {

struct PrintedConsole final : Console {
  std::string out;
  std::string error;
  void Out(const std::string& text) override { out += text; }
  void Error(const std::string& text) override { error += text; }
};

}  // namespace bt
