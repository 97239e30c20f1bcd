#include "ui/win32/drive_list_control.h"

#include <algorithm>

#include "ui/win32/dpi.h"
#include "ui/win32/list_pictures.h"
#include "ui/win32/wide_text.h"

namespace bt {

DriveListControl::DriveListControl(FileSystem& files) : model_(files) {}

void DriveListControl::Attach(HWND combo) {
  combo_ = combo;
  Fill();
}

bool DriveListControl::SetDrive(const std::string& text) {
  const bool changed = model_.SetDrive(text);
  Fill();
  return changed;
}

void DriveListControl::Fill() {
  std::vector<DriveListEntry> entries = model_.Entries();
  // Rebuilt only when the drives differ: this also runs while the user is
  // choosing, when the change handler sets the drive back.
  if (entries != entries_) {
    entries_ = std::move(entries);
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const DriveListEntry& entry : entries_) {
      SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry.text).c_str()));
    }
  }
  SendMessageW(combo_, CB_SETCURSEL, static_cast<WPARAM>(model_.CurrentIndex()), 0);
}

bool DriveListControl::UserNotification(int code) {
  switch (code) {
    case CBN_DROPDOWN:
      Fill();
      return false;
    case CBN_SELCHANGE:
      // While the list is open the arrow keys only move the highlight; the
      // choice is made when it closes on an entry (CBN_SELENDOK).
      if (SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0) return false;
      return UserChose();
    case CBN_SELENDOK:
      return UserChose();
    default:
      return false;
  }
}

bool DriveListControl::UserChose() {
  const LRESULT index = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= static_cast<LRESULT>(entries_.size())) return false;
  try {
    return model_.SetDrive(entries_[static_cast<std::size_t>(index)].text);
  } catch (const AppError&) {
    // The drive went away while the list was open: show the list as it is now.
    MessageBeep(MB_OK);
    Fill();
    return false;
  }
}

int DriveListControl::LineHeight(HFONT font, UINT dpi) {
  return std::max<int>(FontLineHeight(font) + ScalePixels(2, dpi), ScalePixels(16, dpi));
}

void DriveListControl::Draw(const DRAWITEMSTRUCT& item, UINT dpi) const {
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;

  const DriveListEntry& entry = entries_[item.itemID];
  const int pictureSize = ScalePixels(kListPictureSize, dpi);
  const int height = item.rcItem.bottom - item.rcItem.top;
  const POINT picture{item.rcItem.left + ScalePixels(2, dpi), item.rcItem.top + (height - pictureSize) / 2};
  DrawDrivePicture(dc, picture, dpi, IsFloppyDrive(entry.letter));
  const int left = picture.x + pictureSize + ScalePixels(4, dpi);

  RECT text = item.rcItem;
  text.left = left;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const std::wstring wide = Widen(entry.text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    DrawFocusRect(dc, &item.rcItem);
  }
}

}  // namespace bt
