// The small pictures of the location lists, drawn here so that they look
// the same on every Windows and under Wine: the folder list's, as the Linux
// build's window draws them (ui/qt/folder_icons.cpp), an open folder
// for the drive root and each folder down to the current one, a closed one
// for the subfolders; the drive list's, a floppy drive for A: and B:, a
// hard disk for the others. 16 x 16 pixels at 96 dpi, scaled with the dpi.
#pragma once

#include <windows.h>

namespace bt {

constexpr int kListPictureSize = 16;  // pixels at 96 dpi

void DrawFolderPicture(HDC dc, POINT topLeft, UINT dpi, bool open);
void DrawDrivePicture(HDC dc, POINT topLeft, UINT dpi, bool floppy);

}  // namespace bt
