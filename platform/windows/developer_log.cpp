#include "platform/developer_log.h"

#include <windows.h>

#include <string>

#include "platform/wide_text.h"

namespace bt {
namespace {

std::wstring Environment(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

// %LOCALAPPDATA%\BackupTarvel; the temporary folder where that is unset.
std::wstring LogFolder() {
  std::wstring base = Environment(L"LOCALAPPDATA");
  if (base.empty()) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    base.assign(temp, length <= MAX_PATH ? length : 0);
  }
  while (!base.empty() && base.back() == L'\\') base.pop_back();
  return base + L"\\BackupTarvel";
}

// One WriteFile on a file opened for appending only: lines of two programs
// appending at once never mix. A new file starts with the UTF-8 mark, so
// that Notepad shows the accents of an older Windows right.
bool AppendLine(const wchar_t* fileName, const std::string& line, bool marked) {
  try {
    const std::wstring folder = LogFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // Shared, so that a log open in an editor still takes the line.
    const HANDLE file = ::CreateFileW((folder + L"\\" + fileName).c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text = line + "\r\n";
    LARGE_INTEGER size{};
    if (marked && ::GetFileSizeEx(file, &size) && size.QuadPart == 0) text.insert(0, "\xEF\xBB\xBF");
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const BOOL closed = ::CloseHandle(file);
    return wrote && closed && written == text.size();
  } catch (...) {
    return false;
  }
}

class FileLog final : public DeveloperLog {
 public:
  void Append(const std::string& line) override { AppendLine(L"erros.log", line, false); }
};

class FileHistory final : public HistoryLog {
 public:
  bool Append(const std::string& line) override { return AppendLine(L"historico.log", line, true); }
  std::string Place() const override { return WideToUtf8(LogFolder() + L"\\historico.log"); }
};

}  // namespace

std::unique_ptr<DeveloperLog> OpenDeveloperLog() { return std::make_unique<FileLog>(); }

std::unique_ptr<HistoryLog> OpenHistoryLog() { return std::make_unique<FileHistory>(); }

}  // namespace bt
