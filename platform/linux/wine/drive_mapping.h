// A drive of the Windows namespace on Linux and the host folder behind it.
#pragma once

#include <string>
#include <vector>

namespace bt {

struct DriveMapping {
  char letter = 'C';     // upper case
  std::string hostRoot;  // absolute host folder; may be missing or unreadable
  std::string label;     // the drive list's hint (volume label or host folder)
};

using DriveTable = std::vector<DriveMapping>;

}  // namespace bt
