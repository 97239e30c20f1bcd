// A folder tree one folder wide and many deep, for checking that a copy of
// it keeps to its stack and its path lengths.
#pragma once

#include <filesystem>
#include <string>

namespace bt::bench {

// Creates root/d/d/.../d, `depth` folders below root, with a file "fundo.txt"
// holding `marker` in the deepest one.
void MakeDeepTree(const std::filesystem::path& root, int depth, const std::string& marker);

// The content of the deepest file of a copy of such a tree; empty when the
// copy does not reach `depth`.
std::string DeepestMarker(const std::filesystem::path& root, int depth);

}  // namespace bt::bench
