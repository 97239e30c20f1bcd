// The drive list on a Win32 combo box (a drop-down list drawn by its
// owner, each drive with its picture) over the toolkit-neutral
// DriveListModel.
//
// The user chooses with the mouse from the open list, or with the arrow
// keys on the closed one; either is reported once, by UserChose. The
// drives are read again whenever the list opens.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/common/location_lists.h"

namespace bt {

class DriveListControl {
 public:
  explicit DriveListControl(FileSystem& files);
  DriveListControl(const DriveListControl&) = delete;
  DriveListControl& operator=(const DriveListControl&) = delete;

  // The combo box it draws into; the list is filled at once.
  void Attach(HWND combo);

  // Chooses a drive by code (DriveListModel::SetDrive): true when it is
  // another drive. Throws AppError and leaves the list as it was.
  bool SetDrive(const std::string& text);
  const std::string& Drive() const { return model_.Current(); }

  // A notification of the combo box (CBN_...): true when the user has just
  // chosen another drive, which the list now holds.
  bool UserNotification(int code);

  // Height of one line at dpi (the field and the open list's lines).
  static int LineHeight(HFONT font, UINT dpi);
  void Draw(const DRAWITEMSTRUCT& item, UINT dpi) const;

 private:
  void Fill();
  bool UserChose();

  DriveListModel model_;
  HWND combo_ = nullptr;
  std::vector<DriveListEntry> entries_;
};

}  // namespace bt
