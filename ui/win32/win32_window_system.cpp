#include "ui/win32/win32_window_system.h"

#include "ui/win32/win32_message_box.h"
#include "ui/win32/win32_window.h"

namespace bt {

namespace {

bool IsUserInput(UINT message) {
  if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) return false;  // the pointer follows
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_INPUT;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(FileSystem& files, ProcessEnd endProcess)
    : files_(files), endProcess_(std::move(endProcess)) {
  sink_ = [this](std::exception_ptr failure) { ReportAndEnd(failure); };
}

Win32WindowSystem::~Win32WindowSystem() {
  const std::vector<Win32Window*> open = windows_;
  for (Win32Window* window : open) window->Detach();
}

std::unique_ptr<Window> Win32WindowSystem::CreateMainWindow(const WindowDesign& design) {
  return std::make_unique<Win32Window>(design, files_, *this);
}

void Win32WindowSystem::Register(Win32Window* window) { windows_.push_back(window); }

void Win32WindowSystem::Unregister(Win32Window* window) { std::erase(windows_, window); }

void Win32WindowSystem::ClosedByUser() {
  for (const Win32Window* window : windows_) {
    if (window->handle() != nullptr) return;
  }
  PostQuitMessage(0);
}

HWND Win32WindowSystem::Owner() const {
  HWND owner = nullptr;
  for (const Win32Window* window : windows_) {
    if (window->handle() != nullptr && IsWindowVisible(window->handle())) owner = window->handle();
  }
  return owner;
}

void Win32WindowSystem::KeepResponsive() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (IsUserInput(message.message)) continue;
    DispatchMessageW(&message);
  }
}

MessageAnswer Win32WindowSystem::ShowMessage(const std::string& text, const std::string& title,
                                             MessageIcon icon, MessageButtons buttons) {
  return RunMessageBox(Owner(), text, title, icon, buttons, sink_);
}

void Win32WindowSystem::EndApplication(int exitStatus) { EndProcess(endProcess_, exitStatus); }

bool Win32WindowSystem::AnyWindowVisible() const { return Owner() != nullptr; }

int Win32WindowSystem::RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

bool Win32WindowSystem::PreTranslate(MSG& message) {
  for (Win32Window* window : windows_) {
    if (window->PreTranslate(message)) return true;
  }
  return false;
}

void Win32WindowSystem::ReportAndEnd(std::exception_ptr failure) {
  if (reporting_) {
    EndApplication(1);
    return;
  }
  reporting_ = true;
  ReportEscapedFailureAndEnd(*this, failure);
  reporting_ = false;
}

}  // namespace bt
