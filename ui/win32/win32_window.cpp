#include "ui/win32/win32_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/error.h"
#include "ui/common/design_rules.h"
#include "ui/win32/dpi.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/wide_text.h"
#include "ui/win32/win32_window_system.h"

namespace bt {

namespace {

// No WS_CLIPCHILDREN: the window paints the inside of its frames, which
// group boxes leave to their parent.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;
// Control identifiers start above IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Escape.
constexpr int kFirstControlId = 100;
// Lines the open drive list shows before it scrolls.
constexpr int kDriveListLines = 8;

// Makes the closed field of a drop-down list height pixels high. The field
// is its line and a border whose width depends on Windows' version and
// theme, so the line is set, measured, and set again.
void SetFieldHeight(HWND combo, int height) {
  int line = height - 6;
  for (int attempt = 0; attempt < 2 && line > 0; ++attempt) {
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), line);
    RECT field;
    GetWindowRect(combo, &field);
    const int actual = field.bottom - field.top;
    if (actual == height) return;
    line += height - actual;
  }
}

HICON ProgramIcon(int size) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (auto* icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(BT_PROGRAM_ICON), IMAGE_ICON,
                                                  size, size, LR_DEFAULTCOLOR | LR_SHARED))) {
    return icon;
  }
  // A program without the resource (a test): Windows' own.
  return LoadIconW(nullptr, IDI_APPLICATION);
}

// The main windows' class, registered once for the process.
ATOM MainWindowClass(WNDPROC procedure) {
  static const ATOM windowClass = [procedure] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = procedure;
    // Of a dialog class: DefDlgProcW moves the focus for the dialog manager.
    type.cbWndExtra = DLGWINDOWEXTRA;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
    type.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    type.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&type);
  }();
  return windowClass;
}

// The Windows control that shows a row of the design.
struct NativeControl {
  const wchar_t* type;
  DWORD style;
  DWORD exStyle = 0;
};

NativeControl NativeControlOf(const ControlDesign& row) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;
  switch (row.kind) {
    case ControlKind::Label:
      // "&" is shown as written: a folder named "A&B" has no access key.
      return {L"STATIC", kChild | SS_NOPREFIX | (row.alignment == Alignment::Center ? SS_CENTER : SS_LEFT)};
    case ControlKind::Frame:
      return {L"BUTTON", kChild | BS_GROUPBOX | WS_CLIPSIBLINGS};
    case ControlKind::DriveList:
      return {L"COMBOBOX",
              kChild | kTabStop | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS};
    case ControlKind::FolderList:
      return {L"LISTBOX",
              kChild | kTabStop | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                  LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
    case ControlKind::CheckBox:
      return {L"BUTTON", kChild | kTabStop | BS_AUTOCHECKBOX | BS_MULTILINE};
    case ControlKind::Button:
      return {L"BUTTON", kChild | kTabStop | BS_PUSHBUTTON};
  }
  return {L"STATIC", kChild};
}

}  // namespace

Win32Window::Win32Window(const WindowDesign& design, FileSystem& files, Win32WindowSystem& system)
    : design_(design), files_(files), system_(&system) {
  system_->Register(this);
  try {
    Build();
  } catch (...) {
    system_->Unregister(this);
    if (window_ != nullptr) DestroyWindow(window_);
    throw;
  }
}

Win32Window::~Win32Window() {
  if (system_ != nullptr) system_->Unregister(this);
  if (window_ != nullptr) DestroyWindow(window_);
}

void Win32Window::Detach() {
  if (window_ != nullptr) DestroyWindow(window_);
  system_ = nullptr;
}

void Win32Window::Build() {
  if (MainWindowClass(Procedure) == 0) throw AppError(kErrInvalidCall, {}, "RegisterClassExW failed");
  RequireSoundDesign(design_);
  NumberControls();
  MakeTopLevel();
  dpi_ = DpiOfWindow(window_);
  // Before the controls: the lists measure their lines while they are made.
  MakeFonts();
  MakeControls();
  Layout();
  // Access keys underlined and the focus shown from the start, as the
  // classic window shows them, not only once the keyboard is used.
  SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
}

void Win32Window::NumberControls() {
  int id = kFirstControlId;
  for (const ControlDesign& row : design_.controls) controls_.emplace(row.name, Control{row, nullptr, id++});
}

