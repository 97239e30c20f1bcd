// The Wine prefix the program works in: the one whose registry names Tarvel
// 2.0's installation folder (wine_prefixes.h says where it is looked for).
#pragma once

#include <string>

#include "platform/linux/wine/wine_prefixes.h"

namespace bt {

// Whether the registry of prefix names an installation folder; false for a
// prefix that cannot be read.
bool HoldsInstallation(const std::string& prefix);

// The prefix chosen from this process's environment.
WinePrefixChoice ProgramWinePrefix();

}  // namespace bt
