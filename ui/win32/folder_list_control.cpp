#include "ui/win32/folder_list_control.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win32/dpi.h"
#include "ui/win32/list_pictures.h"
#include "ui/win32/wide_text.h"

namespace bt {

namespace {

constexpr UINT_PTR kEnterSubclass = 1;

// Item data: the entry's level, and whether it is an open folder.
LPARAM ItemData(const FolderListEntry& entry) { return entry.indent * 2 + (entry.open ? 1 : 0); }
int IndentOf(LPARAM data) { return static_cast<int>(data / 2); }
bool OpenOf(LPARAM data) { return (data & 1) != 0; }

bool IsPlainEnter(WPARAM key) {
  return key == VK_RETURN && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 &&
         GetKeyState(VK_SHIFT) >= 0;
}

LRESULT CALLBACK TakeEnter(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
  if (message == WM_GETDLGCODE && lParam != 0) {
    const auto* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending->message == WM_KEYDOWN && IsPlainEnter(pending->wParam)) {
      return DefSubclassProc(list, message, wParam, lParam) | DLGC_WANTMESSAGE;
    }
  }
  if (message == WM_KEYDOWN && IsPlainEnter(wParam)) {
    const int id = GetDlgCtrlID(list);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    return 0;
  }
  if (message == WM_CHAR && wParam == L'\r') return 0;  // no beep for the Enter just handled
  return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

FolderListControl::FolderListControl(FileSystem& files) : model_(files) {}

FolderListControl::~FolderListControl() {
  if (list_ != nullptr && IsWindow(list_)) RemoveWindowSubclass(list_, TakeEnter, kEnterSubclass);
}

void FolderListControl::Attach(HWND list) {
  list_ = list;
  SetWindowSubclass(list_, TakeEnter, kEnterSubclass, 0);
}

bool FolderListControl::SetPath(const std::string& text) {
  const bool changed = model_.SetPath(text);
  Fill();
  return changed;
}

void FolderListControl::Fill() {
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (const FolderListEntry& entry : model_.Entries()) {
    const LRESULT row =
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry.name).c_str()));
    SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(row), ItemData(entry));
  }
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(model_.CurrentIndex()), 0);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void FolderListControl::Refresh() {
  try {
    model_.Refresh();
  } catch (const AppError&) {
    return;
  }
  Fill();
}

bool FolderListControl::UserOpensHighlighted() {
  using Opening = FolderListModel::Opening;
  const Opening opening = model_.UserOpens(static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)));
  if (opening == Opening::None) return false;
  if (opening == Opening::Failed) MessageBeep(MB_OK);
  Fill();
  return opening == Opening::Changed;
}

int FolderListControl::IndentStep(UINT dpi) { return ScalePixels(8, dpi); }

int FolderListControl::LineHeight(HFONT font, UINT dpi) {
  return std::max<int>(FontLineHeight(font), ScalePixels(kListPictureSize, dpi)) + ScalePixels(2, dpi);
}

void FolderListControl::Draw(const DRAWITEMSTRUCT& item, UINT dpi) const {
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) return;

  const int length = static_cast<int>(SendMessageW(list_, LB_GETTEXTLEN, item.itemID, 0));
  std::wstring name(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) SendMessageW(list_, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name.data()));

  // The highlight covers the entry from its indentation to the right edge.
  RECT row = item.rcItem;
  row.left += IndentOf(static_cast<LPARAM>(item.itemData)) * IndentStep(dpi);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));

  const int pictureSize = ScalePixels(kListPictureSize, dpi);
  const int height = row.bottom - row.top;
  const POINT picture{row.left + ScalePixels(2, dpi), row.top + (height - pictureSize) / 2};
  DrawFolderPicture(dc, picture, dpi, OpenOf(static_cast<LPARAM>(item.itemData)));

  RECT text = row;
  text.left = picture.x + pictureSize + ScalePixels(4, dpi);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    DrawFocusRect(dc, &row);
  }
}

}  // namespace bt
