// The small folder pictures of the classic folder list, drawn as the Linux
// build's window draws them (platform/qt/folder_icons.cpp): an open folder
// for the drive root and each folder down to the current one, a closed one
// for the subfolders. 16 x 16 pixels at 96 dpi, scaled with the dpi.
#pragma once

#include <windows.h>

namespace bt {

constexpr int kFolderPictureSize = 16;  // pixels at 96 dpi

void DrawFolderPicture(HDC dc, POINT topLeft, UINT dpi, bool open);

}  // namespace bt
