#include "programs/windows/parent_console.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace bt {
namespace {

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The parent's console, attached once for both streams.
HANDLE ConsoleOfParent() {
  static const HANDLE console = [] {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return INVALID_HANDLE_VALUE;
    return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  }();
  return console;
}

// A handle the parent gave (a redirection, or its console), else the
// parent's console; null when there is none.
HANDLE StreamHandle(DWORD which) {
  const HANDLE given = ::GetStdHandle(which);
  if (Usable(given)) return given;
  const HANDLE console = ConsoleOfParent();
  return console == INVALID_HANDLE_VALUE ? nullptr : console;
}

void Write(HANDLE handle, const std::string& text) {
  if (handle == nullptr) return;
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    // In UTF-16: the accents show whatever the console's code page.
    const std::wstring wide = Utf8ToWide(text);
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  DWORD written = 0;
  ::WriteFile(handle, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
}

}  // namespace

ParentConsole::ParentConsole()
    : out_(StreamHandle(STD_OUTPUT_HANDLE)), error_(StreamHandle(STD_ERROR_HANDLE)) {}

void ParentConsole::Out(const std::string& text) { Write(static_cast<HANDLE>(out_), text); }

void ParentConsole::Error(const std::string& text) { Write(static_cast<HANDLE>(error_), text); }

}  // namespace bt