void Win32Window::MakeTopLevel() {
  window_ = CreateWindowExW(kWindowExStyle, kMainWindowClass, Widen(design_.title).c_str(), kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) throw AppError(kErrInvalidCall, {}, "CreateWindowExW failed for the main window");
}

void Win32Window::MakeControls() {
  // Frames last, beneath the controls they hold.
  std::vector<Control*> order;
  for (auto& [name, control] : controls_) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    const bool aFrame = a->design.kind == ControlKind::Frame;
    const bool bFrame = b->design.kind == ControlKind::Frame;
    if (aFrame != bFrame) return bFrame;
    return a->design.tabIndex < b->design.tabIndex;
  });
  for (Control* control : order) {
    control->handle = MakeControl(*control);
    if (control->handle == nullptr) {
      throw AppError(kErrInvalidCall, {}, "CreateWindowExW failed for " + control->design.name);
    }
  }
}

HWND Win32Window::MakeControl(const Control& control) {
  const ControlDesign& row = control.design;
  const NativeControl native = NativeControlOf(row);
  const std::wstring text = HasText(row.kind) ? Widen(row.text) : L"";
  HWND handle = CreateWindowExW(native.exStyle, native.type, text.c_str(), native.style, 0, 0, 10, 10, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                GetModuleHandleW(nullptr), nullptr);
  if (handle != nullptr) AttachList(row, handle);
  return handle;
}

void Win32Window::AttachList(const ControlDesign& row, HWND handle) {
  if (row.kind == ControlKind::DriveList) {
    auto list = std::make_unique<DriveListControl>(files_);
    list->Attach(handle);
    driveLists_[row.name] = std::move(list);
  } else if (row.kind == ControlKind::FolderList) {
    auto list = std::make_unique<FolderListControl>(files_);
    list->Attach(handle);
    folderLists_[row.name] = std::move(list);
  }
}

POINT Win32Window::DesignOrigin(const ControlDesign& row) const {
  if (row.parent.empty()) return POINT{0, 0};
  const ControlDesign& frame = controls_.at(row.parent).design;
  return POINT{TwipsToPixels(frame.left, dpi_), TwipsToPixels(frame.top, dpi_)};
}

void Win32Window::MakeFonts() {
  fonts_[""] = MakeDesignFont(std::nullopt, dpi_);
  for (const ControlDesign& row : design_.controls) {
    if (row.font) fonts_[row.name] = MakeDesignFont(row.font, dpi_);
  }
}

void Win32Window::Layout() {
  for (const auto& [name, control] : controls_) {
    const ControlDesign& row = control.design;
    auto font = fonts_.find(name);
    HFONT hfont = (font != fonts_.end() ? font->second : fonts_.at("")).get();
    SendMessageW(control.handle, WM_SETFONT, reinterpret_cast<WPARAM>(hfont), FALSE);
    const POINT origin = DesignOrigin(row);
    const int left = origin.x + TwipsToPixels(row.left, dpi_);
    const int top = origin.y + TwipsToPixels(row.top, dpi_);
    const int width = TwipsToPixels(row.width, dpi_);
    int height = TwipsToPixels(row.height, dpi_);
    if (row.kind == ControlKind::DriveList) {
      // The design height is the closed field's; the window also holds the
      // open list below it.
      const int line = DriveListControl::LineHeight(hfont, dpi_);
      SendMessageW(control.handle, CB_SETITEMHEIGHT, 0, line);
      SetFieldHeight(control.handle, height);
      height += kDriveListLines * line + ScalePixels(2, dpi_);
    } else if (row.kind == ControlKind::FolderList) {
      SendMessageW(control.handle, LB_SETITEMHEIGHT, 0, FolderListControl::LineHeight(hfont, dpi_));
    }
    SetWindowPos(control.handle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(control.handle, nullptr, TRUE);
  }
  const SIZE client{TwipsToPixels(design_.clientWidth, dpi_), TwipsToPixels(design_.clientHeight, dpi_)};
  const SIZE outer = OuterSizeForClient(client, kWindowStyle, kWindowExStyle, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->system_ == nullptr) return DefDlgProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->window_ = nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefDlgProcW(window, message, wParam, lParam);
  }
  return AtProcedureEdge(self->system_->failureSink(), [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_MEASUREITEM:
      if (OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_SETCURSOR:
      if (OnSetCursor()) return TRUE;
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE && Busy()) return 0;
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      return Busy() ? FALSE : TRUE;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return DefDlgProcW(window_, message, wParam, lParam);
}

bool Win32Window::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const Control* control = FindById(static_cast<int>(item.CtlID));
  if (control == nullptr) return false;
  if (auto drive = driveLists_.find(control->design.name); drive != driveLists_.end()) {
    drive->second->Draw(item, dpi_);
    return true;
  }
  if (auto folder = folderLists_.find(control->design.name); folder != folderLists_.end()) {
    folder->second->Draw(item, dpi_);
    return true;
  }
  return false;
}

bool Win32Window::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  const Control* control = FindById(static_cast<int>(item.CtlID));
  if (control == nullptr || fonts_.count("") == 0) return false;
  HFONT font = fonts_.at("").get();
  item.itemHeight = static_cast<UINT>(control->design.kind == ControlKind::FolderList
                                          ? FolderListControl::LineHeight(font, dpi_)
                                          : DriveListControl::LineHeight(font, dpi_));
  return true;
}

