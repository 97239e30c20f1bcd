// The small folder pictures of the classic folder list: an open folder for
// the drive root and each folder down to the current one, a closed folder
// for the subfolders. Drawn here so that they look the same on every
// desktop, whatever its icon theme.
#pragma once

#include <QIcon>

namespace bt {

QIcon OpenFolderIcon();
QIcon ClosedFolderIcon();

}  // namespace bt
