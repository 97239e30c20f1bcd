// The classic folder list on a Win32 list box drawn by its owner, over the
// toolkit-neutral FolderListModel: the chain of open folders from the drive
// root down to the current folder, each one step further right, then the
// current folder's subfolders.
//
// A click or the arrow keys only highlight an entry; a double click or Enter
// opens it, and only an opened folder changes the list's path. Enter reaches
// the list (the dialog manager would take it for the default button) and is
// reported to the parent as a double click, LBN_DBLCLK, so that both take
// one way.
#pragma once

#include <windows.h>

#include <string>

#include "ui/common/location_lists.h"

namespace bt {

class FolderListControl {
 public:
  explicit FolderListControl(FileSystem& files);
  ~FolderListControl();
  FolderListControl(const FolderListControl&) = delete;
  FolderListControl& operator=(const FolderListControl&) = delete;

  void Attach(HWND list);

  // Opens a folder by code (FolderListModel::SetPath): true when the path
  // changed. Throws AppError and leaves the list as it was.
  bool SetPath(const std::string& text);
  const std::string& Path() const { return model_.Path(); }
  // Reads the current folder's subfolders again; a folder that cannot be
  // read keeps what is shown.
  void Refresh();

  // The user opened the highlighted entry (LBN_DBLCLK): true when the path
  // changed. A folder that cannot be opened any more leaves the list on the
  // current folder, read again.
  bool UserOpensHighlighted();

  const FolderListModel& model() const { return model_; }

  // The indentation of one level, in pixels at dpi.
  static int IndentStep(UINT dpi);
  static int LineHeight(HFONT font, UINT dpi);
  void Draw(const DRAWITEMSTRUCT& item, UINT dpi) const;

 private:
  void Fill();

  FolderListModel model_;
  HWND list_ = nullptr;
};

}  // namespace bt
