#include "platform/windows/folder_mutex.h"

#include <windows.h>

#include <sddl.h>

#include <cwchar>
#include <map>
#include <mutex>

#include "platform/wide_text.h"
#include "platform/windows/win32_file_copy.h"

namespace bt {
namespace {

// The names this process holds, and the thread holding each.
std::mutex heldGuard;
std::map<std::wstring, DWORD> held;

class HeldFolderMutex final : public OperationLock {
 public:
  HeldFolderMutex(HANDLE mutex, std::wstring name) : mutex_(mutex), name_(std::move(name)) {}
  ~HeldFolderMutex() override {
    {
      const std::lock_guard<std::mutex> guard(heldGuard);
      const auto it = held.find(name_);
      if (it != held.end() && it->second == ::GetCurrentThreadId()) held.erase(it);
    }
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
  std::wstring name_;
};

// Whoever may run an operation, every signed-in user and the system's
// services, may wait for the mutex and release it; only the system and the
// administrators may do more. Without these rights a standard user could
// not open a mutex another user made.
HANDLE OpenFolderMutex(const std::wstring& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)",
                                                         SDDL_REVISION_1, &descriptor, nullptr);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const HANDLE mutex = ::CreateMutexExW(descriptor != nullptr ? &attributes : nullptr, name.c_str(), 0,
                                        SYNCHRONIZE | MUTEX_MODIFY_STATE);
  if (descriptor != nullptr) ::LocalFree(descriptor);
  return mutex;
}

std::wstring Hex(DWORD value) {
  wchar_t text[9];
  std::swprintf(text, 9, L"%08lx", static_cast<unsigned long>(value));
  return text;
}

AppError UnderWay(const std::wstring& name, std::chrono::milliseconds wait) {
  return AppError(kErrPermissionDenied, kOperationUnderWay,
                  WideToUtf8(name) + ": held elsewhere throughout the " + std::to_string(wait.count()) +
                      " ms waited");
}

}  // namespace

std::unique_ptr<OperationLock> LockFolderMutex(const std::wstring& host, std::chrono::milliseconds wait) {
  FileIdentity folder;
  if (!IdentityOf(host, &folder)) return std::make_unique<OperationLock>();
  const std::wstring identity = L"BackupTarvel-op-" + Hex(folder.volume) + L"-" + Hex(folder.high) + Hex(folder.low);
  std::wstring name = L"Global\\" + identity;
  HANDLE mutex = OpenFolderMutex(name);
  if (mutex == nullptr) {
    name = L"Local\\" + identity;
    mutex = OpenFolderMutex(name);
  }
  if (mutex == nullptr) return std::make_unique<OperationLock>();

  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const DWORD result = ::WaitForSingleObject(mutex, left.count() > 0 ? static_cast<DWORD>(left.count()) : 0);
    // An abandoned mutex is free: its holder ended without letting go.
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
      const std::lock_guard<std::mutex> guard(heldGuard);
      const auto [it, taken] = held.try_emplace(name, ::GetCurrentThreadId());
      if (taken || result == WAIT_ABANDONED || it->second != ::GetCurrentThreadId()) {
        it->second = ::GetCurrentThreadId();
        return std::make_unique<HeldFolderMutex>(mutex, name);
      }
      // Granted only because this thread holds it already, which no wait
      // can change.
      ::ReleaseMutex(mutex);
      ::CloseHandle(mutex);
      throw UnderWay(name, wait);
    }
    if (result != WAIT_TIMEOUT) {
      ::CloseHandle(mutex);
      return std::make_unique<OperationLock>();
    }
    // The system's timer may end a wait a little early.
    if (std::chrono::steady_clock::now() >= deadline) {
      ::CloseHandle(mutex);
      throw UnderWay(name, wait);
    }
  }
}

}  // namespace bt
