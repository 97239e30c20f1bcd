#include "ui/win32/win32_message_box.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "ui/common/classic_box_metrics.h"
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
  bool ownsIcon = false;
  RECT iconRect{};
  const FailureSink* sink = nullptr;
};

using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// The system's icon at size pixels: LoadIconWithScaleDown (common controls
// 6) draws it sharp at any dpi; LoadIconW gives the 32-pixel one.
std::pair<HICON, bool> SystemIcon(MessageIcon icon, int size) {
  const wchar_t* id = icon == MessageIcon::Question ? IDI_QUESTION
                      : icon == MessageIcon::Error  ? IDI_ERROR
                                                    : IDI_INFORMATION;
  if (HMODULE controls = GetModuleHandleW(L"comctl32.dll"); controls != nullptr) {
    const auto scaleDown = reinterpret_cast<LoadIconWithScaleDownFn>(
        reinterpret_cast<void*>(GetProcAddress(controls, "LoadIconWithScaleDown")));
    HICON loaded = nullptr;
    if (scaleDown != nullptr && SUCCEEDED(scaleDown(nullptr, id, size, size, &loaded))) {
      return {loaded, true};
    }
  }
  return {LoadIconW(nullptr, id), false};
}

std::wstring WithCrLf(const std::string& text) {
  std::string converted;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) converted += '\r';
    converted += text[i];
  }
  return Widen(converted);
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
        // Escape: an OK box closes with OK; a question waits for an answer.
        if (id == IDCANCEL && state->kind == MessageButtons::Ok) state->answer = MessageAnswer::Ok;
        return 0;
      }
      case WM_CLOSE:
        if (state->kind == MessageButtons::Ok) state->answer = MessageAnswer::Ok;
        return 0;
      case WM_COPY:
        CopyToClipboard(box, *state);
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(box, &paint);
        const RECT& at = state->iconRect;
        DrawIconEx(dc, at.left, at.top, state->icon, at.right - at.left, at.bottom - at.top, 0,
                   nullptr, DI_NORMAL);
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

SIZE MeasureText(HFONT font, const std::wstring& text, int maxWidth) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect{0, 0, maxWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{rect.right - rect.left + 1, rect.bottom - rect.top};
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

}  // namespace

MessageAnswer RunMessageBox(HWND owner, const std::string& text, const std::string& title,
                            MessageIcon icon, MessageButtons buttons, const FailureSink& sink) {
  RegisterBoxClass();
  BoxState state;
  state.text = text;
  state.title = title;
  state.kind = buttons;
  state.sink = &sink;
  if (buttons == MessageButtons::Ok) {
    state.buttons = {{IDOK, "OK", MessageAnswer::Ok}};
  } else {
    state.buttons = {{IDYES, "&Sim", MessageAnswer::Yes}, {IDNO, "&Não", MessageAnswer::No}};
  }

  const UINT dpi = owner != nullptr ? DpiOfWindow(owner) : SystemDpi();
  const auto px = [dpi](int pixels) { return ScalePixels(pixels, dpi); };
  const UniqueFont font = MakeFont(NonClientMetricsAt(dpi).lfMessageFont);
  const std::wstring shown = WithCrLf(text);
  const SIZE textSize = MeasureText(font.get(), shown, px(kMaxTextWidth));

  // The same arithmetic as the Linux build's box.
  const int textLeft = px(kMargin + kIconSize + kIconGap);
  const int textTop = px(kMargin) + std::max<int>(0, (px(kIconSize) - textSize.cy) / 2);
  const int count = static_cast<int>(state.buttons.size());
  const int rowWidth = count * px(kButtonWidth) + (count - 1) * px(kButtonGap);
  const int width = std::max<int>(textLeft + textSize.cx + px(kMargin), rowWidth + 2 * px(kMargin));
  const int buttonsTop = std::max<int>(px(kMargin + kIconSize), textTop + textSize.cy) + px(kTextToButtons);
  const int height = buttonsTop + px(kButtonHeight) + px(kMargin);
  state.iconRect = RECT{px(kMargin), px(kMargin), px(kMargin + kIconSize), px(kMargin + kIconSize)};
  std::tie(state.icon, state.ownsIcon) = SystemIcon(icon, px(kIconSize));

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  const RECT place = PlaceBox(owner, OuterSizeForClient(SIZE{width, height}, style, exStyle, dpi));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND box = CreateWindowExW(exStyle, kMessageBoxClass, Widen(title).c_str(), style, place.left,
                             place.top, place.right - place.left, place.bottom - place.top, owner,
                             nullptr, instance, &state);
  if (box == nullptr) {
    if (state.ownsIcon) DestroyIcon(state.icon);
    throw std::runtime_error("the message box could not be created");
  }
  if (buttons == MessageButtons::YesNo) {
    EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }

  HWND textControl = CreateWindowExW(0, L"STATIC", shown.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                     textLeft, textTop, textSize.cx, textSize.cy, box, nullptr, instance, nullptr);
  SendMessageW(textControl, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  int left = (width - rowWidth) / 2;
  HWND first = nullptr;
  for (const BoxButton& button : state.buttons) {
    const DWORD kind = first == nullptr ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON;
    HWND control = CreateWindowExW(0, L"BUTTON", Widen(button.text).c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, left, buttonsTop,
                                   px(kButtonWidth), px(kButtonHeight), box,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    if (first == nullptr) first = control;
    left += px(kButtonWidth) + px(kButtonGap);
  }
  SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(state.buttons.front().id), 0);
  SendMessageW(box, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);

  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(box, SW_SHOW);
  SetForegroundWindow(box);
  SendMessageW(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);

  MSG message;
  std::optional<int> quit;
  while (!state.answer) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0 ? static_cast<int>(message.wParam) : 1;
      break;
    }
    if (IsCopyKey(message) && (message.hwnd == box || IsChild(box, message.hwnd))) {
      CopyToClipboard(box, state);
      continue;
    }
    if (!IsDialogMessageW(box, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  // The owner is enabled first, so that Windows gives it back the activation.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  DestroyWindow(box);
  if (state.ownsIcon) DestroyIcon(state.icon);
  if (quit) {
    PostQuitMessage(*quit);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  return *state.answer;
}

}  // namespace bt
