// What the tests of the Win32 window share: the real window system over
// drives of their own (C: and E: folders under the temporary folder, D: a
// drive without a disk), the main window of the application's design, the
// user's keys and mouse through SendInput, and a way to act on a message
// box from inside its own message loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frm_backup_design.h"
#include "platform/windows/win32_file_system.h"
#include "ui/win32/win32_message_box.h"
#include "ui/win32/win32_window.h"
#include "ui/win32/win32_window_system.h"

namespace bt::win32_test {

// The window system whose windows get their keys as the program's message
// loop gives them (Win32WindowSystem::PreTranslate); none between tests.
inline Win32WindowSystem* pumpedSystem = nullptr;

// Runs every message waiting for this thread, as the message loop would.
inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (pumpedSystem != nullptr && pumpedSystem->PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

struct Key {
  WORD code;
  std::vector<WORD> modifiers = {};  // VK_CONTROL, VK_MENU, VK_SHIFT
};

// Presses keys one after another, as a person would, into whatever has the
// keyboard. The program's loop (Pump, or a message box's own) takes them.
inline void SendKeys(std::initializer_list<Key> keys) {
  std::vector<INPUT> inputs;
  const auto add = [&inputs](WORD code, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (const Key& key : keys) {
    for (WORD modifier : key.modifiers) add(modifier, false);
    add(key.code, false);
    add(key.code, true);
    for (auto it = key.modifiers.rbegin(); it != key.modifiers.rend(); ++it) add(*it, true);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Pumps messages until the keys sent so far have been handled.
inline void PressKeys(std::initializer_list<Key> keys) {
  SendKeys(keys);
  Pump();
}

// The clipboard's text, as UTF-16.
inline std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

inline std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Runs action on the next message box once it is shown and has the
// keyboard, inside its modal loop. Keys the action sends are taken by the
// box's loop after it returns. A box still open five seconds after the
// action is closed by force and fails the test, as does no box within five
// seconds, so that no test can hang.
class NextBox {
 public:
  explicit NextBox(std::function<void(HWND)> action) : action_(std::move(action)) {
    current_ = this;
    start_ = GetTickCount64();
    timer_ = SetTimer(nullptr, 0, 10, Tick);
  }
  ~NextBox() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  NextBox(const NextBox&) = delete;
  NextBox& operator=(const NextBox&) = delete;

  bool acted() const { return acted_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    NextBox* self = current_;
    if (self == nullptr) return;
    HWND box = FindWindowW(kMessageBoxClass, nullptr);
    const ULONGLONG waited = GetTickCount64() - self->start_;
    if (!self->acted_) {
      if (box != nullptr && IsWindowVisible(box) && GetForegroundWindow() == box) {
        self->acted_ = true;
        self->start_ = GetTickCount64();
        self->action_(box);
      } else if (waited > 5000) {
        self->acted_ = true;
        ADD_FAILURE() << "no message box was shown";
      }
    } else if (box != nullptr && waited > 5000) {
      ADD_FAILURE() << "the message box was left open";
      SendMessageW(box, WM_COMMAND, IDNO, 0);
      SendMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }

  std::function<void(HWND)> action_;
  UINT_PTR timer_ = 0;
  ULONGLONG start_ = 0;
  bool acted_ = false;
  static inline NextBox* current_ = nullptr;
};

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest() {
    // Wine hands out the same few process ids run after run: the clock
    // keeps a folder left by a killed run from meeting this one.
    root_ = std::filesystem::temp_directory_path() /
            ("bt-window-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) +
             "-" + std::to_string(counter_++));
    for (const char* folder : {"c/Copias/2024", "c/dados", "c/Zeta", "c/Arquivos", "e/Backups"}) {
      std::filesystem::create_directories(root_ / folder);
    }
    files = MakeWin32FileSystemOver({{'C', Root("c"), "Disco local"}, {'D', Root("d-sem-disco"), ""},
                                     {'E', Root("e"), ""}});
    windows = std::make_unique<Win32WindowSystem>(*files, [this](int status) { endStatus = status; });
    pumpedSystem = windows.get();
  }

  ~Win32WindowTest() override {
    window.reset();
    pumpedSystem = nullptr;
    windows.reset();
    Pump();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // The Windows path of a folder under this test's root.
  std::string Root(const std::string& name) const {
    const std::u8string path = (root_ / name).u8string();
    return std::string(path.begin(), path.end());
  }
  std::filesystem::path Host(const std::string& relative) const { return root_ / relative; }

  // Builds the main window of the application's design, hidden.
  Win32Window& Create() {
    window = windows->CreateMainWindow(FrmBackupDesign());
    win = dynamic_cast<Win32Window*>(window.get());
    EXPECT_NE(win, nullptr);
    return *win;
  }

  // Shows the window; it then has the keyboard.
  void ShowAndActivate() {
    window->Show();
    Pump();
    ASSERT_EQ(GetForegroundWindow(), win->handle());
  }

  HWND Control(const std::string& name) const {
    HWND control = win->control(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // The design name of the control that has the keyboard focus.
  std::string Focused() const {
    HWND focus = GetFocus();
    for (const ControlDesign& row : FrmBackupDesign().controls) {
      if (win->control(row.name) == focus) return row.name;
    }
    return focus == nullptr ? "(nothing)" : "(another window)";
  }

  // Gives a control the focus as Tab would (the dialog manager's way, which
  // also makes a push button the default one).
  void MoveFocus(const std::string& name) {
    SendMessageW(win->handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(name)), TRUE);
  }

  void SetBusy(bool busy) {
    window->SetMousePointer(busy ? kPointerHourglass : kPointerDefault);
    for (const char* button : {"cmdBackup", "cmdRestore", "cmdSair"}) window->SetEnabled(button, !busy);
  }

  std::unique_ptr<FileSystem> files;
  std::optional<int> endStatus;
  std::unique_ptr<Win32WindowSystem> windows;
  std::unique_ptr<Window> window;
  Win32Window* win = nullptr;

 private:
  std::filesystem::path root_;
  static inline int counter_ = 0;
};

}  // namespace bt::win32_test
