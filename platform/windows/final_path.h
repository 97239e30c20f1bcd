// Where a path really leads on Windows.
#pragma once

#include <string>

namespace bt {

// The final "\\?\" path of an existing file or folder, links resolved;
// empty when it cannot be opened (missing, or a link that leads nowhere).
std::wstring FinalPath(const std::wstring& host);

}  // namespace bt