bool Win32Window::OnSetCursor() {
  // Over the whole window, its controls included: they ask their parent first.
  if (pointer_ != kPointerHourglass) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

void Win32Window::OnClose() {
  // Refused while busy: an operation is replacing the user's files.
  if (Busy()) return;
  if (Win32WindowSystem* system = system_) {
    DestroyWindow(window_);
    system->ClosedByUser();
  }
}

void Win32Window::OnDpiChanged(UINT dpi, const RECT& suggested) {
  // Every length and font again from the design, at the new dpi.
  dpi_ = dpi;
  MakeFonts();
  Layout();
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const Win32Window::Control* Win32Window::FindByHandle(HWND handle) const {
  for (const auto& [name, control] : controls_) {
    if (handle != nullptr && control.handle == handle) return &control;
  }
  return nullptr;
}

const Win32Window::Control* Win32Window::FindById(int id) const {
  for (const auto& [name, control] : controls_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

bool Win32Window::PreTranslate(MSG& message) {
  if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
    // Enter presses the push button that has the focus, also one that took
    // it by a click, which the dialog manager does not make the default.
    if (const Control* focused = FindByHandle(message.hwnd);
        focused != nullptr && focused->design.kind == ControlKind::Button) {
      SendMessageW(message.hwnd, BM_CLICK, 0, 0);
      return true;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

void Win32Window::OnCommand(int id, int code) {
  const Control* control = FindById(id);
  if (control == nullptr || Busy()) return;
  const std::string& name = control->design.name;
  switch (control->design.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
      if (code != BN_CLICKED) return;
      // Where the focus belongs once what a button starts is over, even when
      // a box it showed first took the focus away meanwhile.
      if (control->design.kind == ControlKind::Button) focusBeforeDisabled_ = control->handle;
      RaiseFromUser(name, ControlEvent::Click);
      return;
    case ControlKind::DriveList:
      if (driveLists_.at(name)->UserNotification(code)) RaiseFromUser(name, ControlEvent::Change);
      return;
    case ControlKind::FolderList:
      if (code == LBN_DBLCLK && folderLists_.at(name)->UserOpensHighlighted()) {
        RaiseFromUser(name, ControlEvent::Change);
      }
      return;
    case ControlKind::Label:
    case ControlKind::Frame:
      return;
  }
}

const Win32Window::Control& Win32Window::Find(const std::string& name) const {
  if (window_ == nullptr) throw AppError(kErrInvalidCall, {}, "the window no longer exists");
  auto found = controls_.find(name);
  if (found == controls_.end()) throw AppError(kErrInvalidCall, {}, "no control named " + name);
  return found->second;
}

const Win32Window::Control& Win32Window::Find(const std::string& name, ControlKind kind) const {
  const Control& found = Find(name);
  if (found.design.kind != kind) throw AppError(kErrInvalidCall, {}, name + " is not of the kind this needs");
  return found;
}

const Win32Window::Control& Win32Window::FindWithText(const std::string& name) const {
  const Control& found = Find(name);
  if (!HasText(found.design.kind)) throw AppError(kErrInvalidCall, {}, name + " has no text");
  return found;
}

HWND Win32Window::control(const std::string& name) const {
  auto found = controls_.find(name);
  return window_ == nullptr || found == controls_.end() ? nullptr : found->second.handle;
}

void Win32Window::RaiseFromUser(const std::string& control, ControlEvent event) {
  struct Running {
    int& count;
    explicit Running(int& c) : count(c) { ++count; }
    ~Running() { --count; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
  } running(userHandlers_);
  try {
    handlers_.Raise(control, event);
  } catch (...) {
    if (system_ != nullptr) system_->ReportAndEnd(std::current_exception());
  }
}

void Win32Window::Show() {
  if (window_ == nullptr) throw AppError(kErrInvalidCall, {}, "the window no longer exists");
  if (!shownBefore_) {
    // Centred on the work area of the monitor it starts on.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT outer;
    GetWindowRect(window_, &outer);
    const RECT& work = monitor.rcWork;
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(window_, nullptr, work.left + std::max<int>(0, (work.right - work.left - width) / 2),
                 work.top + std::max<int>(0, (work.bottom - work.top - height) / 2), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    shownBefore_ = true;
  }
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  HWND focus = GetFocus();
  if (focus == nullptr || (focus != window_ && !IsChild(window_, focus))) {
    const std::vector<const ControlDesign*> focusOrder = FocusOrder(design_);
    if (!focusOrder.empty()) {
      SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(focusOrder.front()->name)), TRUE);
    }
  }
  UpdateWindow(window_);
}

bool Win32Window::Visible() const { return window_ != nullptr && IsWindowVisible(window_); }

void Win32Window::SetHandler(const std::string& control, ControlEvent event, std::function<void()> handler) {
  Find(control);
  handlers_.Set(control, event, std::move(handler));
}

void Win32Window::SetText(const std::string& control, const std::string& text) {
  const Control& found = FindWithText(control);
  SetWindowTextW(found.handle, Widen(text).c_str());
}

std::string Win32Window::Text(const std::string& control) const {
  const Control& found = FindWithText(control);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(found.handle)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(found.handle, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

int Win32Window::Value(const std::string& control) const {
  return SendMessageW(Find(control, ControlKind::CheckBox).handle, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Window::SetEnabled(const std::string& control, bool enabled) {
  HWND handle = Find(control).handle;
  // A disabled control loses the focus. The first button disabled keeps the
  // claim: the next one, about to be disabled too, never had the focus.
  const bool claimed = focusBeforeDisabled_ != nullptr && IsWindow(focusBeforeDisabled_) &&
                       !IsWindowEnabled(focusBeforeDisabled_);
  if (!enabled && GetFocus() == handle && !claimed) focusBeforeDisabled_ = handle;
  EnableWindow(handle, enabled ? TRUE : FALSE);
  if (enabled && focusBeforeDisabled_ == handle) {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(handle), TRUE);
    focusBeforeDisabled_ = nullptr;
  }
  // Drawn at once: an operation that follows keeps the message loop waiting.
  if (IsWindowVisible(handle)) UpdateWindow(handle);
}

bool Win32Window::Enabled(const std::string& control) const { return IsWindowEnabled(Find(control).handle) != FALSE; }

bool Win32Window::CursorOverWindow() const {
  POINT at;
  if (!GetCursorPos(&at)) return false;
  HWND under = WindowFromPoint(at);
  return under != nullptr && (under == window_ || IsChild(window_, under));
}

void Win32Window::SetMousePointer(int pointer) {
  if (window_ == nullptr) throw AppError(kErrInvalidCall, {}, "the window no longer exists");
  if (!IsOfferedPointer(pointer)) {
    throw AppError(kErrInvalidCall, {}, "mouse pointer " + std::to_string(pointer) + " is not offered");
  }
  pointer_ = pointer;
  // Shown at once where the pointer is, not only once it moves.
  if (CursorOverWindow()) {
    POINT at;
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
  }
}

void Win32Window::SetDrive(const std::string& control, const std::string& drive) {
  Find(control, ControlKind::DriveList);
  if (driveLists_.at(control)->SetDrive(drive)) handlers_.Raise(control, ControlEvent::Change);
}

std::string Win32Window::Drive(const std::string& control) const {
  Find(control, ControlKind::DriveList);
  return driveLists_.at(control)->Drive();
}

void Win32Window::SetPath(const std::string& control, const std::string& path) {
  Find(control, ControlKind::FolderList);
  if (folderLists_.at(control)->SetPath(path)) handlers_.Raise(control, ControlEvent::Change);
}

std::string Win32Window::Path(const std::string& control) const {
  Find(control, ControlKind::FolderList);
  return folderLists_.at(control)->Path();
}

void Win32Window::RefreshFolders(const std::string& control) {
  Find(control, ControlKind::FolderList);
  folderLists_.at(control)->Refresh();
}

}  // namespace bt
