#include "ui/win32/win32_message_box.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "ui/common/classic_box.h"
#include "ui/common/message_clipboard.h"
#include "ui/win32/design_fonts.h"
#include "ui/win32/dpi.h"
#include "ui/win32/wide_text.h"

namespace bt {

namespace {

using namespace classic_box;  // Windows' own measures, shared by both builds

struct BoxButton {
  int id;
  std::string text;  // "&" marks the access key
  MessageAnswer answer;
};

struct BoxState {
  std::string text;
  std::string title;
  MessageButtons kind = MessageButtons::Ok;
  std::vector<BoxButton> buttons;
  std::optional<MessageAnswer> answer;
  HICON icon = nullptr;
  Rect iconPlace;
  const FailureSink* sink = nullptr;
};

int CommandOf(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Yes: return IDYES;
    case MessageAnswer::No: return IDNO;
    case MessageAnswer::Ok: break;
  }
  return IDOK;
}

// The icon of the box, destroyed with it when it was made for it.
class BoxIcon {
 public:
  BoxIcon(MessageIcon icon, int size);
  ~BoxIcon() {
    if (owned_) DestroyIcon(icon_);
  }
  BoxIcon(const BoxIcon&) = delete;
  BoxIcon& operator=(const BoxIcon&) = delete;
  HICON get() const { return icon_; }

 private:
  HICON icon_ = nullptr;
  bool owned_ = false;
};

// A window destroyed when the box is over.
struct WindowDestroyer {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// The owner disabled while the box is open, and enabled again before the
// box goes, so that Windows gives it back the activation.
class DisabledOwner {
 public:
  explicit DisabledOwner(HWND owner) : owner_(owner != nullptr && IsWindowEnabled(owner) ? owner : nullptr) {
    if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  }
  ~DisabledOwner() {
    if (owner_ != nullptr) EnableWindow(owner_, TRUE);
  }
  DisabledOwner(const DisabledOwner&) = delete;
  DisabledOwner& operator=(const DisabledOwner&) = delete;

 private:
  HWND owner_;
};

using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// The system's icon at size pixels: LoadIconWithScaleDown (common controls
// 6) draws it sharp at any dpi; LoadIconW gives the 32-pixel one.
BoxIcon::BoxIcon(MessageIcon icon, int size) {
  const wchar_t* id = icon == MessageIcon::Question ? IDI_QUESTION
                      : icon == MessageIcon::Error  ? IDI_ERROR
                                                    : IDI_INFORMATION;
  if (HMODULE controls = GetModuleHandleW(L"comctl32.dll"); controls != nullptr) {
    const auto scaleDown = reinterpret_cast<LoadIconWithScaleDownFn>(
        reinterpret_cast<void*>(GetProcAddress(controls, "LoadIconWithScaleDown")));
    if (scaleDown != nullptr && SUCCEEDED(scaleDown(nullptr, id, size, size, &icon_))) {
      owned_ = true;
      return;
    }
  }
  icon_ = LoadIconW(nullptr, id);
}

void CopyToClipboard(HWND box, const BoxState& state) {
  std::vector<std::string> texts;
  for (const BoxButton& button : state.buttons) texts.push_back(button.text);
  const std::wstring copied = Widen(MessageBoxClipboardText(state.title, state.text, texts));
  const std::size_t bytes = (copied.size() + 1) * sizeof(wchar_t);
  // Another program may hold the clipboard for a moment.
  bool opened = false;
  for (int attempt = 0; attempt < 10 && !(opened = OpenClipboard(box)); ++attempt) Sleep(20);
  if (!opened) return;
  EmptyClipboard();
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes); memory != nullptr) {
    if (void* target = GlobalLock(memory); target != nullptr) {
      std::copy_n(copied.c_str(), copied.size() + 1, static_cast<wchar_t*>(target));
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

// Escape or the title bar's close button: a question stays open.
void Dismiss(BoxState& state) {
  if (std::optional<MessageAnswer> answer = AnswerWhenDismissed(state.kind)) state.answer = answer;
}

bool IsCopyKey(const MSG& message) {
  return message.message == WM_KEYDOWN && (message.wParam == 'C' || message.wParam == VK_INSERT) &&
         GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
}

LRESULT CALLBACK BoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, GWLP_USERDATA));
  if (state == nullptr) return DefDlgProcW(box, message, wParam, lParam);
  return AtProcedureEdge(*state->sink, [&]() -> LRESULT {
    switch (message) {
      case WM_COMMAND: {
        const int id = LOWORD(wParam);
        for (const BoxButton& button : state->buttons) {
          if (button.id == id) state->answer = button.answer;
        }
        if (id == IDCANCEL) Dismiss(*state);  // Escape
        return 0;
      }
      case WM_CLOSE:
        Dismiss(*state);
        return 0;
      case WM_COPY:
        CopyToClipboard(box, *state);
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(box, &paint);
        const Rect& at = state->iconPlace;
        DrawIconEx(dc, at.left, at.top, state->icon, at.width, at.height, 0, nullptr, DI_NORMAL);
        EndPaint(box, &paint);
        return 0;
      }
      default:
        return DefDlgProcW(box, message, wParam, lParam);
    }
  });
}

ATOM RegisterBoxClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = BoxProcedure;
    type.cbWndExtra = DLGWINDOWEXTRA;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    type.lpszClassName = kMessageBoxClass;
    return RegisterClassExW(&type);
  }();
  return atom;
}

