#include "programs/windows/single_window.h"

#include <windows.h>

#include "ui/win32/win32_window.h"

namespace bt {
namespace {

// The first program's main window: of the program's class, shown, and of
// another process (a hidden one is still being made).
HWND FirstProgramsWindow() {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() && ::IsWindowVisible(window)) return window;
  }
  return nullptr;
}

void BringForward(HWND window) {
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  // A box the window is showing takes the input in its stead.
  HWND input = ::GetLastActivePopup(window);
  ::SetForegroundWindow(input != nullptr ? input : window);
}

}  // namespace

bool ClaimFirstWindow(std::chrono::milliseconds patience) {
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"Local\\BackupTarvel-window");
  if (mutex == nullptr) return true;
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(patience.count());
  for (;;) {
    // Owned, never released: the first program's for as long as it runs.
    // Abandoned: the first ended without letting go, so this one is first.
    const DWORD result = ::WaitForSingleObject(mutex, 20);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED || result == WAIT_FAILED) return true;
    if (HWND first = FirstProgramsWindow()) {
      BringForward(first);
      ::CloseHandle(mutex);
      return false;
    }
    // Past the patience the first is left alone: its window is coming.
    if (::GetTickCount64() >= deadline) {
      ::CloseHandle(mutex);
      return false;
    }
  }
}

}  // namespace bt
