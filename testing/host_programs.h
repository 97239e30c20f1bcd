// Running the host's own tools from a test (mkfs, losetup, mount).
#pragma once

#include <string>
#include <vector>

namespace bt::doubles {

// Runs a program found on PATH with its errors thrown away and its output
// thrown away or, with output, captured; true when it ran and succeeded.
bool RunHostProgram(std::vector<std::string> args, std::string* output = nullptr);

// A new folder under $TMPDIR (else /tmp) named after `prefix`; "" when none
// could be made.
std::string MakeTestFolder(const std::string& prefix);

}  // namespace bt::doubles