// The text's size in font, wrapped at maxWidth.
SIZE MeasureText(HFONT font, const std::wstring& text, int maxWidth) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect{0, 0, maxWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The rectangle to centre a box of size on: the owner's window, else the
// work area of the monitor the owner (or the pointer) is on.
RECT PlaceBox(HWND owner, SIZE size) {
  HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                                      : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  const RECT work = info.rcWork;
  RECT around = work;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  LONG left = around.left + (around.right - around.left - size.cx) / 2;
  LONG top = around.top + (around.bottom - around.top - size.cy) / 2;
  left = std::max(work.left, std::min(left, work.right - size.cx));
  top = std::max(work.top, std::min(top, work.bottom - size.cy));
  return RECT{left, top, left + size.cx, top + size.cy};
}

BoxState StateOf(const std::string& text, const std::string& title, MessageButtons buttons,
                 const FailureSink& sink) {
  BoxState state;
  state.text = text;
  state.title = title;
  state.kind = buttons;
  state.sink = &sink;
  for (const Button& button : ButtonsOf(buttons)) {
    state.buttons.push_back({CommandOf(button.answer), button.text, button.answer});
  }
  return state;
}

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kBoxExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The box's own window, hidden, at its place over owner; a question's
// close button greyed.
UniqueWindow MakeBoxWindow(HWND owner, BoxState& state, const Layout& layout, UINT dpi) {
  const SIZE outer = OuterSizeForClient(SIZE{layout.width, layout.height}, kBoxStyle, kBoxExStyle, dpi);
  const RECT place = PlaceBox(owner, outer);
  UniqueWindow box(CreateWindowExW(kBoxExStyle, kMessageBoxClass, Widen(state.title).c_str(), kBoxStyle,
                                   place.left, place.top, place.right - place.left, place.bottom - place.top,
                                   owner, nullptr, GetModuleHandleW(nullptr), &state));
  if (box == nullptr) throw std::runtime_error("the message box could not be created");
  if (!AnswerWhenDismissed(state.kind)) {
    EnableMenuItem(GetSystemMenu(box.get(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
  return box;
}

HWND AddControl(HWND box, const wchar_t* type, const std::wstring& text, DWORD style, const Rect& at, int id,
                HFONT font) {
  HWND control = CreateWindowExW(0, type, text.c_str(), WS_CHILD | WS_VISIBLE | style, at.left, at.top, at.width,
                                 at.height, box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// The text and the buttons, the first one the default; returns the first.
HWND AddControls(HWND box, const BoxState& state, const std::wstring& shown, const Layout& layout, HFONT font) {
  AddControl(box, L"STATIC", shown, SS_LEFT | SS_NOPREFIX, layout.text, 0, font);
  HWND first = nullptr;
  for (std::size_t i = 0; i < state.buttons.size(); ++i) {
    const BoxButton& button = state.buttons[i];
    const DWORD kind = first == nullptr ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON;
    HWND control = AddControl(box, L"BUTTON", Widen(button.text), WS_TABSTOP | kind, layout.buttons[i], button.id, font);
    if (first == nullptr) first = control;
  }
  SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(state.buttons.front().id), 0);
  SendMessageW(box, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
  return first;
}

// Runs the box's messages until it has an answer, with Ctrl+C and
// Ctrl+Insert copying it. Returns the status of a WM_QUIT that came first.
std::optional<int> RunUntilAnswered(HWND box, BoxState& state) {
  MSG message;
  while (!state.answer) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) return got == 0 ? static_cast<int>(message.wParam) : 1;
    if (IsCopyKey(message) && (message.hwnd == box || IsChild(box, message.hwnd))) {
      CopyToClipboard(box, state);
      continue;
    }
    if (!IsDialogMessageW(box, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return std::nullopt;
}

}  // namespace

MessageAnswer RunMessageBox(HWND owner, const std::string& text, const std::string& title,
                            MessageIcon icon, MessageButtons buttons, const FailureSink& sink) {
  RegisterBoxClass();
  BoxState state = StateOf(text, title, buttons, sink);

  const UINT dpi = owner != nullptr ? DpiOfWindow(owner) : SystemDpi();
  const auto px = [dpi](int pixels) { return ScalePixels(pixels, dpi); };
  const UniqueFont font = MakeFont(NonClientMetricsAt(dpi).lfMessageFont);
  const std::wstring shown = Widen(WithCrLf(text));
  const SIZE textSize = MeasureText(font.get(), shown, px(kMaxTextWidth));
  const Layout layout = LayOut(px, textSize.cx, textSize.cy, static_cast<int>(state.buttons.size()));
  std::optional<int> quit;
  {
    const BoxIcon boxIcon(icon, px(kIconSize));
    state.icon = boxIcon.get();
    state.iconPlace = layout.icon;
    const UniqueWindow box = MakeBoxWindow(owner, state, layout, dpi);
    HWND first = AddControls(box.get(), state, shown, layout, font.get());
    // Declared last: the owner is enabled again before the box goes.
    const DisabledOwner disabled(owner);
    ShowWindow(box.get(), SW_SHOW);
    SetForegroundWindow(box.get());
    SendMessageW(box.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    quit = RunUntilAnswered(box.get(), state);
  }
  if (quit) {
    PostQuitMessage(*quit);
    return AnswerWhenQuitting(buttons);
  }
  return *state.answer;
}

}  // namespace bt
