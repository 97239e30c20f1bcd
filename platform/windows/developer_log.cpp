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

class FileLog final : public DeveloperLog {
 public:
  void Append(const std::string& line) override {
    try {
      const std::wstring folder = LogFolder();
      ::CreateDirectoryW(folder.c_str(), nullptr);
      // Shared, so that a log open in an editor still takes the line.
      const HANDLE file = ::CreateFileW((folder + L"\\erros.log").c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return;
      const std::string text = line + "\r\n";
      DWORD written = 0;
      ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      ::CloseHandle(file);
    } catch (...) {
    }
  }
};

}  // namespace

std::unique_ptr<DeveloperLog> OpenDeveloperLog() { return std::make_unique<FileLog>(); }

}  // namespace bt
